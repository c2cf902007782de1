#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDialog>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>
#include <QTranslator>
#include <QTreeView>
#include <QTreeWidget>
#include <QWizard>

#include <memory>

#include "Commands.h"
#include "CurrentDatabase.h"
#include "FileDialogRecorder.h"
#include "HelpViewer.h"
#include "HelpWindow.h"
#include "MainFrame.h"
#include "MainView.h"
#include "MessageBox.h"
#include "MessageRecorder.h"
#include "ModalDriver.h"
#include "SQLException.h"
#include "SettingsSandbox.h"
#include "TestBook.h"
#include "TextEncoding.h"

// With a translator that puts every text it is asked for in brackets, each text the user reads
// shows its brackets; one without them went past Qt's translation.

namespace {

class BracketTranslator : public QTranslator {
public:
    bool isEmpty() const override { return false; }
    QString translate(const char*, const char* sourceText, const char*, int) const override {
        return QLatin1Char('[') + QString::fromUtf8(sourceText) + QLatin1Char(']');
    }
};

bool Bracketed(const QString& text) {
    return text.size() >= 2 && text.startsWith(QLatin1Char('[')) && text.endsWith(QLatin1Char(']'));
}

// What a window shows, text by text, and the texts that came without brackets. Empty texts and
// numbers are data; the walk reads no field's value.
class TextWalk {
public:
    void Check(const QString& where, const QString& text) {
        if (text.trimmed().isEmpty()) {
            return;
        }
        bool number = false;
        text.toDouble(&number);
        if (number) {
            return;
        }
        seen_ << text;
        if (!Bracketed(text)) {
            wrong_ << where + QStringLiteral(": ") + text;
        }
    }

    // Every text of a window and the widgets in it; the items of drop-down lists with items.
    void Window(const QWidget& root, bool items = false) {
        Check(QStringLiteral("title"), root.windowTitle());
        Widget(root, items);
        for (QWidget* widget : root.findChildren<QWidget*>()) {
            if (!InsideDateField(*widget, root)) {
                Widget(*widget, items);
            }
        }
    }

    void Action(const QAction& action) {
        if (action.isSeparator()) {
            return;
        }
        const QString name = action.text();
        Check(QStringLiteral("action"), name);
        // A command's prompt and tooltip are the two lines of one text.
        const QString status = action.statusTip();
        if (!status.isEmpty() && !status.startsWith(QLatin1Char('['))) {
            wrong_ << QStringLiteral("status tip of ") + name + QStringLiteral(": ") + status;
        }
        const QString tip = action.toolTip();
        if (!tip.startsWith(QLatin1Char('[')) && !tip.endsWith(QLatin1Char(']'))) {
            wrong_ << QStringLiteral("tooltip of ") + name + QStringLiteral(": ") + tip;
        }
        seen_ << tip;
        if (QMenu* menu = action.menu()) {
            Menu(*menu);
        }
    }

    void Menu(const QMenu& menu) {
        Check(QStringLiteral("menu"), menu.title());
        for (const QAction* action : menu.actions()) {
            Action(*action);
        }
    }

    const QStringList& Seen() const { return seen_; }
    const QStringList& Wrong() const { return wrong_; }

private:
    // The calendar and sections of a date field are the toolkit's, in the locale's words.
    static bool InsideDateField(const QWidget& widget, const QWidget& root) {
        for (const QWidget* at = widget.parentWidget(); at && at != &root;
             at = at->parentWidget()) {
            if (qobject_cast<const QDateTimeEdit*>(at) ||
                qobject_cast<const QCalendarWidget*>(at)) {
                return true;
            }
        }
        return qobject_cast<const QCalendarWidget*>(&widget) != nullptr;
    }

    void Widget(const QWidget& widget, bool items) {
        Check(QStringLiteral("tooltip"), widget.toolTip());
        if (const auto* label = qobject_cast<const QLabel*>(&widget)) {
            Check(QStringLiteral("label"), label->text());
        } else if (const auto* button = qobject_cast<const QAbstractButton*>(&widget)) {
            Check(QStringLiteral("button"), button->text());
        } else if (const auto* group = qobject_cast<const QGroupBox*>(&widget)) {
            Check(QStringLiteral("group"), group->title());
        } else if (const auto* tabs = qobject_cast<const QTabWidget*>(&widget)) {
            for (int i = 0; i < tabs->count(); ++i) {
                Check(QStringLiteral("tab"), tabs->tabText(i));
            }
        } else if (const auto* line = qobject_cast<const QLineEdit*>(&widget)) {
            Check(QStringLiteral("placeholder"), line->placeholderText());
        } else if (const auto* list = qobject_cast<const QTreeView*>(&widget)) {
            for (int i = 0; list->model() && i < list->model()->columnCount(); ++i) {
                Check(QStringLiteral("heading"),
                      list->model()->headerData(i, Qt::Horizontal).toString());
            }
        } else if (const auto* box = qobject_cast<const QComboBox*>(&widget); box && items) {
            for (int i = 0; i < box->count(); ++i) {
                Check(QStringLiteral("list item"), box->itemText(i));
            }
        }
    }

    QStringList seen_;
    QStringList wrong_;
};

class TranslationTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sandbox_.IsValid());
        CurrentDatabasePath.clear();
        QCoreApplication::installTranslator(&translator_);
        frame_ = std::make_unique<MainFrame>(MainFrame::Options{false});
    }
    void TearDown() override {
        frame_.reset();
        QCoreApplication::removeTranslator(&translator_);
        CurrentDatabasePath.clear();
    }

    void OpenThroughMenu(const std::string& path) {
        files_.Answer(QString::fromStdString(path));
        frame_->Action(cmd::kFileOpen)->trigger();
    }

    // Carries out the command as its menu item does (also one the view's state greys), and
    // reads its one dialog before it is cancelled.
    TextWalk DialogOf(int command) {
        TextWalk walk;
        ModalDriver dialogs;
        dialogs.Expect([&walk](QDialog& dialog) {
            // The person sheet makes each page when it is first shown.
            if (auto* tabs = dialog.findChild<QTabWidget*>()) {
                for (int i = 0; i < tabs->count(); ++i) {
                    tabs->setCurrentIndex(i);
                }
            }
            walk.Window(dialog);
        });
        frame_->OnCommand(command);
        return walk;
    }

    SettingsSandbox sandbox_;
    BracketTranslator translator_;
    TestBook book_;
    MessageRecorder boxes_;
    FileDialogRecorder files_;
    std::unique_ptr<MainFrame> frame_;
};

TEST_F(TranslationTest, TheMainWindowShowsOnlyTranslatedTexts) {
    TextWalk walk;
    for (const QAction* menu : frame_->menuBar()->actions()) {
        walk.Action(*menu);
    }
    for (const QToolBar* bar : {frame_->MainToolBar(), frame_->PreviewToolBar()}) {
        walk.Check(QStringLiteral("toolbar"), bar->windowTitle());
        for (const QAction* action : bar->actions()) {
            walk.Action(*action);
        }
    }
    walk.Window(*frame_->View());
    walk.Check(QStringLiteral("status bar"), frame_->statusBar()->currentMessage());
    EXPECT_TRUE(walk.Wrong().isEmpty()) << walk.Wrong().join(QLatin1Char('\n')).toStdString();
    // The walk reached the menus, the toolbars, the form, the lists and the search field.
    for (const char* text :
         {"[&New\tCtrl+N]", "[(Empty)]", "[&Check For Update...]", "[Standard]", "[Zoom In]",
          "New]", "[Not Available]", "[Contact Information]", "[&Zip:]", "[Name]", "[Contact Type]",
          "[Notes]", "[Search (Ctrl+F)]", "[Ready]"}) {
        EXPECT_TRUE(walk.Seen().contains(QString::fromUtf8(text))) << text;
    }
    // The title is made from a translated format and a translated name.
    EXPECT_EQ(frame_->windowTitle(), QStringLiteral("[Tidemark [[No Database]]]"));
    EXPECT_EQ(frame_->View()->SearchField()->toolTip().left(20),
              QStringLiteral("[Shows the persons w"));
}

TEST_F(TranslationTest, TheAboutBoxIsTranslated) {
    const TextWalk walk = DialogOf(cmd::kAbout);
    EXPECT_TRUE(walk.Wrong().isEmpty()) << walk.Wrong().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(walk.Seen(), QStringList({"[About Tidemark]", "[Tidemark]", "[Version 2.02]",
                                        "[Know When and How You Keep In Touch!]", "[OK]"}));
}

TEST_F(TranslationTest, TheEditorsAndAReportDialogAreTranslated) {
    const std::string path = book_.Create();
    TestBook::AddPerson(path, "Ann", "Adams");
    OpenThroughMenu(path);
    const QString shown = QDir::toNativeSeparators(QString::fromStdString(path));
    EXPECT_EQ(frame_->windowTitle(), QStringLiteral("[Tidemark [%1]]").arg(shown));

    TextWalk view;
    view.Window(*frame_->View());
    EXPECT_TRUE(view.Wrong().isEmpty()) << view.Wrong().join(QLatin1Char('\n')).toStdString();

    const TextWalk sheet = DialogOf(cmd::kAddPerson);
    EXPECT_TRUE(sheet.Wrong().isEmpty()) << sheet.Wrong().join(QLatin1Char('\n')).toStdString();
    for (const char* text :
         {"[Add Address Entry]", "[General]", "[Address]", "[Phone]", "[&First Name:]", "[&State:]",
          "[We&b Page:]", "[E&xt:]", "[Cancel]", "[Help]"}) {
        EXPECT_TRUE(sheet.Seen().contains(QString::fromUtf8(text))) << text;
    }

    const TextWalk contact = DialogOf(cmd::kAddContact);
    EXPECT_TRUE(contact.Wrong().isEmpty()) << contact.Wrong().join(QLatin1Char('\n')).toStdString();
    for (const char* text :
         {"[Add Contact]", "[Contact Type:]",
          "[Add a contact type first (Edit, Contact Types...).]", "[&Help...]"}) {
        EXPECT_TRUE(contact.Seen().contains(QString::fromUtf8(text))) << text;
    }

    const TextWalk report = DialogOf(cmd::kContactsReport);
    EXPECT_TRUE(report.Wrong().isEmpty()) << report.Wrong().join(QLatin1Char('\n')).toStdString();
    for (const char* text : {"[Contacts Printout]", "[Persons To Include]", "[&Select All]",
                             "[Contacts To Include]", "[&Ending Date:]"}) {
        EXPECT_TRUE(report.Seen().contains(QString::fromUtf8(text))) << text;
    }
}

TEST_F(TranslationTest, TheTransferWizardAndItsMessageAreTranslated) {
    const std::string path = book_.Create();
    OpenThroughMenu(path);
    const std::string file = book_.Path("persons.csv");
    TextWalk pages;
    QStringList captions;
    ModalDriver dialogs;
    dialogs.Expect([&](QDialog& dialog) {
        auto& wizard = static_cast<QWizard&>(dialog);
        pages.Window(wizard, true);
        captions << wizard.windowTitle();
        QTest::keyClicks(wizard.currentPage()->findChild<QLineEdit*>(),
                         QString::fromStdString(file));
        QTest::mouseClick(wizard.button(QWizard::NextButton), Qt::LeftButton);
        pages.Window(wizard, true);
        captions << wizard.windowTitle();
        QTest::mouseClick(wizard.button(QWizard::NextButton), Qt::LeftButton);
        pages.Window(wizard, true);
        captions << wizard.windowTitle();
        auto* list = wizard.currentPage()->findChild<QTreeWidget*>();
        ASSERT_NE(list, nullptr);
        list->topLevelItem(0)->setCheckState(0, Qt::Checked);
        QTest::mouseClick(wizard.button(QWizard::FinishButton), Qt::LeftButton);
    });
    boxes_.Expect();
    // The book is empty: the export has nothing to write.
    frame_->OnCommand(cmd::kExportPersons);

    EXPECT_TRUE(pages.Wrong().isEmpty()) << pages.Wrong().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(captions,
              QStringList({"[Select Document]", "[Document Structure]", "[Fields To Export]"}));
    for (const char* text :
         {"[Select File]", "[...]", "[First line of document contains field names]",
          "[Field Encloser]", "[Semi-colon(;)]", "[Double Quote(\")]",
          "[Add a UTF-8 mark for spreadsheet programs]", "[Available Fields]",
          "[Persons Fields]"}) {
        EXPECT_TRUE(pages.Seen().contains(QString::fromUtf8(text))) << text;
    }
    EXPECT_EQ(boxes_.Last().text, QStringLiteral("[There are no persons to export.]"));
    EXPECT_EQ(boxes_.Last().caption, QStringLiteral("[Error Exporting Address Book]"));
}

TEST_F(TranslationTest, TextsHandedOnAsTheirEnglishAreTranslatedWhereShown) {
    // A caption that comes as its English text, and a failure's fixed text.
    boxes_.Expect();
    platform::ShowDatabaseFailure(nullptr, cppsqlite3::SQLException(5).Message(),
                                  "Error Loading Names", platform::MessageIcon::Error);
    EXPECT_EQ(boxes_.Last().caption, QStringLiteral("[Error Loading Names]"));
    EXPECT_EQ(boxes_.Last().text, QStringLiteral("[The database file is locked]"));
    // The pop-up help and the encodings' names.
    EXPECT_EQ(help::PopupText(6001), QStringLiteral("[The person's first name.]"));
    EXPECT_EQ(transfer::EncodingLabel("Shift_JIS"), "[Shift_JIS ([Japanese])]");
}

TEST_F(TranslationTest, TheHelpWindowsOwnTextsAreTranslated) {
    help::HelpWindow window;
    TextWalk walk;
    walk.Window(window);
    for (int row = 0; row < window.Contents()->count(); ++row) {
        walk.Check(QStringLiteral("topic"), window.Contents()->item(row)->text());
    }
    EXPECT_TRUE(walk.Wrong().isEmpty()) << walk.Wrong().join(QLatin1Char('\n')).toStdString();
    for (const char* text : {"[Tidemark Help]", "[Back]", "[Contents]", "[Show the introduction]",
                             "[Introduction]", "[Printing Envelopes]"}) {
        EXPECT_TRUE(walk.Seen().contains(QString::fromUtf8(text))) << text;
    }
}

}  // namespace
