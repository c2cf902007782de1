#include <gtest/gtest.h>

#include <QApplication>
#include <QScreen>
#include <QSettings>
#include <QSplitter>
#include <QTest>

#include <memory>

#include "Commands.h"
#include "CurrentDatabase.h"
#include "FileDialogRecorder.h"
#include "MainFrame.h"
#include "MainView.h"
#include "MessageRecorder.h"
#include "SettingsSandbox.h"
#include "TestBook.h"

namespace {

class MainWindowLayoutTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sandbox_.IsValid());
        CurrentDatabasePath.clear();
    }
    void TearDown() override {
        frame_.reset();
        CurrentDatabasePath.clear();
    }

    // A new run of the program, shown and settled.
    void StartFrame() {
        frame_ = std::make_unique<MainFrame>(MainFrame::Options{false});
        ASSERT_TRUE(frame_->Start(QString()));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(frame_.get()));
        QTest::qWait(50);
    }

    int StoredSplit() const {
        QSettings stored(sandbox_.StoreFile(), QSettings::IniFormat);
        return stored.value(QStringLiteral("Settings/split.firstPane")).toInt();
    }

    void StorePlacement(int showCmd, const QRect& normal) {
        QSettings stored(sandbox_.StoreFile(), QSettings::IniFormat);
        stored.setValue(QStringLiteral("Settings/wp.showCmd"), showCmd);
        stored.setValue(QStringLiteral("Settings/wp.left"), normal.left());
        stored.setValue(QStringLiteral("Settings/wp.top"), normal.top());
        stored.setValue(QStringLiteral("Settings/wp.right"), normal.left() + normal.width());
        stored.setValue(QStringLiteral("Settings/wp.bottom"), normal.top() + normal.height());
    }

    SettingsSandbox sandbox_;
    TestBook book_;
    MessageRecorder boxes_;
    FileDialogRecorder dialogs_;
    std::unique_ptr<MainFrame> frame_;
};

TEST_F(MainWindowLayoutTest, TheSplitComesBackExactlyInAMaximisedWindowOfAnotherSize) {
    StartFrame();
    frame_->resize(frame_->View()->FormSize() + QSize(60, 40));
    QTest::qWait(20);
    // Narrower than it came, so that even a small screen has room for it beside the details.
    const int chosen = frame_->View()->ListPaneWidth() - 23;
    frame_->View()->SetListPaneWidth(chosen);
    frame_->Action(cmd::kExit)->trigger();
    ASSERT_EQ(StoredSplit(), chosen);

    // The next runs start maximised over a normal rectangle of another size: each shows the
    // chosen width and stores it unchanged.
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    for (int run = 0; run < 3; ++run) {
        StorePlacement(3, QRect(screen.topLeft() + QPoint(10, 10),
                                frame_->minimumSize() + QSize(30 * run, 20)));
        StartFrame();
        EXPECT_TRUE(frame_->windowState() & Qt::WindowMaximized);
        EXPECT_EQ(frame_->View()->ListPaneWidth(), chosen) << "run " << run;
        frame_->close();
        EXPECT_EQ(StoredSplit(), chosen) << "run " << run;
    }
}

TEST_F(MainWindowLayoutTest, ADraggedSplitOutlivesAWindowTooNarrowForIt) {
    StartFrame();
    const int chosen = frame_->View()->ListPaneWidth() + 50;
    frame_->View()->SetListPaneWidth(chosen);
    // Narrower than the list wants: the list gives way for now, and takes its width back when
    // the window is widened again.
    frame_->resize(QSize(chosen / 2, frame_->height()));
    QTest::qWait(20);
    frame_->resize(frame_->View()->FormSize() + QSize(300, 0));
    QTest::qWait(20);
    EXPECT_EQ(frame_->View()->ListPaneWidth(), chosen);
    // Widening the window widens the details, not the list.
    frame_->resize(frame_->size() + QSize(200, 0));
    QTest::qWait(20);
    EXPECT_EQ(frame_->View()->ListPaneWidth(), chosen);
    frame_->close();
    EXPECT_EQ(StoredSplit(), chosen);
}

}  // namespace
