#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QWidget>

#include <memory>
#include <ostream>
#include <vector>

#include "MessageRecorder.h"
#include "SettingsSandbox.h"
#include "ShellActions.h"
#include "ValueActions.h"

namespace {

// Says what to do on this desktop, where tel: links go to whatever program handles them.
const char kNoDialler[] =
    "No program on this computer handles telephone (tel:) links, so the number cannot be "
    "dialled. Install a softphone or dialler and make it the handler of tel: links, for example "
    "in your desktop's default applications settings.";

// Stands in for the desktop: keeps every request and answers with the chosen result.
class FakeShell : public platform::ShellActions {
public:
    int RequestCall(const QString& number) override {
        calls.push_back(number);
        return callResult;
    }
    bool OpenAddress(const QString& address) override {
        opened.push_back(address);
        return openResult;
    }

    int callResult = platform::kCallAccepted;
    bool openResult = true;
    std::vector<QString> calls;
    std::vector<QString> opened;
};

class ValueActionsTest : public ::testing::Test {
protected:
    void SetUp() override { platform::SetShellActions(&shell_); }
    void TearDown() override { platform::SetShellActions(nullptr); }

    void ExpectError(const MessageRecorder& messages, const QString& text, const QString& caption) {
        ASSERT_EQ(messages.Calls().size(), 1u);
        const platform::MessageCall& call = messages.Last();
        EXPECT_EQ(call.text, text);
        EXPECT_EQ(call.caption, caption);
        EXPECT_EQ(call.icon, platform::MessageIcon::Error);
        EXPECT_EQ(call.buttons, platform::MessageButtons::Ok);
        EXPECT_EQ(call.owner, &owner_);
    }

    FakeShell shell_;
    QWidget owner_;
};

TEST_F(ValueActionsTest, WorkPhoneDialledWithoutItsExtension) {
    EXPECT_TRUE(book::ActOnValue(&owner_, book::kWorkPhoneButton, QStringLiteral("555-1234x12")));
    EXPECT_EQ(shell_.calls, std::vector<QString>{QStringLiteral("555-1234")});
}

TEST_F(ValueActionsTest, WorkPhoneCutAtTheFirstLowerCaseX) {
    EXPECT_EQ(book::DialledNumber(book::kWorkPhoneButton, QStringLiteral("555 x1x2")),
              QStringLiteral("555 "));
    EXPECT_EQ(book::DialledNumber(book::kWorkPhoneButton, QStringLiteral("555-1234X12")),
              QStringLiteral("555-1234X12"));
}

TEST_F(ValueActionsTest, WorkPhoneWithoutExtensionOrStartingWithXDialledWhole) {
    book::ActOnValue(&owner_, book::kWorkPhoneButton, QStringLiteral("555-1234"));
    book::ActOnValue(&owner_, book::kWorkPhoneButton, QStringLiteral("x12"));
    EXPECT_EQ(shell_.calls,
              (std::vector<QString>{QStringLiteral("555-1234"), QStringLiteral("x12")}));
}

TEST_F(ValueActionsTest, OtherPhonesDialledWithTheirTextUnchanged) {
    book::ActOnValue(&owner_, book::kHomePhoneButton, QStringLiteral("555-1234 x5"));
    book::ActOnValue(&owner_, book::kPagerButton, QStringLiteral("555-9876x1"));
    book::ActOnValue(&owner_, book::kCelPhoneButton, QStringLiteral("555-4321x2"));
    EXPECT_EQ(shell_.calls,
              (std::vector<QString>{QStringLiteral("555-1234 x5"), QStringLiteral("555-9876x1"),
                                    QStringLiteral("555-4321x2")}));
}

TEST_F(ValueActionsTest, EmptyNumberNotDialled) {
    EXPECT_TRUE(book::ActOnValue(&owner_, book::kHomePhoneButton, QString()));
    EXPECT_TRUE(shell_.calls.empty());
}

TEST_F(ValueActionsTest, AcceptedCallShowsNothing) {
    MessageRecorder messages;
    book::Dial(&owner_, QStringLiteral("555-1234"));
    EXPECT_TRUE(messages.Calls().empty());
    EXPECT_EQ(shell_.calls.size(), 1u);
}

TEST_F(ValueActionsTest, EachActionSaysWhetherTheDesktopTookIt) {
    bool accepted = false;
    EXPECT_TRUE(
        book::ActOnValue(&owner_, book::kHomePhoneButton, QStringLiteral("555"), &accepted));
    EXPECT_TRUE(accepted);
    EXPECT_TRUE(book::ActOnValue(&owner_, book::kEmailButton, QStringLiteral("a@b.c"), &accepted));
    EXPECT_TRUE(accepted);
    EXPECT_TRUE(book::ActOnValue(&owner_, book::kHomePhoneButton, QString(), &accepted));
    EXPECT_FALSE(accepted);  // nothing to hand over
    MessageRecorder messages;
    messages.Expect();
    messages.Expect();
    shell_.callResult = platform::kCallRequestQueueFull;
    shell_.openResult = false;
    EXPECT_TRUE(book::ActOnValue(&owner_, book::kCelPhoneButton, QStringLiteral("555"), &accepted));
    EXPECT_FALSE(accepted);
    EXPECT_TRUE(
        book::ActOnValue(&owner_, book::kWebPageButton, QStringLiteral("x.org"), &accepted));
    EXPECT_FALSE(accepted);
    EXPECT_FALSE(book::ActOnValue(&owner_, 1166, QStringLiteral("x"), &accepted));
    EXPECT_FALSE(accepted);
    EXPECT_TRUE(book::IsPhoneButton(book::kPagerButton));
    EXPECT_FALSE(book::IsPhoneButton(book::kEmailButton));
}

struct CallCase {
    int result;
    const char* text;
};

void PrintTo(const CallCase& c, std::ostream* os) {
    *os << "result " << c.result;
}

class CallResultTest : public ValueActionsTest, public ::testing::WithParamInterface<CallCase> {};

TEST_P(CallResultTest, RefusedCallShowsItsMessage) {
    shell_.callResult = GetParam().result;
    MessageRecorder messages;
    messages.Expect();
    book::ActOnValue(&owner_, book::kCelPhoneButton, QStringLiteral("555-1234"));
    ExpectError(messages, QString::fromLatin1(GetParam().text), QStringLiteral("Calling Error"));
}

INSTANTIATE_TEST_SUITE_P(
    EachResult, CallResultTest,
    ::testing::Values(
        CallCase{platform::kCallNoRequestRecipient, kNoDialler},
        CallCase{platform::kCallRequestQueueFull,
                 "Your calling queue is full. Please try again later"},
        CallCase{platform::kCallInvalidDestAddress,
                 "The number you have tried to dial is not valid. Please correct it and try "
                 "again."},
        CallCase{-1, "Unknown error. The call could not be placed."},
        CallCase{-5, "Unknown error. The call could not be placed."},
        CallCase{1, "Unknown error. The call could not be placed."}));

TEST_F(ValueActionsTest, MailAddressFollowsMailtoUnchanged) {
    MessageRecorder messages;
    book::ActOnValue(&owner_, book::kEmailButton, QStringLiteral("John O'Brien@example.com"));
    book::ActOnValue(&owner_, book::kEmailButton, QStringLiteral("a%20b?subject=x&y"));
    EXPECT_EQ(shell_.opened,
              (std::vector<QString>{QStringLiteral("mailto:John O'Brien@example.com"),
                                    QStringLiteral("mailto:a%20b?subject=x&y")}));
    EXPECT_TRUE(shell_.calls.empty());
}

TEST_F(ValueActionsTest, MailFailureReported) {
    shell_.openResult = false;
    MessageRecorder messages;
    messages.Expect();
    book::ActOnValue(&owner_, book::kEmailButton, QStringLiteral("jo@example.com"));
    ExpectError(messages, QStringLiteral("Error opening E-mail client"),
                QStringLiteral("E-Mail Error"));
}

TEST_F(ValueActionsTest, WebPageOpenedWithoutAddedScheme) {
    MessageRecorder messages;
    book::ActOnValue(&owner_, book::kWebPageButton, QStringLiteral("www.example.com"));
    book::ActOnValue(&owner_, book::kWebPageButton, QStringLiteral("ftp.example.com/pub"));
    EXPECT_EQ(shell_.opened, (std::vector<QString>{QStringLiteral("www.example.com"),
                                                   QStringLiteral("ftp.example.com/pub")}));
}

TEST_F(ValueActionsTest, WebFailureReported) {
    shell_.openResult = false;
    MessageRecorder messages;
    messages.Expect();
    book::ActOnValue(&owner_, book::kWebPageButton, QStringLiteral("example"));
    ExpectError(messages, QStringLiteral("Error opening web browser"),
                QStringLiteral("Web Browser Error"));
}

TEST_F(ValueActionsTest, OtherControlsDoNothing) {
    EXPECT_FALSE(book::ActOnValue(&owner_, 1016, QStringLiteral("555-1234")));
    EXPECT_FALSE(book::ActOnValue(&owner_, 1006, QStringLiteral("www.example.com")));
    EXPECT_TRUE(shell_.calls.empty());
    EXPECT_TRUE(shell_.opened.empty());
}

// The settings key as the program opens it: the user's own store, its "Settings" subkey.
std::unique_ptr<QSettings> SettingsKey() {
    auto key = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                           QStringLiteral("Vantorel"), QStringLiteral("Tidemark"));
    key->setFallbacksEnabled(false);
    key->beginGroup(QStringLiteral("Settings"));
    return key;
}

TEST_F(ValueActionsTest, CheckForUpdateOpensTheStoredPage) {
    SettingsSandbox sandbox;
    ASSERT_TRUE(sandbox.IsValid());
    ASSERT_TRUE(sandbox.WriteStoreText("[Settings]\nUpdatePage=https://example.org/tm/new.htm\n"));
    book::CheckForUpdate(&owner_, *SettingsKey());
    EXPECT_EQ(shell_.opened,
              std::vector<QString>{QStringLiteral("https://example.org/tm/new.htm")});
}

TEST_F(ValueActionsTest, CheckForUpdateOpensTheDefaultPageWithoutTheSetting) {
    SettingsSandbox sandbox;
    ASSERT_TRUE(sandbox.IsValid());
    // Only the value under "Settings" counts, and an empty one is no address.
    ASSERT_TRUE(sandbox.WriteStoreText(
        "[General]\nUpdatePage=https://example.org/top.htm\n[Settings]\nwp.showCmd=1\n"));
    book::CheckForUpdate(&owner_, *SettingsKey());
    ASSERT_TRUE(sandbox.WriteStoreText("[Settings]\nUpdatePage=\n"));
    book::CheckForUpdate(&owner_, *SettingsKey());
    const QString page = QString::fromLatin1(book::kDefaultUpdatePage);
    EXPECT_EQ(page, QStringLiteral("https://www.vantorel.com/tidemark/update.htm"));
    EXPECT_EQ(shell_.opened, (std::vector<QString>{page, page}));
}

TEST_F(ValueActionsTest, CheckForUpdateFailureReported) {
    SettingsSandbox sandbox;
    ASSERT_TRUE(sandbox.IsValid());
    shell_.openResult = false;
    MessageRecorder messages;
    messages.Expect();
    book::CheckForUpdate(&owner_, *SettingsKey());
    // The message names the address tried, the stored one or the default.
    ExpectError(messages,
                QStringLiteral("Error opening web browser for the update page ") +
                    QString::fromLatin1(book::kDefaultUpdatePage),
                QStringLiteral("Web Browser Error"));
    ASSERT_TRUE(sandbox.WriteStoreText("[Settings]\nUpdatePage=https://example.org/tm/new.htm\n"));
    messages.Expect();
    book::CheckForUpdate(&owner_, *SettingsKey());
    ASSERT_EQ(messages.Calls().size(), 2u);
    EXPECT_EQ(messages.Last().text,
              QStringLiteral(
                  "Error opening web browser for the update page https://example.org/tm/new.htm"));
}

// The desktop's side of the seam, checked without handing anything to a real program.

TEST(ShellAddressTest, WwwAndFtpGetTheirSchemes) {
    EXPECT_EQ(platform::ShellAddress(QStringLiteral("www.example.com/a")).toString(),
              QStringLiteral("http://www.example.com/a"));
    EXPECT_EQ(platform::ShellAddress(QStringLiteral("WWW.Example.com")).scheme(),
              QStringLiteral("http"));
    EXPECT_EQ(platform::ShellAddress(QStringLiteral("ftp.example.com/pub")).toString(),
              QStringLiteral("ftp://ftp.example.com/pub"));
}

TEST(ShellAddressTest, AddressesWithASchemeKept) {
    EXPECT_EQ(platform::ShellAddress(QStringLiteral("https://example.com/x?y=1")).toString(),
              QStringLiteral("https://example.com/x?y=1"));
    const QUrl mail = platform::ShellAddress(QStringLiteral("mailto:John Smith@example.com"));
    ASSERT_TRUE(mail.isValid());
    EXPECT_EQ(mail.scheme(), QStringLiteral("mailto"));
    EXPECT_EQ(mail.path(), QStringLiteral("John Smith@example.com"));
}

TEST(ShellAddressTest, ExistingFileOpensAsFile) {
    QTemporaryFile file;
    ASSERT_TRUE(file.open());
    const QUrl address = platform::ShellAddress(file.fileName());
    EXPECT_TRUE(address.isLocalFile());
    EXPECT_EQ(address.toLocalFile(), QFileInfo(file.fileName()).absoluteFilePath());
}

TEST(ShellAddressTest, TextThatIsNoAddressFails) {
    EXPECT_FALSE(platform::ShellAddress(QString()).isValid());
    EXPECT_FALSE(platform::ShellAddress(QStringLiteral("example.com")).isValid());
    EXPECT_FALSE(platform::ShellAddress(QStringLiteral("C:/no such folder/x")).isValid());
    // Nothing reaches the desktop for such a text.
    platform::SetShellActions(nullptr);
    EXPECT_FALSE(platform::OpenAddress(QStringLiteral("no-such-page-7f3a")));
}

TEST(TelAddressTest, NumbersFormTelAddresses) {
    EXPECT_EQ(platform::TelAddress(QStringLiteral("555-1234")).toString(),
              QStringLiteral("tel:555-1234"));
    EXPECT_EQ(platform::TelAddress(QStringLiteral(" +1 (555) 123-4567 ")).toString(),
              QStringLiteral("tel:+1(555)123-4567"));
    EXPECT_EQ(platform::TelAddress(QStringLiteral("555-1234 x5")).toString(),
              QStringLiteral("tel:555-1234;ext=5"));
    EXPECT_EQ(platform::TelAddress(QStringLiteral("555-1234 Ext 12")).toString(),
              QStringLiteral("tel:555-1234;ext=12"));
    EXPECT_EQ(platform::TelAddress(QStringLiteral("*67#")).toString(),
              QStringLiteral("tel:*67%23"));
}

TEST(TelAddressTest, OtherTextFormsNone) {
    EXPECT_FALSE(platform::TelAddress(QString()).isValid());
    EXPECT_FALSE(platform::TelAddress(QStringLiteral("call me")).isValid());
    EXPECT_FALSE(platform::TelAddress(QStringLiteral("x12")).isValid());
    EXPECT_FALSE(platform::TelAddress(QStringLiteral("555-1234 xab")).isValid());
    EXPECT_FALSE(platform::TelAddress(QStringLiteral("+*67")).isValid());
    EXPECT_FALSE(platform::TelAddress(QStringLiteral("---")).isValid());
}

#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
// Points the program search at a folder of its own for as long as it lives.
class SearchPath {
public:
    SearchPath() : saved_(qgetenv("PATH")) { qputenv("PATH", folder_.path().toLocal8Bit()); }
    ~SearchPath() { qputenv("PATH", saved_); }
    SearchPath(const SearchPath&) = delete;
    SearchPath& operator=(const SearchPath&) = delete;

    // An "xdg-mime" that prints the given answer.
    bool AddXdgMime(const QByteArray& answer) const {
        QFile script(QDir(folder_.path()).filePath(QStringLiteral("xdg-mime")));
        return script.open(QIODevice::WriteOnly) &&
               script.write("#!/bin/sh\necho '" + answer + "'\n") > 0 &&
               script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

private:
    QTemporaryDir folder_;
    QByteArray saved_;
};

TEST(DesktopDialTest, NoTelHandlerMeansNoRequestRecipient) {
    platform::SetShellActions(nullptr);
    {
        SearchPath path;  // no xdg-mime at all
        EXPECT_FALSE(platform::HasTelHandler());
        EXPECT_EQ(platform::RequestCall(QStringLiteral("555-1234")),
                  platform::kCallNoRequestRecipient);
    }
    {
        SearchPath path;
        ASSERT_TRUE(path.AddXdgMime(""));
        EXPECT_FALSE(platform::HasTelHandler());
        MessageRecorder messages;
        messages.Expect();
        book::Dial(nullptr, QStringLiteral("555-1234"));
        ASSERT_EQ(messages.Calls().size(), 1u);
        EXPECT_EQ(messages.Last().text, QString::fromLatin1(kNoDialler));
        EXPECT_EQ(messages.Last().caption, QStringLiteral("Calling Error"));
    }
}

TEST(DesktopDialTest, HandlerNamedByTheDesktop) {
    SearchPath path;
    ASSERT_TRUE(path.AddXdgMime("dialer.desktop"));
    EXPECT_TRUE(platform::HasTelHandler());
}

TEST(DesktopDialTest, NumberWithoutTelAddressIsInvalid) {
    platform::SetShellActions(nullptr);
    SearchPath path;
    // Refused before any handler is asked.
    ASSERT_TRUE(path.AddXdgMime("dialer.desktop"));
    EXPECT_EQ(platform::RequestCall(QStringLiteral("call me")), platform::kCallInvalidDestAddress);
}
#endif

}  // namespace
