#include <gtest/gtest.h>

#include <QPointer>
#include <QTest>

#include "Picture.h"
#include "StartupScreen.h"

namespace {

TEST(StartupScreen, AnyKeyClosesItAtOnce) {
    QPointer<StartupScreen> screen = new StartupScreen(nullptr, 60000);
    screen->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(screen.data()));
    QTest::keyClick(screen.data(), Qt::Key_Space);
    EXPECT_TRUE(QTest::qWaitFor([&] { return screen.isNull(); }, 2000));
}

TEST(StartupScreen, AClickClosesIt) {
    QPointer<StartupScreen> screen = new StartupScreen(nullptr, 60000);
    screen->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(screen.data()));
    QTest::mouseClick(screen.data(), Qt::RightButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return screen.isNull(); }, 2000));
}

TEST(StartupScreen, ClosesByItselfAfterItsTime) {
    QPointer<StartupScreen> screen = new StartupScreen(nullptr, 200);
    screen->show();
    EXPECT_FALSE(screen.isNull());
    QTest::qWait(50);
    EXPECT_FALSE(screen.isNull());
    EXPECT_TRUE(QTest::qWaitFor([&] { return screen.isNull(); }, 3000));
}

TEST(AppPicture, FillsTheSizeAskedFor) {
    const QPixmap picture = platform::AppPicture(QSize(120, 80));
    EXPECT_EQ(picture.size(), QSize(120, 80));
    const QImage image = picture.toImage();
    // Sky above, sea below.
    EXPECT_NE(image.pixel(5, 5), image.pixel(5, 75));
}

}  // namespace
