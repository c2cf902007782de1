#include <gtest/gtest.h>

#include <map>
#include <set>
#include <utility>
#include <vector>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMargins>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWhatsThis>

#include "DialogUnits.h"
#include "HelpViewer.h"
#include "HelpWindow.h"

// Lets failures print texts readably.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

const QString kIntroduction = QStringLiteral("html/Introduction.htm");

// Each topic part and the page inside the help it names.
const std::vector<std::pair<const char*, const char*>> kTopics = {
    {"::/html/Introduction.htm>mainwin", "html/Introduction.htm"},
    {"::/html/addrinfdlg.htm>topic", "html/addrinfdlg.htm"},
    {"::/html/userinfdlg.htm>topic", "html/userinfdlg.htm"},
    {"::/html/contactdlg.htm>topic", "html/contactdlg.htm"},
    {"::/html/transfer.htm>topic", "html/transfer.htm"},
    {"::/html/vcard.htm>topic", "html/vcard.htm"},
    {"::/html/sync.htm>topic", "html/sync.htm"},
    {"::/html/addrrptdlg.htm>topic", "html/addrrptdlg.htm"},
    {"::/html/cntrptdlg.htm>topic", "html/cntrptdlg.htm"},
    {"::/html/envrptdlg.htm>topic", "html/envrptdlg.htm"},
    {"::/html/actrptdlg.htm>topic", "html/actrptdlg.htm"},
};

// The main view's controls and their help numbers.
const help::PopupTable kMainView = {
    {1006, 1200}, {1045, 1205}, {1027, 1205}, {1028, 1201}, {1036, 1201}, {1031, 1202},
    {1041, 1202}, {1023, 1203}, {1037, 1203}, {1024, 1204}, {1042, 1204}, {1026, 1207},
    {1032, 1207}, {1029, 1209}, {1033, 1209}, {1030, 1210}, {1034, 1210}, {1025, 1211},
    {1079, 1211}, {1009, 1220}, {1062, 1220}, {1012, 1221}, {1064, 1221}, {1015, 1226},
    {1068, 1226}, {1018, 1225}, {1047, 1225}, {1016, 1223}, {1039, 1223}, {1017, 1224},
    {1040, 1224}, {1019, 1227}, {1072, 1227}, {1165, 2001}, {1161, 2002}, {1043, 2002},
    {1162, 2004}, {1078, 2004}, {1163, 2003}, {1044, 2003}, {1021, 2000}, {0, 0},
};

// The pop-up numbers of the dialogs and wizard pages, by the control they serve.
const std::map<int, const char*> kDialogPopups = {
    {1000, "OK"},
    {1001, "Cancel"},
    {1002, "Help button"},
    {1007, "contact types: Edit"},
    {1008, "contact types: Add"},
    {1009, "contact types: Delete"},
    {1010, "contact types: Close"},
    {6005, "person sheet: Title"},
    {6003, "person sheet: Company"},
    {6004, "person sheet: Position"},
    {6001, "person sheet: First Name"},
    {6002, "person sheet: Last Name"},
    {6107, "person sheet: Address"},
    {6109, "person sheet: City"},
    {6110, "person sheet: State"},
    {6111, "person sheet: Zip"},
    {6220, "person sheet: Home Phone"},
    {6221, "person sheet: Work Phone"},
    {6222, "person sheet: Ext"},
    {6223, "person sheet: Fax"},
    {6224, "person sheet: E-Mail"},
    {6225, "person sheet: Pager"},
    {6226, "person sheet: Cel Phone"},
    {6227, "person sheet: Web Page"},
    {2101, "contact: description"},
    {2102, "contact: Date"},
    {2103, "contact: Contact Type"},
    {2104, "contact: Time"},
    {6300, "contact types: list"},
    {6400, "contact type details: Description"},
    {4000, "wizard: file name and ..."},
    {4001, "wizard: Select File"},
    {4002, "wizard: first line of document"},
    {4004, "wizard: field names check box"},
    {4006, "wizard: Field Separator"},
    {4008, "wizard: Field Encloser"},
    {4010, "wizard: Available Fields"},
    {5000, "field assignment: field list"},
    {4012, "wizard: Encoding"},
    {3000, "printout: person list"},
    {3004, "printout: Select All"},
    {3002, "contacts printout: Beginning Date"},
    {3003, "contacts printout: Ending Date"},
    {3007, "envelopes: recipient Title"},
    {3008, "envelopes: recipient Company"},
    {3009, "envelopes: recipient Position"},
    {3010, "envelopes: return Title"},
    {3011, "envelopes: return Company"},
    {3012, "envelopes: return Position"},
    {3013, "contact activity: From"},
    {3014, "contact activity: To"},
};

QString ReadPage(const QString& page) {
    QFile file(help::PageResourcePath(page));
    if (!file.open(QIODevice::ReadOnly)) {
        return QString();
    }
    return QString::fromUtf8(file.readAll());
}

QWidget* FindHelpWindow() {
    QWidget* found = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == QStringLiteral("helpWindow")) {
            EXPECT_EQ(found, nullptr) << "more than one help window";
            found = widget;
        }
    }
    return found;
}

QTextBrowser* Browser(QWidget* window) {
    return window ? window->findChild<QTextBrowser*>(QStringLiteral("helpBrowser")) : nullptr;
}

QListWidget* Contents(QWidget* window) {
    return window ? window->findChild<QListWidget*>(QStringLiteral("helpContents")) : nullptr;
}

QWidget* VisibleWhatsThisPopup() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && QByteArray(widget->metaObject()->className()) == "QWhatsThat") {
            return widget;
        }
    }
    return nullptr;
}

class Help : public ::testing::Test {
protected:
    void Record() {
        help::SetHelpRequestHandler(
            [this](const help::HelpRequest& request) { requests.push_back(request); });
    }
    void TearDown() override {
        help::SetHelpRequestHandler(nullptr);
        QWhatsThis::hideText();
    }
    std::vector<help::HelpRequest> requests;
};

// --- Topic references ---

TEST(HelpFile, LiesInTheProgramFolder) {
    const QString expected = QDir::toNativeSeparators(QCoreApplication::applicationDirPath() +
                                                      QStringLiteral("/Tidemark.chm"));
    EXPECT_EQ(help::HelpFilePath(), expected);
    EXPECT_EQ(help::TopicReference(QString::fromLatin1(help::kContactTopic)),
              expected + QStringLiteral("::/html/contactdlg.htm>topic"));
}

TEST(TopicReference, EachTopicPartNamesItsOwnPage) {
    for (const auto& [part, page] : kTopics) {
        EXPECT_EQ(help::TopicPage(help::TopicReference(QString::fromLatin1(part))),
                  QString::fromLatin1(page))
            << part;
    }
}

TEST(TopicReference, ConstantsAreTheTopicParts) {
    const char* constants[] = {help::kMainTopic,           help::kPersonTopic,
                               help::kUserTopic,           help::kContactTopic,
                               help::kTransferTopic,       help::kVCardTopic,
                               help::kSyncTopic,           help::kAddressBookReportTopic,
                               help::kContactsReportTopic, help::kEnvelopeReportTopic,
                               help::kActivityReportTopic};
    ASSERT_EQ(std::size(constants), kTopics.size());
    for (size_t i = 0; i < kTopics.size(); ++i) {
        EXPECT_STREQ(constants[i], kTopics[i].first);
    }
}

TEST(TopicReference, WindowNameIsIgnoredAndLetterCaseDoesNotMatter) {
    EXPECT_EQ(help::TopicPage(QStringLiteral("/opt/t/Tidemark.chm::/html/ContactDlg.HTM>other")),
              QStringLiteral("html/contactdlg.htm"));
    EXPECT_EQ(help::TopicPage(QStringLiteral("Tidemark.chm::/html/envrptdlg.htm")),
              QStringLiteral("html/envrptdlg.htm"));
    EXPECT_EQ(help::TopicPage(QStringLiteral("Tidemark.chm::/html/contactdlg.htm#types>topic")),
              QStringLiteral("html/contactdlg.htm#types"));
}

TEST(TopicReference, MalformedOrUnknownReferencesGiveTheIntroduction) {
    const QString references[] = {
        QString(),
        QStringLiteral("garbage"),
        help::HelpFilePath(),
        help::TopicReference(QStringLiteral("::/>topic")),
        help::TopicReference(QStringLiteral("::/html/nothere.htm>topic")),
        help::TopicReference(QStringLiteral("::/html/contactdlg.htm.bak>topic")),
        help::TopicReference(QStringLiteral("::/html/../html/addrinfdlg.htm>topic")),
        help::TopicReference(QStringLiteral(":/html/addrinfdlg.htm>topic")),
        QStringLiteral("::/"),
    };
    for (const QString& reference : references) {
        EXPECT_EQ(help::TopicPage(reference), kIntroduction) << reference.toStdString();
    }
}

// --- The pages ---

TEST(HelpPages, EveryTopicPageLoadsFromTheResources) {
    for (const auto& [part, page] : kTopics) {
        const QString html = ReadPage(QString::fromLatin1(page));
        ASSERT_FALSE(html.isEmpty()) << page;
        QTextDocument document;
        document.setHtml(html);
        EXPECT_FALSE(document.metaInformation(QTextDocument::DocumentTitle).isEmpty()) << page;
        EXPECT_GT(document.toPlainText().simplified().size(), 600) << page;
    }
}

TEST(HelpPages, ContentsListEveryPageOnceWithItsTitleIntroductionFirst) {
    const std::vector<help::HelpTopic> topics = help::ContentsTopics();
    ASSERT_EQ(topics.size(), kTopics.size());
    EXPECT_EQ(topics.front().page, kIntroduction);
    std::set<QString> pages;
    for (const help::HelpTopic& topic : topics) {
        pages.insert(topic.page);
        QTextDocument document;
        document.setHtml(ReadPage(topic.page));
        EXPECT_EQ(document.metaInformation(QTextDocument::DocumentTitle), topic.title)
            << topic.page.toStdString();
    }
    for (const auto& [part, page] : kTopics) {
        EXPECT_EQ(pages.count(QString::fromLatin1(page)), 1u) << page;
    }
}

TEST(HelpPages, EveryLinkPointsAtAnExistingPageAndAnchor) {
    const QRegularExpression href(QStringLiteral("href=\"([^\"]*)\""));
    std::set<QString> linkedTo;
    for (const help::HelpTopic& topic : help::ContentsTopics()) {
        const QString html = ReadPage(topic.page);
        int links = 0;
        for (auto match = href.globalMatch(html); match.hasNext();) {
            const QString target = match.next().captured(1);
            if (target.contains(QLatin1Char(':'))) {
                continue;  // an address outside the help
            }
            ++links;
            const int hash = target.indexOf(QLatin1Char('#'));
            const QString file = hash < 0 ? target : target.left(hash);
            const QString anchor = hash < 0 ? QString() : target.mid(hash + 1);
            const QString page =
                file.isEmpty() ? topic.page : QDir::cleanPath(QStringLiteral("html/") + file);
            const QString targetHtml = ReadPage(page);
            EXPECT_FALSE(targetHtml.isEmpty())
                << topic.page.toStdString() << " links to " << target.toStdString();
            EXPECT_EQ(help::TopicPage(QStringLiteral("::/") + page), page)
                << topic.page.toStdString()
                << " links outside the contents: " << target.toStdString();
            if (!anchor.isEmpty()) {
                EXPECT_TRUE(targetHtml.contains(QStringLiteral("name=\"%1\"").arg(anchor)))
                    << topic.page.toStdString() << " links to a missing anchor "
                    << target.toStdString();
            }
            if (page != topic.page) {
                linkedTo.insert(page);
            }
        }
        EXPECT_GT(links, 0) << topic.page.toStdString() << " links nowhere";
    }
    for (const help::HelpTopic& topic : help::ContentsTopics()) {
        EXPECT_EQ(linkedTo.count(topic.page), 1u)
            << "no page links to " << topic.page.toStdString();
    }
}

TEST(HelpPages, NameTheMenuCommandsWithoutAccessKeyMarks) {
    const QString introduction = ReadPage(kIntroduction);
    for (const char* command :
         {"Help Topics...", "About Tidemark...", "Check For Update...", "Contact Types...",
          "Save As...", "Page Setup...", "Print Setup...", "Recent Files", "Status Bar"}) {
        EXPECT_TRUE(introduction.contains(QString::fromLatin1(command))) << command;
    }
    for (const help::HelpTopic& topic : help::ContentsTopics()) {
        const QString html = ReadPage(topic.page);
        EXPECT_FALSE(html.contains(QRegularExpression(QStringLiteral("&[A-Za-z][a-z ]*\\.\\.\\."))))
            << topic.page.toStdString();
    }
}

TEST(HelpPages, TheTransferPageFollowsTheUserInformationAndPrecedesTheReports) {
    std::vector<QString> titles;
    for (const help::HelpTopic& topic : help::ContentsTopics()) {
        titles.push_back(topic.title);
    }
    const std::vector<QString> expected = {
        QStringLiteral("Introduction"),
        QStringLiteral("Adding and Editing Persons"),
        QStringLiteral("Logging Contacts"),
        QStringLiteral("Your User Information"),
        QStringLiteral("Exporting and Importing Text Files"),
        QStringLiteral("Importing and Exporting vCard Files"),
        QStringLiteral("Keeping an Address Book in Step with a Server"),
        QStringLiteral("Printing an Address Book"),
        QStringLiteral("Printing Contacts"),
        QStringLiteral("Printing Envelopes"),
        QStringLiteral("Charting Contact Activity"),
    };
    EXPECT_EQ(titles, expected);
    EXPECT_EQ(help::ContentsTopics().at(4).page, QStringLiteral("html/transfer.htm"));
}

TEST(HelpPages, TheVCardPageNamesTheCommandsAndTheChoices) {
    QTextDocument document;
    document.setHtml(ReadPage(QStringLiteral("html/vcard.htm")));
    const QString text = document.toPlainText().simplified();
    for (const char* shown :
         {"File > Import > vCard...", "File > Export > vCard...", ".vcf", "Update", "Skip",
          "Add as New", "Cancel", "2.1", "3.0", "4.0", "UTF-8", "Pager", "Ext"}) {
        EXPECT_TRUE(text.contains(QString::fromUtf8(shown))) << shown;
    }
    // The text file page leads to it.
    EXPECT_TRUE(
        ReadPage(QStringLiteral("html/transfer.htm")).contains(QStringLiteral("vcard.htm")));
}

TEST(HelpPages, TheTransferPageNamesWhatTheWizardShows) {
    QTextDocument document;
    document.setHtml(ReadPage(QStringLiteral("html/transfer.htm")));
    const QString text = document.toPlainText().simplified();
    // The menu commands, pages, controls and messages, as the user sees them.
    for (const char* shown : {"File > Export > Persons...",
                              "File > Export > Contacts...",
                              "File > Import > Persons...",
                              "Select Document",
                              "Document Structure",
                              "Fields To Export",
                              "Fields To Import",
                              "Comma Separated files (*.csv)",
                              "Text Files (*.txt)",
                              "All files",
                              "Field Separator",
                              "Field Encloser",
                              "Semi-colon",
                              "Pipe",
                              "Tab",
                              "Double Quote",
                              "Single Quote",
                              "Nothing",
                              "Add a UTF-8 mark for spreadsheet programs",
                              "First line of document contains field names",
                              "First line of document",
                              "EMPTY FIELD",
                              "(not imported)",
                              "Encoding",
                              "First lines of document",
                              "Assign the column \"Business Street 2\" to:",
                              "Phone (by type)",
                              "Tick at least one field to export.",
                              "No person was added to the current database",
                              "Not imported:",
                              "Assign a column to LastName to finish.",
                              "Unable to open file",
                              "There are no persons to export.",
                              "There are no contacts to export.",
                              "could not be written",
                              "names added to current database.",
                              "Error importing person",
                              "Windows-1252",
                              "UTF-16",
                              "EOF"}) {
        EXPECT_TRUE(text.contains(QString::fromUtf8(shown))) << shown;
    }
    // Every field of a person export, by the name the file's first line gives it.
    for (const char* field :
         {"Title", "FirstName",   "LastName",   "Company",   "Position",  "Address",
          "City",  "State",       "ZipCode",    "HomePhone", "WorkPhone", "WorkExtension",
          "Fax",   "Pager",       "CelPhone",   "E-Mail",    "WebPage",   "Date",
          "Time",  "Description", "ContactType"}) {
        EXPECT_TRUE(text.contains(
            QRegularExpression(QStringLiteral("\\b%1\\b").arg(QRegularExpression::escape(field)))))
            << field;
    }
}

TEST(HelpPages, TheSyncPageNamesTheCommandsTheDialogAndTheCommandLine) {
    QTextDocument document;
    document.setHtml(ReadPage(QStringLiteral("html/sync.htm")));
    const QString text = document.toPlainText().simplified();
    // The menu commands, the dialogs' texts and the messages, as the user sees them.
    for (const char* shown : {"File > Sync > Link to Server...",
                              "File > Sync > Sync Now",
                              "F9",
                              "File > Sync > Unlink",
                              "Link to Server",
                              "Server",
                              "User name",
                              "Password",
                              "Remember in the desktop's password store",
                              "Find Address Books",
                              "Stop",
                              "Address books",
                              "New address book",
                              "The server has no address books yet: OK makes one of the name "
                              "below.",
                              "link it anew",
                              "Sync Password",
                              "Cancel",
                              "Synced: 3 sent, 5 received, 1 conflict held",
                              "Error Syncing",
                              "The sync did not finish.",
                              "The server refused the user name or password.",
                              "The server did not answer in 30 seconds.",
                              "The server could not be reached:",
                              "The secure connection to the server failed:",
                              "No CardDAV address book was found at",
                              ".well-known/carddav",
                              "contact log",
                              "vCard 4.0",
                              "3.0"}) {
        EXPECT_TRUE(text.contains(QString::fromUtf8(shown))) << shown;
    }
    // The command line: its three commands, their options, and what each exit status means.
    for (const char* shown :
         {"tidemark-cli link URL --user NAME", "--addressbook NAME-OR-URL", "--create NAME",
          "--password-command CMD", "--remember", "tidemark-cli sync", "tidemark-cli unlink"}) {
        EXPECT_TRUE(text.contains(QString::fromUtf8(shown))) << shown;
    }
    for (const char* status : {"\\b0\\b when the book and the server are in step",
                               "\\b4\\b when persons are held", "\\b3\\b when the sync failed"}) {
        EXPECT_TRUE(text.contains(QRegularExpression(QString::fromLatin1(status)))) << status;
    }
}

TEST(HelpPages, TheIntroductionLeadsToTheSyncPageAndNamesItsCommands) {
    const QString introduction = ReadPage(kIntroduction);
    EXPECT_TRUE(introduction.contains(QStringLiteral("href=\"sync.htm\"")));
    EXPECT_TRUE(introduction.contains(QStringLiteral("name=\"sync\"")));
    QTextDocument document;
    document.setHtml(introduction);
    const QString text = document.toPlainText().simplified();
    for (const char* shown : {"Sync > Link to Server...", "Sync > Sync Now (F9)", "Sync > Unlink",
                              "Keeping an address book in step with a server"}) {
        EXPECT_TRUE(text.contains(QString::fromUtf8(shown))) << shown;
    }
    // The vCard page, the nearest to it, leads there too.
    EXPECT_TRUE(ReadPage(QStringLiteral("html/vcard.htm")).contains(QStringLiteral("sync.htm")));
}

TEST(HelpPages, TheIntroductionLinksToTheTransferPage) {
    const QString introduction = ReadPage(kIntroduction);
    EXPECT_TRUE(introduction.contains(QStringLiteral("href=\"transfer.htm\"")));
    QTextDocument document;
    document.setHtml(introduction);
    EXPECT_TRUE(document.toPlainText().simplified().contains(
        QStringLiteral("Exporting and importing text files")));
}

// --- The help window ---

TEST_F(Help, ShowContentsOpensTheWindowWithTheContentsAtTheTopic) {
    help::ShowContents(nullptr, help::TopicReference(QString::fromLatin1(help::kContactTopic)));
    QWidget* window = FindHelpWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    QTextBrowser* browser = Browser(window);
    QListWidget* contents = Contents(window);
    ASSERT_NE(browser, nullptr);
    ASSERT_NE(contents, nullptr);
    EXPECT_TRUE(contents->isVisible());
    ASSERT_EQ(contents->count(), 11);
    EXPECT_EQ(contents->item(0)->text(), QStringLiteral("Introduction"));
    EXPECT_TRUE(browser->source().toString().endsWith(QStringLiteral("/html/contactdlg.htm")))
        << browser->source().toString().toStdString();
    EXPECT_EQ(browser->documentTitle(), QStringLiteral("Logging Contacts"));
    ASSERT_NE(contents->currentItem(), nullptr);
    EXPECT_EQ(contents->currentItem()->text(), QStringLiteral("Logging Contacts"));
    EXPECT_TRUE(browser->toPlainText().contains(QStringLiteral("Contact Type Details")));
}

TEST_F(Help, TheWindowIsMadeOnceAndReused) {
    help::ShowContents(nullptr, help::TopicReference(QString::fromLatin1(help::kMainTopic)));
    QWidget* first = FindHelpWindow();
    ASSERT_NE(first, nullptr);
    first->hide();
    help::ShowTopic(nullptr, help::TopicReference(QString::fromLatin1(help::kEnvelopeReportTopic)));
    QWidget* second = FindHelpWindow();
    EXPECT_EQ(second, first);
    EXPECT_TRUE(second->isVisible());
    EXPECT_EQ(Browser(second)->documentTitle(), QStringLiteral("Printing Envelopes"));
}

TEST_F(Help, AnUnknownTopicShowsTheIntroduction) {
    help::ShowTopic(nullptr, help::TopicReference(QString::fromLatin1(help::kUserTopic)));
    help::ShowTopic(nullptr, QStringLiteral("no topic at all"));
    QWidget* window = FindHelpWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(Browser(window)->documentTitle(), QStringLiteral("Introduction"));
    EXPECT_EQ(Contents(window)->currentRow(), 0);
}

TEST_F(Help, ShowTopicKeepsTheContentsAsTheUserLeftThemAndShowContentsBringsThemBack) {
    help::ShowContents(nullptr, help::TopicReference(QString::fromLatin1(help::kMainTopic)));
    QWidget* window = FindHelpWindow();
    ASSERT_NE(window, nullptr);
    QAbstractButton* contentsButton = nullptr;
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        if (button->text() == QStringLiteral("Contents")) {
            contentsButton = button;
        }
    }
    ASSERT_NE(contentsButton, nullptr);
    contentsButton->click();
    EXPECT_FALSE(Contents(window)->isVisible());
    help::ShowTopic(nullptr, help::TopicReference(QString::fromLatin1(help::kPersonTopic)));
    EXPECT_FALSE(Contents(window)->isVisible());
    help::ShowContents(nullptr, help::TopicReference(QString::fromLatin1(help::kPersonTopic)));
    EXPECT_TRUE(Contents(window)->isVisible());
}

TEST_F(Help, ChoosingAContentsEntryShowsItsPage) {
    help::ShowContents(nullptr, help::TopicReference(QString::fromLatin1(help::kMainTopic)));
    QWidget* window = FindHelpWindow();
    ASSERT_NE(window, nullptr);
    QListWidget* contents = Contents(window);
    ASSERT_EQ(contents->count(), 11);
    QRect row = contents->visualItemRect(contents->item(4));
    QTest::mouseClick(contents->viewport(), Qt::LeftButton, {}, row.center());
    EXPECT_EQ(Browser(window)->documentTitle(),
              QStringLiteral("Exporting and Importing Text Files"));
    EXPECT_TRUE(Browser(window)->source().toString().endsWith(QStringLiteral("/html/transfer.htm")))
        << Browser(window)->source().toString().toStdString();
    EXPECT_TRUE(
        window->windowTitle().contains(QStringLiteral("Exporting and Importing Text Files")));
    row = contents->visualItemRect(contents->item(5));
    QTest::mouseClick(contents->viewport(), Qt::LeftButton, {}, row.center());
    EXPECT_EQ(Browser(window)->documentTitle(),
              QStringLiteral("Importing and Exporting vCard Files"));
    row = contents->visualItemRect(contents->item(6));
    QTest::mouseClick(contents->viewport(), Qt::LeftButton, {}, row.center());
    EXPECT_EQ(Browser(window)->documentTitle(),
              QStringLiteral("Keeping an Address Book in Step with a Server"));
    EXPECT_TRUE(Browser(window)->source().toString().endsWith(QStringLiteral("/html/sync.htm")))
        << Browser(window)->source().toString().toStdString();
    row = contents->visualItemRect(contents->item(7));
    QTest::mouseClick(contents->viewport(), Qt::LeftButton, {}, row.center());
    EXPECT_EQ(Browser(window)->documentTitle(), QStringLiteral("Printing an Address Book"));
    EXPECT_TRUE(window->windowTitle().contains(QStringLiteral("Printing an Address Book")));
}

TEST_F(Help, TheContentsShowEveryTitleWhole) {
    help::ShowContents(nullptr, help::TopicReference(QString::fromLatin1(help::kSyncTopic)));
    QWidget* window = FindHelpWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    QListWidget* contents = Contents(window);
    ASSERT_NE(contents, nullptr);
    ASSERT_NE(contents->currentItem(), nullptr);
    EXPECT_EQ(contents->currentItem()->text(),
              QStringLiteral("Keeping an Address Book in Step with a Server"));
    EXPECT_FALSE(contents->horizontalScrollBar()->isVisible());
    for (int row = 0; row < contents->count(); ++row) {
        const QString title = contents->item(row)->text();
        EXPECT_GE(contents->viewport()->width(), contents->fontMetrics().horizontalAdvance(title))
            << title.toStdString();
    }
    // The page keeps the larger part of the window.
    EXPECT_GT(Browser(window)->width(), contents->width());
}

TEST_F(Help, TheTransferTopicSelectsItsContentsEntry) {
    help::ShowContents(nullptr, help::TopicReference(QString::fromLatin1(help::kTransferTopic)));
    QWidget* window = FindHelpWindow();
    ASSERT_NE(window, nullptr);
    QTextBrowser* browser = Browser(window);
    EXPECT_TRUE(browser->source().toString().endsWith(QStringLiteral("/html/transfer.htm")))
        << browser->source().toString().toStdString();
    ASSERT_NE(Contents(window)->currentItem(), nullptr);
    EXPECT_EQ(Contents(window)->currentItem()->text(),
              QStringLiteral("Exporting and Importing Text Files"));
    EXPECT_TRUE(browser->toPlainText().contains(QStringLiteral("Fields To Import")));
}

TEST_F(Help, ClickingALinkInAPageOpensThatPage) {
    help::ShowContents(nullptr,
                       help::TopicReference(QString::fromLatin1(help::kEnvelopeReportTopic)));
    QWidget* window = FindHelpWindow();
    ASSERT_NE(window, nullptr);
    QTextBrowser* browser = Browser(window);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    // Find the first link to the user information page and click on its text.
    QTextCursor link;
    for (QTextBlock block = browser->document()->begin(); block.isValid() && link.isNull();
         block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.charFormat().anchorHref() == QStringLiteral("userinfdlg.htm")) {
                link = QTextCursor(browser->document());
                link.setPosition(fragment.position() + fragment.length() / 2);
                break;
            }
        }
    }
    ASSERT_FALSE(link.isNull());
    browser->setTextCursor(link);
    browser->ensureCursorVisible();
    const QPoint at = browser->cursorRect(link).center();
    QTest::mouseClick(browser->viewport(), Qt::LeftButton, {}, at);
    EXPECT_TRUE(browser->source().toString().endsWith(QStringLiteral("/html/userinfdlg.htm")))
        << browser->source().toString().toStdString();
    EXPECT_EQ(Contents(window)->currentItem()->text(), QStringLiteral("Your User Information"));
    browser->backward();
    EXPECT_EQ(browser->documentTitle(), QStringLiteral("Printing Envelopes"));
}

TEST_F(Help, AModalDialogDoesNotLockTheHelpWindowAndDoesNotTakeItAlong) {
    auto* dialog = new QDialog;
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->show();
    ASSERT_EQ(QApplication::activeModalWidget(), dialog);
    help::ShowTopic(dialog, help::TopicReference(QString::fromLatin1(help::kContactTopic)));
    QWidget* window = FindHelpWindow();
    ASSERT_NE(window, nullptr);
    // Inside the modal dialog, so that the dialog does not block it.
    EXPECT_EQ(window->parentWidget(), dialog);
    EXPECT_TRUE(window->isVisible());
    dialog->hide();
    EXPECT_EQ(window->parentWidget(), nullptr);
    EXPECT_TRUE(window->isVisible());
    delete dialog;
    EXPECT_EQ(FindHelpWindow(), window);
    EXPECT_EQ(Browser(window)->documentTitle(), QStringLiteral("Logging Contacts"));
}

TEST(PlaceOverOwner, CentresOnTheOwnerAndKeepsTheFrameOnTheArea) {
    const QRect area(0, 0, 1280, 870);
    const QMargins frame(4, 30, 4, 4);
    auto outer = [&frame](const QRect& client) { return client.marginsAdded(frame); };
    // Room all round: centred on the owner.
    const QRect middle =
        help::PlaceOverOwner(QSize(800, 560), frame, QRect(200, 150, 880, 600), area);
    EXPECT_EQ(middle.size(), QSize(800, 560));
    EXPECT_EQ(outer(middle).center(), QRect(200, 150, 880, 600).center());
    // An owner at the very top: the title bar stays on the area, not above it.
    const QRect top = help::PlaceOverOwner(QSize(800, 560), frame, QRect(0, -20, 300, 120), area);
    EXPECT_TRUE(area.contains(outer(top))) << top.y();
    EXPECT_EQ(outer(top).top(), 0);
    // Near the bottom right: nothing below or right of the area.
    const QRect corner =
        help::PlaceOverOwner(QSize(800, 560), frame, QRect(1100, 800, 300, 200), area);
    EXPECT_TRUE(area.contains(outer(corner)));
    // Larger than the area: shrunk to it, title bar first.
    const QRect huge = help::PlaceOverOwner(QSize(3000, 2000), frame, QRect(), area);
    EXPECT_EQ(outer(huge), area);
    // The area of another screen, to the right of the first.
    const QRect second(1280, 0, 1024, 738);
    const QRect there =
        help::PlaceOverOwner(QSize(800, 560), frame, QRect(1300, 10, 200, 100), second);
    EXPECT_TRUE(second.contains(outer(there)));
}

TEST_F(Help, TheWindowOpensOnTheScreenOverTheDialogThatAsked) {
    help::ShowTopic(nullptr, help::TopicReference(QString::fromLatin1(help::kContactTopic)));
    QWidget* window = FindHelpWindow();
    ASSERT_NE(window, nullptr);
    window->close();
    auto* dialog = new QDialog;
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->setGeometry(QRect(0, 0, 200, 100));  // at the very top of the screen
    dialog->show();
    help::ShowTopic(dialog, help::TopicReference(QString::fromLatin1(help::kContactTopic)));
    ASSERT_TRUE(window->isVisible());
    const QRect area = dialog->screen()->availableGeometry();
    const QRect client = window->geometry();
    EXPECT_TRUE(area.contains(client)) << client.x() << "," << client.y();
    EXPECT_GE(client.top(), area.top());
    EXPECT_LE(client.bottom(), area.bottom());
    delete dialog;
}

TEST_F(Help, WithAHandlerTheRequestsGoToItInsteadOfTheWindow) {
    help::ShowContents(nullptr, help::TopicReference(QString::fromLatin1(help::kMainTopic)));
    QWidget* window = FindHelpWindow();
    ASSERT_NE(window, nullptr);
    window->hide();
    Record();
    QWidget owner;
    const QString contents = help::TopicReference(QString::fromLatin1(help::kMainTopic));
    const QString topic = help::TopicReference(QString::fromLatin1(help::kContactsReportTopic));
    help::ShowContents(&owner, contents);
    help::ShowTopic(&owner, topic);
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].kind, help::HelpRequest::Contents);
    EXPECT_EQ(requests[0].widget, &owner);
    EXPECT_EQ(requests[0].reference, contents);
    EXPECT_EQ(requests[1].kind, help::HelpRequest::Topic);
    EXPECT_EQ(requests[1].reference, topic);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(Browser(window)->documentTitle(), QStringLiteral("Introduction"));
}

// --- Pop-up texts ---

TEST(PopupText, EveryHelpNumberOfTheMainViewHasItsOwnText) {
    std::map<int, QString> texts;
    for (const help::PopupPair& pair : kMainView) {
        if (pair.popup == 0) {
            continue;
        }
        const QString text = help::PopupText(pair.popup);
        EXPECT_GT(text.size(), 20) << pair.popup;
        texts[pair.popup] = text;
    }
    EXPECT_EQ(texts.size(), 22u);
    std::set<QString> distinct;
    for (const auto& [number, text] : texts) {
        EXPECT_TRUE(distinct.insert(text).second) << number << " repeats another text";
    }
}

TEST(PopupText, EveryPopupNumberOfTheDialogsHasItsOwnText) {
    std::set<QString> distinct;
    for (const auto& [number, control] : kDialogPopups) {
        const QString text = help::PopupText(number);
        EXPECT_GT(text.size(), 20) << number << " (" << control << ")";
        EXPECT_TRUE(distinct.insert(text).second) << number << " repeats another text";
    }
}

TEST(PopupText, NumbersWithoutAControlHaveNoText) {
    for (int number : {0, -1, 1206, 1208, 1222, 2005, 6000, 99999}) {
        EXPECT_TRUE(help::PopupText(number).isEmpty()) << number;
    }
}

// --- Pop-ups at controls ---

TEST(PopupNumber, SearchesTheTableUpToItsEnd) {
    const help::PopupTable table = {{1055, 6400}, {1, 1000}, {0, 0}, {7, 7000}};
    EXPECT_EQ(help::PopupNumber(1055, table), 6400);
    EXPECT_EQ(help::PopupNumber(1, table), 1000);
    EXPECT_EQ(help::PopupNumber(7, table), 0);
    EXPECT_EQ(help::PopupNumber(2, table), 0);
    EXPECT_EQ(help::PopupNumber(0, table), 0);
    EXPECT_EQ(help::PopupNumber(1055, {}), 0);
}

TEST_F(Help, ShowControlPopupReportsTheNumberOfAControlInTheTable) {
    Record();
    QWidget form;
    QLineEdit lastName(&form);
    platform::SetControlId(&lastName, 1031);
    QLabel firstNameLabel(QStringLiteral("First Name:"), &form);
    platform::SetControlId(&firstNameLabel, 1036);
    help::ShowControlPopup(&lastName, help::HelpFilePath(), kMainView);
    help::ShowControlPopup(&firstNameLabel, help::HelpFilePath(), kMainView);
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].kind, help::HelpRequest::Popup);
    EXPECT_EQ(requests[0].widget, &lastName);
    EXPECT_EQ(requests[0].reference, help::HelpFilePath());
    EXPECT_EQ(requests[0].popup, 1202);
    EXPECT_EQ(requests[1].widget, &firstNameLabel);
    EXPECT_EQ(requests[1].popup, 1201);
}

TEST_F(Help, AControlOutsideTheTableGetsNothing) {
    Record();
    QWidget form;
    QWidget frame(&form);
    platform::SetControlId(&frame, 1166);
    QWidget unnumbered(&form);
    QWidget afterTheEnd(&form);
    platform::SetControlId(&afterTheEnd, 7);
    const help::PopupTable table = {{1006, 1200}, {0, 0}, {7, 7000}};
    help::ShowControlPopup(&frame, help::HelpFilePath(), table);
    help::ShowControlPopup(&unnumbered, help::HelpFilePath(), table);
    help::ShowControlPopup(&afterTheEnd, help::HelpFilePath(), table);
    help::ShowControlPopup(nullptr, help::HelpFilePath(), table);
    EXPECT_TRUE(requests.empty());
}

TEST_F(Help, WithoutAHandlerThePopupTextAppearsAtTheControl) {
    QWidget form;
    form.resize(300, 200);
    auto* notes = new QLineEdit(&form);
    notes->setGeometry(20, 20, 200, 30);
    platform::SetControlId(notes, 1165);
    auto* frame = new QWidget(&form);
    frame->setGeometry(20, 80, 200, 30);
    platform::SetControlId(frame, 1159);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));

    help::ShowControlPopup(frame, help::HelpFilePath(), kMainView);
    EXPECT_EQ(VisibleWhatsThisPopup(), nullptr);

    help::ShowControlPopup(notes, help::HelpFilePath(), kMainView);
    QWidget* popup = VisibleWhatsThisPopup();
    ASSERT_NE(popup, nullptr);
    const QPoint centre = notes->mapToGlobal(notes->rect().center());
    // Placed at the control: just below its centre, and across it.
    const QRect placed = popup->geometry();
    EXPECT_LE(placed.left(), centre.x());
    EXPECT_GE(placed.right(), centre.x());
    EXPECT_GE(placed.top(), centre.y());
    EXPECT_LE(placed.top(), centre.y() + 40);
}

// --- F1 and what's-this clicks in a dialog ---

class DialogHelp : public Help {
protected:
    void SetUp() override {
        auto* layout = new QVBoxLayout(&dialog);
        label = new QLabel(QStringLiteral("Description:"), &dialog);
        description = new QLineEdit(&dialog);
        label->setBuddy(description);
        platform::SetControlId(description, 1055);
        types = new QTreeWidget(&dialog);
        platform::SetControlId(types, 1103);
        other = new QLineEdit(&dialog);
        platform::SetControlId(other, 9999);
        layout->addWidget(label);
        layout->addWidget(description);
        layout->addWidget(types);
        layout->addWidget(other);
        help::InstallPopupHelp(&dialog, help::HelpFilePath(), table);
        dialog.show();
        dialog.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        Record();
    }

    // Sends a what's-this click to a widget, as the caption's help button does; true when the
    // click was taken.
    static bool WhatsThisClick(QWidget* widget) {
        QHelpEvent click(QEvent::WhatsThis, QPoint(2, 2), widget->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(widget, &click);
        return click.isAccepted();
    }

    const help::PopupTable table = {{1055, 6400}, {1103, 6300}, {1, 1000}, {0, 0}};
    QDialog dialog;
    QLabel* label = nullptr;
    QLineEdit* description = nullptr;
    QTreeWidget* types = nullptr;
    QLineEdit* other = nullptr;
};

TEST_F(DialogHelp, F1OnTheFocusedControlShowsItsPopup) {
    description->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), description);
    QTest::keyClick(description, Qt::Key_F1);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].kind, help::HelpRequest::Popup);
    EXPECT_EQ(requests[0].widget, description);
    EXPECT_EQ(requests[0].popup, 6400);
    EXPECT_EQ(requests[0].reference, help::HelpFilePath());
}

TEST_F(DialogHelp, F1WinsOverAWindowShortcutOnAControlInTheTable) {
    QAction contentsAction(&dialog);
    contentsAction.setShortcut(QKeySequence(Qt::Key_F1));
    dialog.addAction(&contentsAction);
    int triggered = 0;
    QObject::connect(&contentsAction, &QAction::triggered, [&triggered] { ++triggered; });
    description->setFocus();
    QTest::keyClick(description, Qt::Key_F1);
    EXPECT_EQ(requests.size(), 1u);
    EXPECT_EQ(triggered, 0);
    // On a control without a pop-up, the shortcut keeps working.
    other->setFocus();
    QTest::keyClick(other, Qt::Key_F1);
    EXPECT_EQ(requests.size(), 1u);
    EXPECT_EQ(triggered, 1);
}

TEST_F(DialogHelp, ShiftF1AndOtherKeysAreLeftAlone) {
    description->setFocus();
    QTest::keyClick(description, Qt::Key_F1, Qt::ShiftModifier);
    QTest::keyClick(description, Qt::Key_F2);
    QTest::keyClick(description, Qt::Key_A);
    EXPECT_TRUE(requests.empty());
    EXPECT_EQ(description->text(), QStringLiteral("a"));
}

TEST_F(DialogHelp, ALabelSpeaksForItsBuddy) {
    EXPECT_TRUE(WhatsThisClick(label));
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].widget, label);
    EXPECT_EQ(requests[0].popup, 6400);
}

TEST_F(DialogHelp, AClickInsideAListIsHelpForTheList) {
    QHelpEvent query(QEvent::QueryWhatsThis, QPoint(2, 2), types->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(types->viewport(), &query);
    EXPECT_TRUE(query.isAccepted());
    EXPECT_TRUE(requests.empty());
    EXPECT_TRUE(WhatsThisClick(types->viewport()));
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].widget, types);
    EXPECT_EQ(requests[0].popup, 6300);
}

TEST_F(DialogHelp, ControlsOutsideTheTableKeepTheirDefaultHandling) {
    EXPECT_FALSE(WhatsThisClick(other));
    other->setFocus();
    QTest::keyClick(other, Qt::Key_F1);
    EXPECT_FALSE(WhatsThisClick(&dialog));
    EXPECT_TRUE(requests.empty());
}

TEST_F(DialogHelp, OtherWindowsAreNotAffected) {
    QWidget elsewhere;
    auto* edit = new QLineEdit(&elsewhere);
    platform::SetControlId(edit, 1055);
    elsewhere.show();
    EXPECT_FALSE(WhatsThisClick(edit));
    EXPECT_TRUE(requests.empty());
}

TEST_F(Help, PopupHelpEndsWithItsDialog) {
    auto* dialog = new QDialog;
    auto* edit = new QLineEdit(dialog);
    platform::SetControlId(edit, 1055);
    help::InstallPopupHelp(dialog, help::HelpFilePath(), {{1055, 6400}, {0, 0}});
    Record();
    delete dialog;
    QWidget later;
    auto* again = new QLineEdit(&later);
    platform::SetControlId(again, 1055);
    QHelpEvent click(QEvent::WhatsThis, QPoint(1, 1), QPoint(1, 1));
    QApplication::sendEvent(again, &click);
    EXPECT_TRUE(requests.empty());
}

}  // namespace
