#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "ConvertMessage.h"
#include "ConvertTestFiles.h"
#include "ConverterDialog.h"
#include "DialogUnits.h"
#include "FileDialog.h"
#include "MessageRecorder.h"

namespace {

// Answers the file dialog with the next path of the list, or a cancel when it is empty.
class FileDialogAnswers {
public:
    FileDialogAnswers() {
        platform::SetFileDialogHandler([this](const platform::FileDialogRequest& request) {
            requests.push_back(request);
            std::optional<QString> answer;
            if (!answers.empty()) {
                answer = answers.front();
                answers.erase(answers.begin());
            }
            return answer;
        });
    }
    ~FileDialogAnswers() { platform::SetFileDialogHandler(nullptr); }

    std::vector<QString> answers;
    std::vector<platform::FileDialogRequest> requests;
};

class Dialog : public ::testing::Test {
protected:
    void SetUp() override {
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        close = dialog.findChild<QPushButton*>(QStringLiteral("close"));
        about = dialog.findChild<QPushButton*>(QStringLiteral("about"));
        edit = dialog.findChild<QLineEdit*>(QStringLiteral("fileName"));
        browse = dialog.findChild<QPushButton*>(QStringLiteral("browse"));
        convert = dialog.findChild<QPushButton*>(QStringLiteral("convert"));
        ASSERT_TRUE(close && about && edit && browse && convert);
    }

    ConverterDialog dialog;
    QPushButton* close = nullptr;
    QPushButton* about = nullptr;
    QLineEdit* edit = nullptr;
    QPushButton* browse = nullptr;
    QPushButton* convert = nullptr;
};

TEST_F(Dialog, ShowsItsTitleTextsAndSize) {
    EXPECT_EQ(dialog.windowTitle(),
              QStringLiteral("Tidemark Import Tool (Version 1 to Version 2)"));
    const platform::DialogUnits du(dialog.font());
    EXPECT_EQ(dialog.size(), QSize(du.X(255), du.Y(157)));
    // A close box, and no buttons to minimize or maximize.
    EXPECT_TRUE(dialog.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowMinMaxButtonsHint);
    EXPECT_FALSE(dialog.windowIcon().isNull());
    EXPECT_EQ(close->text(), QStringLiteral("Cl&ose"));
    EXPECT_TRUE(close->isDefault());
    EXPECT_EQ(about->text(), QStringLiteral("&About..."));
    EXPECT_EQ(browse->text(), QStringLiteral("Browse..."));
    EXPECT_EQ(convert->text(), QStringLiteral("&Convert"));
    EXPECT_EQ(platform::ControlId(close), 1);
    EXPECT_EQ(platform::ControlId(about), 57664);
    EXPECT_EQ(platform::ControlId(edit), 1000);
    EXPECT_EQ(platform::ControlId(browse), 1001);
    EXPECT_EQ(platform::ControlId(convert), 1002);
    EXPECT_EQ(edit->geometry(), du.Rect(13, 117, 191, 12));
    EXPECT_EQ(close->geometry(), du.Rect(146, 135, 50, 14));
    EXPECT_EQ(about->geometry(), du.Rect(197, 135, 50, 14));
    EXPECT_EQ(browse->geometry(), du.Rect(210, 115, 37, 14));
    EXPECT_EQ(convert->geometry(), du.Rect(14, 136, 50, 14));

    QStringList texts;
    for (const QLabel* label : dialog.findChildren<QLabel*>()) {
        texts << label->text();
        // Every line of every text is inside the dialog and not cut off.
        EXPECT_GE(label->height(), label->heightForWidth(label->width()))
            << label->text().toStdString();
        EXPECT_LE(label->geometry().right(), dialog.width());
    }
    EXPECT_EQ(texts,
              (QStringList{
                  QStringLiteral("Database To Convert:"),
                  QStringLiteral("Thank you for upgrading to Version 2 of Tidemark. This will "
                                 "assist you in converting Version 1 databases to the new "
                                 "database format."),
                  QStringLiteral("Simply type in the old database name into the edit box below, "
                                 "or use the button to the right to browse for the database you "
                                 "wish to convert."),
                  QStringLiteral("The original database will be saved with the same name, but "
                                 "the extension \"org\" added to it. The converted database will "
                                 "be named with the same name as the original database.")}));
}

TEST_F(Dialog, TabsThroughTheControlsInOrder) {
    close->setFocus();
    QApplication::processEvents();
    const std::vector<QWidget*> order{about, edit, browse, convert, close};
    edit->setText(QStringLiteral("x"));  // so that Convert takes the focus too
    for (QWidget* next : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next);
    }
}

TEST_F(Dialog, ConvertIsEnabledByTheEditBox) {
    EXPECT_FALSE(convert->isEnabled());
    EXPECT_TRUE(dialog.FileName().isEmpty());
    QTest::keyClicks(edit, QStringLiteral("old.tch"));
    EXPECT_TRUE(convert->isEnabled());
    EXPECT_EQ(dialog.FileName(), QStringLiteral("old.tch"));
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    EXPECT_FALSE(convert->isEnabled());
    EXPECT_TRUE(dialog.FileName().isEmpty());
}

TEST_F(Dialog, CloseEndsItWithOne) {
    QTest::mouseClick(close, Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), 1);
}

TEST_F(Dialog, EscEndsItAsCloseDoes) {
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), 1);
}

TEST_F(Dialog, TheCloseBoxEndsItAsCloseDoes) {
    EXPECT_TRUE(dialog.close());
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), 1);
}

TEST_F(Dialog, EscEndsTheModalRunWithOne) {
    QTimer::singleShot(0, [this] {
        QTest::keyClick(&dialog, Qt::Key_Escape);
        // Should Esc be refused, the run ends as no Close would.
        if (dialog.isVisible()) {
            dialog.done(0);
        }
    });
    EXPECT_EQ(dialog.exec(), 1);
}

TEST_F(Dialog, BrowseFillsTheEditBox) {
    FileDialogAnswers files;
    QTest::keyClicks(edit, QStringLiteral("/old/start.tch"));
    files.answers.push_back(QStringLiteral("/home/u/chosen.tch"));
    QTest::mouseClick(browse, Qt::LeftButton);
    ASSERT_EQ(files.requests.size(), 1u);
    const platform::FileDialogRequest& request = files.requests[0];
    EXPECT_EQ(request.kind, platform::FileDialogKind::Open);
    EXPECT_EQ(request.owner, &dialog);
    EXPECT_EQ(request.initialPath, QStringLiteral("/old/start.tch"));
    EXPECT_EQ(request.filters, QStringList{QStringLiteral("Tidemark (*.tch)")});
    EXPECT_EQ(request.defaultSuffix, QStringLiteral("tch"));
    EXPECT_EQ(edit->text(), QStringLiteral("/home/u/chosen.tch"));
    EXPECT_EQ(dialog.FileName(), QStringLiteral("/home/u/chosen.tch"));

    // A cancel changes nothing.
    QTest::mouseClick(browse, Qt::LeftButton);
    EXPECT_EQ(files.requests.size(), 2u);
    EXPECT_EQ(files.requests[1].initialPath, QStringLiteral("/home/u/chosen.tch"));
    EXPECT_EQ(edit->text(), QStringLiteral("/home/u/chosen.tch"));
    EXPECT_TRUE(convert->isEnabled());
}

TEST_F(Dialog, ConvertRunsTheConversionUnderTheWaitCursor) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("old book.tch"));
    WriteBytes(path, "<Tidemark U=\"u\"><User><FName>Me</FName></User></Tidemark>");
    QTest::keyClicks(edit, path);

    MessageRecorder messages;
    messages.Expect();
    QTest::mouseClick(convert, Qt::LeftButton);
    EXPECT_EQ(dialog.LastResult(), ConvertResult::Succeeded);
    ASSERT_EQ(messages.Calls().size(), 1u);
    EXPECT_EQ(messages.Last().caption, QStringLiteral("Conversion Succeeded"));
    EXPECT_EQ(messages.Last().icon, platform::MessageIcon::Information);
    EXPECT_EQ(messages.Last().owner, &dialog);
    EXPECT_TRUE(Exists(path + QStringLiteral(".org")));
    // The cursor is back, and the dialog stays with its file name.
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(edit->text(), path);

    // The converted file is a version-2 address book: converting it again is refused, and it is
    // left as it is.
    const std::string converted = ReadBytes(path);
    messages.Expect();
    QTest::mouseClick(convert, Qt::LeftButton);
    EXPECT_EQ(dialog.LastResult(), ConvertResult::AlreadyVersionTwo);
    ASSERT_EQ(messages.Calls().size(), 2u);
    EXPECT_EQ(messages.Last().text, path + QStringLiteral(" is already a version-2 address book."));
    EXPECT_EQ(messages.Last().caption, QStringLiteral("Conversion Not Needed"));
    EXPECT_EQ(messages.Last().icon, platform::MessageIcon::Information);
    EXPECT_EQ(messages.Last().owner, &dialog);
    EXPECT_EQ(ReadBytes(path), converted);
    EXPECT_EQ(ReadBytes(path + QStringLiteral(".org")),
              "<Tidemark U=\"u\"><User><FName>Me</FName></User></Tidemark>");
    EXPECT_FALSE(Exists(path + QStringLiteral(".new")));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(Dialog, EnterInTheFileFieldConvertsAndClosesNothing) {
    // Without a name Enter does nothing at all: no conversion, and the window stays.
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.LastResult(), ConvertResult::NotRead);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("typed.tch"));
    WriteBytes(path, "<Tidemark U=\"u\"><User><FName>Me</FName></User></Tidemark>");
    QTest::keyClicks(edit, path);
    MessageRecorder messages;
    messages.Expect();
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(dialog.LastResult(), ConvertResult::Succeeded);
    ASSERT_EQ(messages.Calls().size(), 1u);
    EXPECT_EQ(messages.Last().caption, QStringLiteral("Conversion Succeeded"));
    EXPECT_TRUE(Exists(path + QStringLiteral(".org")));
    EXPECT_TRUE(dialog.isVisible());

    // The keypad's Enter too: the file is now a version-2 book, and says so.
    messages.Expect();
    QTest::keyClick(edit, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(dialog.LastResult(), ConvertResult::AlreadyVersionTwo);
    EXPECT_EQ(messages.Calls().size(), 2u);
    EXPECT_TRUE(dialog.isVisible());

    // Away from the field, Enter still presses the focused button or Close.
    close->setFocus();
    QTest::keyClick(close, Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), 1);
}

TEST_F(Dialog, AMissingFileIsNamedAsTyped) {
    QTemporaryDir dir;
    const QString typed = dir.filePath(QStringLiteral("never made.tch"));
    QTest::keyClicks(edit, typed);
    MessageRecorder messages;
    messages.Expect();
    QTest::mouseClick(convert, Qt::LeftButton);
    EXPECT_EQ(dialog.LastResult(), ConvertResult::Missing);
    ASSERT_EQ(messages.Calls().size(), 1u);
    EXPECT_EQ(messages.Last().text, QStringLiteral("The file %1 does not exist.").arg(typed));
    EXPECT_EQ(messages.Last().caption, QStringLiteral("Error Loading File"));
    EXPECT_EQ(messages.Last().icon, platform::MessageIcon::Error);
    EXPECT_EQ(messages.Last().owner, &dialog);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(Exists(typed));
    EXPECT_FALSE(Exists(typed + QStringLiteral(".new")));
}

TEST_F(Dialog, ADatabaseThatCannotBeCreatedShowsAnUnownedBox) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("book.tch"));
    WriteBytes(path, "<Tidemark/>");
    // A directory under the ".new" name cannot be opened as a database.
    ASSERT_TRUE(QDir().mkpath(path + QStringLiteral(".new/inside")));
    edit->setText(path);

    MessageRecorder messages;
    messages.Expect();
    QTest::mouseClick(convert, Qt::LeftButton);
    EXPECT_EQ(dialog.LastResult(), ConvertResult::NotCreated);
    ASSERT_EQ(messages.Calls().size(), 1u);
    EXPECT_EQ(messages.Last().caption, QStringLiteral("Error Creating Database"));
    EXPECT_EQ(messages.Last().icon, platform::MessageIcon::None);
    EXPECT_EQ(messages.Last().owner, nullptr);
}

// Each message becomes its box, in the order given, with its own icon and owner, and each box
// shows the normal cursor.
TEST(ConvertMessages, ShowOneBoxEachInOrder) {
    QWidget window;
    const std::vector<ConvertMessage> list{
        {QStringLiteral("first"), QStringLiteral("A"), ConvertIcon::Error,
         ConvertMessageOwner::Window},
        {QStringLiteral("second"), QStringLiteral("B"), ConvertIcon::None,
         ConvertMessageOwner::None},
        {QStringLiteral("third"), QStringLiteral("C"), ConvertIcon::Information,
         ConvertMessageOwner::Window},
        {QStringLiteral("fourth"), QStringLiteral("D"), ConvertIcon::Warning,
         ConvertMessageOwner::None},
    };
    std::vector<platform::MessageCall> calls;
    std::vector<bool> waiting;
    platform::SetMessageHandler([&](const platform::MessageCall& call) {
        calls.push_back(call);
        waiting.push_back(QGuiApplication::overrideCursor() != nullptr);
        return platform::MessageResult::Ok;
    });
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    ShowConvertMessages(&window, list);
    InstallMessageGuard();
    // The wait cursor is back after the boxes.
    const QCursor* after = QGuiApplication::overrideCursor();
    EXPECT_TRUE(after && after->shape() == Qt::WaitCursor);
    if (after) {
        QGuiApplication::restoreOverrideCursor();
    }

    ASSERT_EQ(calls.size(), 4u);
    const platform::MessageIcon icons[] = {
        platform::MessageIcon::Error, platform::MessageIcon::None,
        platform::MessageIcon::Information, platform::MessageIcon::Warning};
    const QWidget* owners[] = {&window, nullptr, &window, nullptr};
    for (std::size_t i = 0; i < calls.size(); ++i) {
        EXPECT_EQ(calls[i].text, list[i].text) << i;
        EXPECT_EQ(calls[i].caption, list[i].caption) << i;
        EXPECT_EQ(calls[i].icon, icons[i]) << i;
        EXPECT_EQ(calls[i].owner, owners[i]) << i;
        EXPECT_EQ(calls[i].buttons, platform::MessageButtons::Ok) << i;
        EXPECT_FALSE(waiting[i]) << i;
    }
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(Dialog, MessageBoxesShowTheNormalCursor) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bad.tch"));
    WriteBytes(path, "<Tidemark>");
    edit->setText(path);
    bool waitingDuringBox = true;
    platform::SetMessageHandler([&waitingDuringBox](const platform::MessageCall&) {
        waitingDuringBox = QGuiApplication::overrideCursor() != nullptr;
        return platform::MessageResult::Ok;
    });
    QTest::mouseClick(convert, Qt::LeftButton);
    InstallMessageGuard();
    EXPECT_EQ(dialog.LastResult(), ConvertResult::NotLoaded);
    EXPECT_FALSE(waitingDuringBox);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(Dialog, AboutShowsNameAndVersionUntilOk) {
    QString text;
    bool closedByOk = false;
    QTimer::singleShot(0, [&] {
        QWidget* box = QApplication::activeModalWidget();
        ASSERT_NE(box, nullptr);
        for (const QLabel* label : box->findChildren<QLabel*>()) {
            text += label->text() + QLatin1Char('|');
        }
        auto* ok = box->findChild<QPushButton*>(QStringLiteral("ok"));
        ASSERT_NE(ok, nullptr);
        EXPECT_EQ(ok->text(), QStringLiteral("OK"));
        EXPECT_EQ(platform::ControlId(ok), 1);
        QTest::mouseClick(ok, Qt::LeftButton);
        closedByOk = !box->isVisible();
        if (!closedByOk) {
            box->close();
        }
    });
    QTest::mouseClick(about, Qt::LeftButton);
    EXPECT_TRUE(closedByOk);
    EXPECT_TRUE(text.contains(QStringLiteral("|Tidemark Import Tool v1.0|")));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

}  // namespace
