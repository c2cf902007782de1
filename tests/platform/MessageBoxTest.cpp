#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <QWidget>

#include "MessageBox.h"
#include "MessageRecorder.h"

using platform::MessageButtons;
using platform::MessageIcon;
using platform::MessageResult;

namespace {

TEST(MessageRecorder, KeepsEachCallAndGivesTheChosenAnswers) {
    QWidget owner;
    MessageRecorder boxes;
    boxes.Expect(MessageResult::Yes);
    boxes.Expect(MessageResult::Cancel);
    EXPECT_EQ(platform::ShowMessage(&owner, QStringLiteral("Delete?"), QStringLiteral("Tidemark"),
                                    MessageIcon::Question, MessageButtons::YesNo),
              MessageResult::Yes);
    EXPECT_EQ(platform::ShowMessage(nullptr, QStringLiteral("Second"), QStringLiteral("Error"),
                                    MessageIcon::Error, MessageButtons::OkCancel),
              MessageResult::Cancel);
    ASSERT_EQ(boxes.Calls().size(), 2u);
    const platform::MessageCall& first = boxes.Calls()[0];
    EXPECT_EQ(first.owner, &owner);
    EXPECT_EQ(first.text, QStringLiteral("Delete?"));
    EXPECT_EQ(first.caption, QStringLiteral("Tidemark"));
    EXPECT_EQ(first.icon, MessageIcon::Question);
    EXPECT_EQ(first.buttons, MessageButtons::YesNo);
    EXPECT_EQ(boxes.Last().text, QStringLiteral("Second"));
}

TEST(MessageRecorder, UnexpectedBoxFailsTheTest) {
    EXPECT_NONFATAL_FAILURE(
        {
            MessageRecorder boxes;
            platform::ShowMessage(nullptr, QStringLiteral("Surprise"), QStringLiteral("Tidemark"),
                                  MessageIcon::Information);
        },
        "Unexpected message box");
}

TEST(MessageRecorder, BoxThatNeverCameFailsTheTest) {
    EXPECT_NONFATAL_FAILURE(
        {
            MessageRecorder boxes;
            boxes.Expect();
        },
        "did not appear");
}

TEST(MessageRecorder, BoxOutsideAnyRecorderFailsInsteadOfBlocking) {
    EXPECT_NONFATAL_FAILURE(platform::ShowMessage(nullptr, QStringLiteral("Alone"),
                                                  QStringLiteral("Tidemark"), MessageIcon::Warning),
                            "no recorder");
}

}  // namespace
