#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "MainFrame.h"

namespace {

TEST(MainFrame, ShowsAndClosesCleanly) {
    auto* frame = new MainFrame;
    frame->setAttribute(Qt::WA_DeleteOnClose);
    frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame));
    EXPECT_TRUE(frame->windowTitle().endsWith(QStringLiteral("Tidemark")));
    QPointer<MainFrame> watch(frame);
    EXPECT_TRUE(frame->close());
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(watch.isNull());
}

}  // namespace
