#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QMainWindow>
#include <QScreen>
#include <QSettings>
#include <QTest>

#include "Settings.h"
#include "SettingsSandbox.h"
#include "WindowPlacement.h"

namespace {

const QString kKey = QString::fromLatin1(kSettingsKey);

// The rectangle that holds every screen.
QRect Desktop() {
    QRect all;
    for (const QScreen* screen : QGuiApplication::screens()) {
        all = all.united(screen->geometry());
    }
    return all;
}

QByteArray Number(qint64 n) {
    return QByteArray::number(n);
}

// The store text of a placement with the given show state and normal rectangle.
QByteArray PlacementText(qint64 showCmd, qint64 left, qint64 top, qint64 right, qint64 bottom,
                         qint64 flags = 0) {
    return "[Settings]\nwp.showCmd=" + Number(showCmd) + "\nwp.flags=" + Number(flags) +
           "\nwp.left=" + Number(left) + "\nwp.top=" + Number(top) + "\nwp.right=" + Number(right) +
           "\nwp.bottom=" + Number(bottom) + "\n";
}

class WindowPlacementTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sandbox_.IsValid());
        ASSERT_FALSE(QGuiApplication::screens().isEmpty());
        ASSERT_GE(Desktop().width(), 400);
        ASSERT_GE(Desktop().height(), 300);
        window_.setGeometry(start_);
    }

    // A rectangle well inside the desktop, unlike the window's starting one.
    QRect Inside() const {
        const QRect d = Desktop();
        return QRect(d.x() + 30, d.y() + 40, d.width() / 2, d.height() / 2);
    }

    SettingsSandbox sandbox_;
    QMainWindow window_;
    const QRect start_{10, 20, 300, 200};
};

TEST_F(WindowPlacementTest, EmptyStoreLeavesTheWindowAlone) {
    EXPECT_FALSE(RestoreWindowPlacement(kKey, &window_));
    EXPECT_EQ(window_.geometry(), start_);
    EXPECT_EQ(window_.windowState(), Qt::WindowNoState);
    EXPECT_FALSE(QFile::exists(sandbox_.StoreFile()));
}

TEST_F(WindowPlacementTest, NormalWindowStoresTheTenValues) {
    const QRect r = Inside();
    window_.setGeometry(r);
    window_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
    SaveWindowPlacement(kKey, &window_);

    auto raw = sandbox_.Raw();
    raw->beginGroup(QStringLiteral("Settings"));
    EXPECT_EQ(raw->childKeys().size(), 10);
    EXPECT_EQ(raw->value(QStringLiteral("wp.showCmd")).toLongLong(), 1);
    EXPECT_EQ(raw->value(QStringLiteral("wp.flags")).toLongLong(), 0);
    EXPECT_EQ(raw->value(QStringLiteral("wp.left")).toLongLong(), r.x());
    EXPECT_EQ(raw->value(QStringLiteral("wp.top")).toLongLong(), r.y());
    EXPECT_EQ(raw->value(QStringLiteral("wp.right")).toLongLong(), r.x() + r.width());
    EXPECT_EQ(raw->value(QStringLiteral("wp.bottom")).toLongLong(), r.y() + r.height());
    // Unknown positions are -1, kept as their 32-bit pattern.
    for (const char* name :
         {"wp.ptMinPosition.x", "wp.ptMinPosition.y", "wp.ptMaxPosition.x", "wp.wpMaxPosition"}) {
        EXPECT_EQ(raw->value(QLatin1String(name)).toLongLong(), 4294967295LL) << name;
    }
    EXPECT_FALSE(raw->contains(QStringLiteral("wp.ptMaxPosition.y")));
}

TEST_F(WindowPlacementTest, NormalPlacementComesBack) {
    const QRect r = Inside();
    {
        QMainWindow closing;
        closing.setGeometry(r);
        closing.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&closing));
        SaveWindowPlacement(kKey, &closing);
    }
    ASSERT_TRUE(RestoreWindowPlacement(kKey, &window_));
    EXPECT_EQ(window_.geometry(), r);
    EXPECT_FALSE(window_.windowState() & Qt::WindowMaximized);
    window_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
    EXPECT_EQ(window_.geometry(), r);
}

TEST_F(WindowPlacementTest, MaximisedPlacementComesBackMaximisedOverItsNormalRectangle) {
    const QRect r = Inside();
    {
        QMainWindow closing;
        closing.setGeometry(r);
        closing.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&closing));
        closing.showMaximized();
        ASSERT_TRUE(QTest::qWaitFor([&] { return closing.isMaximized(); }));
        SaveWindowPlacement(kKey, &closing);
    }
    {
        auto raw = sandbox_.Raw();
        raw->beginGroup(QStringLiteral("Settings"));
        EXPECT_EQ(raw->value(QStringLiteral("wp.showCmd")).toLongLong(), 3);
        EXPECT_EQ(raw->value(QStringLiteral("wp.left")).toLongLong(), r.x());
        EXPECT_EQ(raw->value(QStringLiteral("wp.right")).toLongLong(), r.x() + r.width());
    }
    ASSERT_TRUE(RestoreWindowPlacement(kKey, &window_));
    EXPECT_TRUE(window_.windowState() & Qt::WindowMaximized);
    window_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
    EXPECT_TRUE(window_.isMaximized());
    EXPECT_EQ(window_.normalGeometry(), r);

    // Closed again while maximised, it keeps the same normal rectangle.
    SaveWindowPlacement(kKey, &window_);
    auto raw = sandbox_.Raw();
    raw->beginGroup(QStringLiteral("Settings"));
    EXPECT_EQ(raw->value(QStringLiteral("wp.showCmd")).toLongLong(), 3);
    EXPECT_EQ(raw->value(QStringLiteral("wp.left")).toLongLong(), r.x());
    EXPECT_EQ(raw->value(QStringLiteral("wp.top")).toLongLong(), r.y());
    EXPECT_EQ(raw->value(QStringLiteral("wp.right")).toLongLong(), r.x() + r.width());
    EXPECT_EQ(raw->value(QStringLiteral("wp.bottom")).toLongLong(), r.y() + r.height());
}

TEST_F(WindowPlacementTest, NormalPlacementEndsAMaximisedState) {
    const QRect r = Inside();
    ASSERT_TRUE(sandbox_.WriteStoreText(
        PlacementText(1, r.x(), r.y(), r.x() + r.width(), r.y() + r.height())));
    window_.setWindowState(Qt::WindowMaximized);
    ASSERT_TRUE(RestoreWindowPlacement(kKey, &window_));
    EXPECT_FALSE(window_.windowState() & Qt::WindowMaximized);
    EXPECT_EQ(window_.geometry(), r);
}

TEST_F(WindowPlacementTest, RectangleOffEveryScreenIsIgnored) {
    const QRect d = Desktop();
    const QList<QByteArray> offScreen{
        // Left of every screen, in 32-bit patterns as the store keeps negatives.
        PlacementText(1, 4294967296LL - 3000, d.y(), 4294967296LL - 2000, d.y() + 300),
        // Right of and below every screen.
        PlacementText(3, d.right() + 100, d.y() + 10, d.right() + 700, d.y() + 400),
        PlacementText(1, d.x() + 10, d.bottom() + 50, d.x() + 600, d.bottom() + 500),
        // Touching the right edge only, no shared area.
        PlacementText(1, d.x() + d.width(), d.y(), d.x() + d.width() + 200, d.y() + 200),
        // No area at all, and right before left.
        PlacementText(1, d.x() + 50, d.y() + 50, d.x() + 50, d.y() + 300),
        PlacementText(1, d.x() + 300, d.y() + 50, d.x() + 100, d.y() + 300),
    };
    for (const QByteArray& text : offScreen) {
        SettingsSandbox sandbox;
        ASSERT_TRUE(sandbox.WriteStoreText(text));
        EXPECT_FALSE(RestoreWindowPlacement(kKey, &window_)) << text.data();
        EXPECT_EQ(window_.geometry(), start_);
        EXPECT_EQ(window_.windowState(), Qt::WindowNoState);
    }
}

TEST_F(WindowPlacementTest, RectangleReachingIntoAScreenIsApplied) {
    const QRect d = Desktop();
    // Mostly left of and above the desktop, with a corner on it.
    ASSERT_TRUE(sandbox_.WriteStoreText(PlacementText(
        1, 4294967296LL - 250 + d.x(), 4294967296LL - 150 + d.y(), d.x() + 50, d.y() + 50)));
    ASSERT_TRUE(RestoreWindowPlacement(kKey, &window_));
    EXPECT_EQ(window_.geometry(), QRect(d.x() - 250, d.y() - 150, 300, 200));
}

TEST_F(WindowPlacementTest, ValueTooLargeForItsFieldCountsAsMissing) {
    const QRect r = Inside();
    // A left edge beyond 32 bits is read as 0; a show state beyond 32 bits as none.
    ASSERT_TRUE(sandbox_.WriteStoreText(
        PlacementText(4294967299LL, 8589934592LL, r.y(), r.x() + r.width(), r.y() + r.height())));
    ASSERT_TRUE(RestoreWindowPlacement(kKey, &window_));
    EXPECT_EQ(window_.geometry(), QRect(0, r.y(), r.x() + r.width(), r.height()));
    EXPECT_EQ(window_.windowState(), Qt::WindowNoState);
}

TEST_F(WindowPlacementTest, MissingRectangleIsIgnored) {
    ASSERT_TRUE(sandbox_.WriteStoreText("[Settings]\nwp.showCmd=3\n"));
    EXPECT_FALSE(RestoreWindowPlacement(kKey, &window_));
    EXPECT_EQ(window_.geometry(), start_);
    EXPECT_EQ(window_.windowState(), Qt::WindowNoState);
}

TEST_F(WindowPlacementTest, MinimisedPlacementStartsInItsRestoredState) {
    const QRect r = Inside();
    const QByteArray fromMaximised =
        PlacementText(2, r.x(), r.y(), r.x() + r.width(), r.y() + r.height(), 2);
    const QByteArray fromNormal =
        PlacementText(2, r.x(), r.y(), r.x() + r.width(), r.y() + r.height(), 0);
    {
        SettingsSandbox sandbox;
        ASSERT_TRUE(sandbox.WriteStoreText(fromMaximised));
        QMainWindow window;
        ASSERT_TRUE(RestoreWindowPlacement(kKey, &window));
        EXPECT_EQ(window.windowState(), Qt::WindowMaximized);
    }
    {
        SettingsSandbox sandbox;
        ASSERT_TRUE(sandbox.WriteStoreText(fromNormal));
        QMainWindow window;
        ASSERT_TRUE(RestoreWindowPlacement(kKey, &window));
        EXPECT_EQ(window.windowState(), Qt::WindowNoState);
        EXPECT_EQ(window.geometry(), r);
    }
}

TEST_F(WindowPlacementTest, RestoredSizeKeepsTheWindowsMinimum) {
    const QRect d = Desktop();
    window_.setMinimumSize(200, 150);
    ASSERT_TRUE(
        sandbox_.WriteStoreText(PlacementText(1, d.x() + 20, d.y() + 30, d.x() + 70, d.y() + 60)));
    ASSERT_TRUE(RestoreWindowPlacement(kKey, &window_));
    EXPECT_EQ(window_.geometry(), QRect(d.x() + 20, d.y() + 30, 200, 150));
}

TEST_F(WindowPlacementTest, StoreThatCannotBeWrittenKeepsNothing) {
    QFile blocker(sandbox_.Folder() + QStringLiteral("/Vantorel"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    window_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
    SaveWindowPlacement(kKey, &window_);
    EXPECT_FALSE(RestoreWindowPlacement(kKey, &window_));
    EXPECT_EQ(QFileInfo(sandbox_.Folder() + QStringLiteral("/Vantorel")).size(), 0);
}

}  // namespace
