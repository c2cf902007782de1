// What a screen reader hears of each window: every control it can reach has a name of its own;
// and what the keyboard reaches: every Alt letter of what is shown leads to one control.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTcpServer>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>
#include <QWizard>

#include <functional>
#include <map>
#include <memory>
#include <ostream>

#include "CardDavServer.h"
#include "CertificateDialog.h"
#include "Commands.h"
#include "ConflictsDialog.h"
#include "ConverterDialog.h"
#include "CurrentDatabase.h"
#include "DialogUnits.h"
#include "DuplicatesDialog.h"
#include "FileDialogRecorder.h"
#include "LinkDialog.h"
#include "MainFrame.h"
#include "MainView.h"
#include "MessageRecorder.h"
#include "ModalDriver.h"
#include "SettingsSandbox.h"
#include "SyncCommands.h"
#include "SyncSession.h"
#include "TestBook.h"

// Failures show the texts, not their bytes.
void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

QString NameOf(QWidget* widget) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    return face ? face->text(QAccessible::Name) : QString();
}

QString DescriptionOf(QWidget* widget) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    return face ? face->text(QAccessible::Description) : QString();
}

// The name of the label a control is tied to, empty for none.
QString LabelOf(QWidget* widget) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    if (!face) {
        return QString();
    }
    for (const auto& [label, relation] : face->relations(QAccessible::Label)) {
        Q_UNUSED(relation);
        if (label && !label->text(QAccessible::Name).isEmpty()) {
            return label->text(QAccessible::Name);
        }
    }
    return QString();
}

// The letter an Alt key reaches the text's control by, or a null character: "&&" is no mark.
QChar MnemonicOf(const QString& text) {
    for (int i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == QLatin1Char('&')) {
            if (text[i + 1] != QLatin1Char('&')) {
                return text[i + 1].toUpper();
            }
            ++i;
        }
    }
    return QChar();
}

// The controls of one window a screen reader stops at, gathered over one or more looks (a
// sheet shows one page at a time), and what is wrong with their names.
class NameWalk {
public:
    explicit NameWalk(QString window) : window_(std::move(window)) {}

    // The controls shown now: those that take the focus, and the toolbar's buttons, which a
    // reader reaches without it. The parts of a spin box or drop-down list are theirs.
    void Look(const QWidget& root) {
        LookAtLetters(root);
        for (QWidget* widget : root.findChildren<QWidget*>()) {
            if (!widget->isVisible() || InsideCompound(*widget, root)) {
                continue;
            }
            const bool onToolBar = qobject_cast<QAbstractButton*>(widget) &&
                                   qobject_cast<QToolBar*>(widget->parentWidget());
            // A widget that hands its focus on is heard as the one it hands it to.
            if ((widget->focusPolicy() == Qt::NoFocus || widget->focusProxy()) && !onToolBar) {
                continue;
            }
            // On this desktop a drop-down list is heard by its value, and by the label it is
            // tied to for what it is for.
            if (qobject_cast<QComboBox*>(widget)) {
                lists_[widget] = LabelOf(widget);
            } else {
                names_[widget] = NameOf(widget);
            }
        }
    }

    // The unnamed controls and the names two controls share, one line each.
    QStringList Faults() const {
        QStringList faults = letterFaults_;
        std::map<QString, QStringList> holders;
        for (const auto& [widget, name] : names_) {
            if (name.trimmed().isEmpty()) {
                faults << window_ + QStringLiteral(": no name: ") + Describe(*widget);
            } else {
                holders[name] << Describe(*widget);
            }
        }
        for (const auto& [widget, label] : lists_) {
            if (label.trimmed().isEmpty()) {
                faults << window_ + QStringLiteral(": no label: ") + Describe(*widget);
            } else {
                holders[label] << Describe(*widget);
            }
        }
        for (const auto& [name, widgets] : holders) {
            if (widgets.size() > 1) {
                faults << window_ + QStringLiteral(": \"") + name + QStringLiteral("\" for ") +
                              widgets.join(QStringLiteral(", "));
            }
        }
        return faults;
    }

    QStringList Names() const {
        QStringList names;
        for (const auto& entry : names_) {
            names << entry.second;
        }
        return names;
    }
    int Count() const { return static_cast<int>(names_.size() + lists_.size()); }

private:
    // The Alt letters of what is shown now, the menu bar's included: each letter one control's.
    void LookAtLetters(const QWidget& root) {
        std::map<QChar, QStringList> holders;
        if (auto* window = qobject_cast<const QMainWindow*>(&root)) {
            for (QAction* menu : window->menuBar()->actions()) {
                if (const QChar letter = MnemonicOf(menu->text()); !letter.isNull()) {
                    holders[letter] << QStringLiteral("menu ") + menu->text();
                }
            }
        }
        for (QWidget* widget : root.findChildren<QWidget*>()) {
            if (!widget->isVisible()) {
                continue;
            }
            QString text;
            if (auto* label = qobject_cast<QLabel*>(widget); label && label->buddy()) {
                text = label->text();
            } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
                text = button->text();
            } else if (auto* box = qobject_cast<QGroupBox*>(widget); box && box->isCheckable()) {
                text = box->title();
            }
            if (const QChar letter = MnemonicOf(text); !letter.isNull()) {
                holders[letter] << text;
            }
        }
        for (const auto& [letter, texts] : holders) {
            if (texts.size() > 1) {
                letterFaults_ << window_ + QStringLiteral(": Alt+") + letter +
                                     QStringLiteral(" for ") + texts.join(QStringLiteral(", "));
            }
        }
    }

    static bool InsideCompound(const QWidget& widget, const QWidget& root) {
        for (const QWidget* at = widget.parentWidget(); at && at != &root;
             at = at->parentWidget()) {
            if (qobject_cast<const QAbstractSpinBox*>(at) || qobject_cast<const QComboBox*>(at)) {
                return true;
            }
        }
        return false;
    }

    static QString Describe(const QWidget& widget) {
        QString text = QString::fromLatin1(widget.metaObject()->className());
        if (const int id = platform::ControlId(&widget)) {
            text += QStringLiteral(" %1").arg(id);
        }
        if (!widget.objectName().isEmpty()) {
            text += QStringLiteral(" '") + widget.objectName() + QLatin1Char('\'');
        }
        return text;
    }

    QString window_;
    std::map<QWidget*, QString> names_;
    std::map<QWidget*, QString> lists_;
    QStringList letterFaults_;
};

class AccessibleNamesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sandbox_.IsValid());
        CurrentDatabasePath.clear();
        frame_ = std::make_unique<MainFrame>(MainFrame::Options{false});
    }
    void TearDown() override {
        frame_.reset();
        CurrentDatabasePath.clear();
    }

    // A book with one person whose every field is filled, and one contact, open and selected.
    void OpenFilledBook() {
        path_ = book_.Create();
        PersonRecord ann;
        ann[PersonRecord::Title] = "Dr.";
        ann[PersonRecord::FName] = "Ann";
        ann[PersonRecord::LName] = "Adams";
        ann[PersonRecord::Company] = "Harbour Works";
        ann[PersonRecord::Position] = "Pilot";
        ann[PersonRecord::Addr] = "1 Quay Street";
        ann[PersonRecord::City] = "Portland";
        ann[PersonRecord::State] = "ME";
        ann[PersonRecord::Zip] = "04101";
        ann[PersonRecord::HmPhone] = "207-555-0100";
        ann[PersonRecord::WkPhone] = "207-555-0188";
        ann[PersonRecord::CelPhone] = "207-555-0111";
        ann[PersonRecord::Pager] = "207-555-0122";
        ann[PersonRecord::WkFax] = "207-555-0133";
        ann[PersonRecord::Email] = "ann@harbour.example";
        ann[PersonRecord::WebPage] = "https://harbour.example/";
        const RecordId ann_id = TestBook::AddPerson(path_, ann);
        TestBook::AddContact(path_, ann_id, "2024-03-01 10:30:00", "Asked about the tides");
        files_.Answer(QString::fromStdString(path_));
        frame_->Action(cmd::kFileOpen)->trigger();
        ASSERT_EQ(frame_->View()->SelectedPersonRow(), 0);
        QTreeView* contacts = frame_->View()->ContactList();
        contacts->setCurrentIndex(contacts->model()->index(0, 0));
        ASSERT_EQ(frame_->View()->SelectedContactRow(), 0);
    }

    // Carries out the command and walks its dialog, every page of a tabbed one; the action, if
    // any, then works the dialog further.
    QStringList DialogOf(int command, const std::function<void(QDialog&)>& more = {}) {
        QStringList faults;
        bool seen = false;
        ModalDriver dialogs;
        dialogs.Expect([&](QDialog& dialog) {
            seen = true;
            NameWalk walk(dialog.windowTitle());
            if (auto* tabs = dialog.findChild<QTabWidget*>()) {
                for (int i = 0; i < tabs->count(); ++i) {
                    tabs->setCurrentIndex(i);
                    walk.Look(dialog);
                }
            } else {
                walk.Look(dialog);
            }
            EXPECT_GT(walk.Count(), 0) << dialog.windowTitle().toStdString();
            faults << walk.Faults();
            if (more) {
                more(dialog);
            }
        });
        frame_->OnCommand(command);
        EXPECT_TRUE(seen) << command;
        return faults;
    }

    // Walks each page of the wizard the command opens, typing the file on the first.
    QStringList WizardOf(int command, const std::string& file) {
        QStringList faults;
        ModalDriver dialogs;
        dialogs.Expect([&](QDialog& dialog) {
            auto& wizard = static_cast<QWizard&>(dialog);
            for (int page = 0; page < 3; ++page) {
                NameWalk walk(wizard.windowTitle());
                walk.Look(wizard);
                faults << walk.Faults();
                if (page == 0) {
                    QTest::keyClicks(wizard.currentPage()->findChild<QLineEdit*>(),
                                     QString::fromStdString(file));
                }
                if (page < 2) {
                    QTest::mouseClick(wizard.button(QWizard::NextButton), Qt::LeftButton);
                }
            }
            // The import's dialog that assigns a column to a field, from a click on its row.
            if (auto* list = wizard.currentPage()->findChild<QTreeWidget*>();
                list && command == cmd::kImportPersons) {
                ModalDriver inner;
                inner.Expect([&](QDialog& assign) {
                    NameWalk walk(assign.windowTitle());
                    walk.Look(assign);
                    faults << walk.Faults();
                });
                const QRect row = list->visualItemRect(list->topLevelItem(0));
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
            }
        });
        frame_->OnCommand(command);
        return faults;
    }

    SettingsSandbox sandbox_;
    TestBook book_;
    std::string path_;
    MessageRecorder boxes_;
    FileDialogRecorder files_;
    std::unique_ptr<MainFrame> frame_;
};

TEST_F(AccessibleNamesTest, EveryControlOfTheMainWindowHasANameOfItsOwn) {
    OpenFilledBook();
    frame_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame_.get()));
    NameWalk walk(QStringLiteral("main window"));
    walk.Look(*frame_);
    EXPECT_TRUE(walk.Faults().isEmpty()) << walk.Faults().join(QLatin1Char('\n')).toStdString();
    // The walk reached the lists, the fields, the value buttons and the toolbar.
    EXPECT_GT(walk.Count(), 25);
}

TEST_F(AccessibleNamesTest, TheValueButtonsListsAndToolbarSayWhatTheyAre) {
    OpenFilledBook();
    MainView* view = frame_->View();
    EXPECT_EQ(NameOf(view->Control(1012)), QStringLiteral("Work Phone: 207-555-0188"));
    EXPECT_EQ(NameOf(view->Control(1017)), QStringLiteral("E-Mail: ann@harbour.example"));
    EXPECT_EQ(NameOf(view->Control(1028)), QStringLiteral("First Name:"));
    EXPECT_EQ(NameOf(view->Control(1165)), QStringLiteral("Notes"));
    // Another person, or none: the buttons follow.
    TestBook::AddPerson(path_, "Bob", "Baker");
    view->Reload();
    view->PersonList()->setCurrentIndex(view->PersonList()->model()->index(1, 0));
    EXPECT_EQ(NameOf(view->Control(1012)), QStringLiteral("Work Phone: Not Available"));

    for (QTreeView* list : {view->PersonList(), view->ContactList()}) {
        EXPECT_FALSE(NameOf(list).isEmpty());
        EXPECT_FALSE(DescriptionOf(list).isEmpty()) << NameOf(list).toStdString();
    }
    EXPECT_EQ(NameOf(view->SearchField()), QStringLiteral("Search"));
    // The clear button shows once there is something to clear.
    QTest::keyClicks(view->SearchField(), QStringLiteral("zz"));
    QToolButton* clear = view->SearchField()->findChild<QToolButton*>();
    ASSERT_NE(clear, nullptr);
    EXPECT_EQ(NameOf(clear), QStringLiteral("Clear Search"));

    QStringList buttons;
    for (QAction* action : frame_->MainToolBar()->actions()) {
        if (QWidget* button = frame_->MainToolBar()->widgetForAction(action);
            button && !action->isSeparator()) {
            buttons << NameOf(button);
        }
    }
    EXPECT_EQ(buttons, QStringList({"New", "Open", "Add Person", "Delete Person", "Edit Person",
                                    "Add Contact", "Delete Contact", "Edit Contact", "Undo Delete",
                                    "Help"}));
    // Also the button a narrow window shows for the commands it has no room for.
    for (QToolBar* bar : {frame_->MainToolBar(), frame_->PreviewToolBar()}) {
        for (QToolButton* button : bar->findChildren<QToolButton*>()) {
            EXPECT_FALSE(NameOf(button).isEmpty()) << button->objectName().toStdString();
        }
    }
    // The menus keep their texts.
    EXPECT_EQ(frame_->Action(cmd::kAddPerson)->text(), QStringLiteral("&Add"));
}

TEST_F(AccessibleNamesTest, TheEditorsAndTheirDialogsNameEveryControl) {
    OpenFilledBook();
    QStringList faults;
    faults << DialogOf(cmd::kAddPerson) << DialogOf(cmd::kEditPerson) << DialogOf(cmd::kEditUser)
           << DialogOf(cmd::kAddContact) << DialogOf(cmd::kEditContact) << DialogOf(cmd::kAbout);
    faults << DialogOf(cmd::kContactTypes, [&faults](QDialog& dialog) {
        // The dialog that adds a type.
        ModalDriver inner;
        inner.Expect([&faults](QDialog& add) {
            NameWalk walk(add.windowTitle());
            walk.Look(add);
            faults << walk.Faults();
        });
        for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
            if (platform::ControlId(button) == 1003) {
                QTest::mouseClick(button, Qt::LeftButton);
            }
        }
    });
    EXPECT_TRUE(faults.isEmpty()) << faults.join(QLatin1Char('\n')).toStdString();
}

TEST_F(AccessibleNamesTest, TheReportDialogsNameEveryControl) {
    OpenFilledBook();
    QStringList faults;
    faults << DialogOf(cmd::kAddressBookReport) << DialogOf(cmd::kContactsReport)
           << DialogOf(cmd::kEnvelopesReport) << DialogOf(cmd::kActivityReport);
    EXPECT_TRUE(faults.isEmpty()) << faults.join(QLatin1Char('\n')).toStdString();
}

TEST_F(AccessibleNamesTest, EachMenuGivesEveryAltLetterToOneEntry) {
    OpenFilledBook();
    QStringList faults;
    QStringList reports;
    for (QAction* title : frame_->menuBar()->actions()) {
        QMenu* menu = title->menu();
        if (!menu) {
            continue;
        }
        std::map<QChar, QStringList> holders;
        for (QAction* entry : menu->actions()) {
            if (const QChar letter = MnemonicOf(entry->text()); !letter.isNull()) {
                holders[letter] << entry->text();
            }
            if (title->text() == QStringLiteral("&Reports") && !entry->isSeparator()) {
                reports << entry->text();
            }
        }
        for (const auto& [letter, texts] : holders) {
            if (texts.size() > 1) {
                faults << title->text() + QStringLiteral(": Alt+") + letter +
                              QStringLiteral(" for ") + texts.join(QStringLiteral(", "));
            }
        }
    }
    EXPECT_TRUE(faults.isEmpty()) << faults.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(reports, QStringList({"&Address Book...", "&Contacts...", "&Envelopes...",
                                    "Contact Ac&tivity...", "&Font..."}));
}

TEST_F(AccessibleNamesTest, EveryPageOfTheWizardNamesEveryControl) {
    OpenFilledBook();
    const std::string file = book_.Path("persons.csv");
    QFile csv(QString::fromStdString(file));
    ASSERT_TRUE(csv.open(QIODevice::WriteOnly));
    csv.write("LastName,FirstName\nBaker,Bob\n");
    csv.close();
    QStringList faults = WizardOf(cmd::kImportPersons, file);
    faults << WizardOf(cmd::kExportPersons, book_.Path("out.csv"));
    faults << WizardOf(cmd::kExportContacts, book_.Path("contacts.csv"));
    EXPECT_TRUE(faults.isEmpty()) << faults.join(QLatin1Char('\n')).toStdString();
}

TEST_F(AccessibleNamesTest, TheSyncDialogsNameEveryControl) {
    OpenFilledBook();
    frame_->Sync().Passwords().SetStore({});
    QStringList faults = DialogOf(cmd::kLinkToServer, [&faults](QDialog& dialog) {
        // Also with the search under way, its Stop button shown.
        auto& link = static_cast<syncui::LinkDialog&>(dialog);
        link.ServerField()->setText(QStringLiteral("http://127.0.0.1:9/"));
        QTest::mouseClick(link.FindButton(), Qt::LeftButton);
        NameWalk walk(dialog.windowTitle());
        walk.Look(dialog);
        faults << walk.Faults();
    });
    carddav::Account account;
    account.server = QStringLiteral("127.0.0.1:9");
    account.user = QStringLiteral("ann");
    account.addressBook = QUrl(QStringLiteral("http://127.0.0.1:9/ann/book/"));
    carddav::Link(path_, account);
    frame_->Sync().Recheck();
    frame_->UpdateCommands();
    // The password a sync asks for when the run does not know it.
    faults << DialogOf(cmd::kSyncNow);
    faults << DialogOf(cmd::kSyncSettings);
    EXPECT_TRUE(faults.isEmpty()) << faults.join(QLatin1Char('\n')).toStdString();
}

TEST_F(AccessibleNamesTest, TheConflictsAndTheCertificateNameEveryControl) {
    using F = PersonRecord::Field;
    carddav::apply::Held fields;
    fields.person = "ann-1";
    fields.base[F::LName] = fields.here[F::LName] = fields.server[F::LName] = "Lee";
    fields.here[F::City] = "Rome";
    fields.server[F::City] = "Oslo";
    fields.here[F::Email] = "ann@here.example";
    fields.differing = {F::City, F::Email};
    carddav::apply::Held gone = fields;
    gone.person = "bo-1";
    gone.deletedOnServer = true;
    gone.differing.clear();
    QStringList faults;
    syncui::ConflictsDialog conflicts(frame_.get(), {fields, gone});
    conflicts.show();
    for (int row = 0; row < conflicts.Persons()->count(); ++row) {
        conflicts.Persons()->setCurrentRow(row);
        NameWalk walk(conflicts.windowTitle());
        walk.Look(conflicts);
        faults << walk.Faults();
    }
    CardDavServer tls(CardDavServer::Kind::Radicale, {}, QStringLiteral("tls"));
    ASSERT_TRUE(tls.Ok()) << tls.Failure().toStdString();
    syncui::CertificateDialog certificate(frame_.get(), QStringLiteral("127.0.0.1"),
                                          tls.CertificateDer());
    certificate.show();
    NameWalk walk(certificate.windowTitle());
    walk.Look(certificate);
    faults << walk.Faults();
    EXPECT_TRUE(faults.isEmpty()) << faults.join(QLatin1Char('\n')).toStdString();
}

TEST_F(AccessibleNamesTest, TheDuplicatesDialogNamesEveryControl) {
    using F = PersonRecord::Field;
    PersonRecord a, b;
    a[F::FName] = b[F::FName] = "Hans";
    a[F::LName] = "Müller";
    b[F::LName] = "Mueller";
    a[F::City] = "Berlin";
    b[F::Email] = "hans@example.com";
    duplicates::Group group;
    group.persons = {"a", "b"};
    group.reasons = duplicates::kSimilarName;
    DuplicatesDialog dialog(frame_.get(), {group, group}, {{"a", a}, {"b", b}});
    dialog.show();
    NameWalk walk(dialog.windowTitle());
    walk.Look(dialog);
    EXPECT_TRUE(walk.Faults().isEmpty()) << walk.Faults().join(QLatin1Char('\n')).toStdString();
}

TEST_F(AccessibleNamesTest, TheSyncsProgressInTheStatusBarIsNamed) {
    // A server that takes the connection and never answers keeps the sync going.
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0));
    OpenFilledBook();
    carddav::Account account;
    account.server = QStringLiteral("http://127.0.0.1:%1/").arg(silent.serverPort());
    account.user = QStringLiteral("ann");
    account.addressBook = QUrl(account.server + QStringLiteral("ann/book/"));
    carddav::Link(path_, account);
    frame_->Sync().Recheck();
    frame_->Sync().Passwords().SetStore({});
    frame_->Sync().Passwords().Keep(account, QStringLiteral("p"), false);
    frame_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame_.get()));
    frame_->OnCommand(cmd::kSyncNow);
    ASSERT_TRUE(frame_->Sync().Syncing());
    NameWalk walk(QStringLiteral("main window"));
    walk.Look(*frame_);
    EXPECT_TRUE(walk.Faults().isEmpty()) << walk.Faults().join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(walk.Names().contains(QStringLiteral("Cancel Sync")));
    frame_->Sync().Cancel();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !frame_->Sync().Syncing(); }, 10000));
}

TEST_F(AccessibleNamesTest, TheConverterAndItsAboutBoxNameEveryControl) {
    ConverterDialog dialog;
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    NameWalk walk(dialog.windowTitle());
    walk.Look(dialog);
    QStringList faults = walk.Faults();
    EXPECT_GT(walk.Count(), 4);
    ModalDriver about;
    about.Expect([&faults](QDialog& box) {
        NameWalk inner(box.windowTitle());
        inner.Look(box);
        faults << inner.Faults();
    });
    QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("about")), Qt::LeftButton);
    EXPECT_TRUE(faults.isEmpty()) << faults.join(QLatin1Char('\n')).toStdString();
}

}  // namespace
