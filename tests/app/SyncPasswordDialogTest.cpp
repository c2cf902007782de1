// The small dialog a sync asks for a password with when the run does not know it.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "PasswordDialog.h"

namespace {

TEST(SyncPasswordDialogTest, AsksForTheAccountsPasswordWithoutEcho) {
    syncui::PasswordDialog dialog(nullptr, QStringLiteral("ann"), QStringLiteral("dav.example.com"),
                                  false);
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Sync Password"));
    EXPECT_EQ(dialog.PasswordField()->echoMode(), QLineEdit::Password);
    // It says whose password it asks for.
    bool named = false;
    for (QLabel* label : dialog.findChildren<QLabel*>()) {
        named = named || (label->text().contains(QStringLiteral("ann")) &&
                          label->text().contains(QStringLiteral("dav.example.com")));
    }
    EXPECT_TRUE(named);
    // No store: the choice is greyed, and the dialog says why, even when ticked by a script.
    EXPECT_FALSE(dialog.RememberBox()->isHidden());
    EXPECT_FALSE(dialog.RememberBox()->isEnabled());
    dialog.RememberBox()->setChecked(true);
    auto* note = dialog.findChild<QLabel*>(QStringLiteral("storeNote"));
    ASSERT_NE(note, nullptr);
    EXPECT_TRUE(note->isVisible());
    EXPECT_TRUE(note->text().contains(QStringLiteral("no password store")));
    QTest::keyClicks(dialog.PasswordField(), QStringLiteral("s3cret"));
    QTest::keyClick(dialog.PasswordField(), Qt::Key_Return);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Password(), QStringLiteral("s3cret"));
    EXPECT_FALSE(dialog.Remember());
}

TEST(SyncPasswordDialogTest, WithAStoreThePasswordMayBeRemembered) {
    syncui::PasswordDialog dialog(nullptr, QStringLiteral("ann"), QStringLiteral("dav.example.com"),
                                  true);
    dialog.show();
    ASSERT_TRUE(dialog.RememberBox()->isEnabled());
    EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("storeNote")), nullptr);
    EXPECT_FALSE(dialog.RememberBox()->isChecked());
    dialog.RememberBox()->setChecked(true);
    QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    // Asked after the dialog has closed, as the command asks.
    EXPECT_TRUE(dialog.Remember());
}

}  // namespace
