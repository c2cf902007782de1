#include <gtest/gtest.h>

#include <memory>

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QSettings>

#include "RecentFileList.h"
#include "Settings.h"
#include "SettingsSandbox.h"

namespace {

constexpr int kFirst = RecentFileList::kFirstCommand;

// A File menu shaped like the program's: items before and after the recent-files item.
class RecentFileListTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sandbox_.IsValid());
        menu_.addAction(QStringLiteral("&Open..."))->setData(57601);
        QAction* empty = menu_.addAction(QStringLiteral("(Empty)"));
        empty->setData(kFirst);
        empty->setEnabled(false);
        menu_.addSeparator();
        menu_.addAction(QStringLiteral("E&xit"))->setData(57665);
    }

    // The texts and commands of the menu's items, in order.
    QStringList Texts() const {
        QStringList texts;
        for (const QAction* action : menu_.actions()) {
            texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
        }
        return texts;
    }
    QList<int> Commands() const {
        QList<int> commands;
        for (const QAction* action : menu_.actions()) {
            commands << action->data().toInt();
        }
        return commands;
    }
    QAction* ItemAt(int index) const { return menu_.actions().at(index); }

    SettingsSandbox sandbox_;
    QMenu menu_;
};

TEST_F(RecentFileListTest, FirstStartShowsGreyedEmptyAndReadsNothing) {
    RecentFileList list;
    list.Attach(&menu_);
    EXPECT_EQ(list.EmptyText(), QStringLiteral("(Empty)"));
    EXPECT_FALSE(list.ReadFromSettings(QString::fromLatin1(kProductKey)));
    EXPECT_TRUE(list.Entries().isEmpty());
    EXPECT_EQ(list.Maximum(), 4);
    EXPECT_FALSE(QFile::exists(sandbox_.StoreFile()));

    // Emptied again after an entry came and went, the menu shows the same greyed item.
    list.Add(QStringLiteral("/data/a.tch"));
    list.Remove(kFirst);
    EXPECT_EQ(Texts(), (QStringList{"&Open...", "(Empty)", "-", "E&xit"}));
    EXPECT_EQ(ItemAt(1)->data().toInt(), kFirst);
    EXPECT_FALSE(ItemAt(1)->isEnabled());
    EXPECT_FALSE(QFile::exists(sandbox_.StoreFile()));
}

TEST_F(RecentFileListTest, MenuWithoutTheItemGivesLowerCaseEmptyTextAtTheEnd) {
    QMenu bare;
    bare.addAction(QStringLiteral("&New"))->setData(57600);
    RecentFileList list;
    list.Attach(&bare);
    EXPECT_EQ(list.EmptyText(), QStringLiteral("(empty)"));
    ASSERT_TRUE(list.UpdateMenu());
    ASSERT_EQ(bare.actions().size(), 2);
    EXPECT_EQ(bare.actions().at(1)->text(), QStringLiteral("(empty)"));
    EXPECT_EQ(bare.actions().at(1)->data().toInt(), kFirst);
    EXPECT_FALSE(bare.actions().at(1)->isEnabled());

    RecentFileList detached;
    detached.Attach(nullptr);
    EXPECT_EQ(detached.EmptyText(), QStringLiteral("(empty)"));
    EXPECT_FALSE(detached.UpdateMenu());
}

TEST_F(RecentFileListTest, ListOutlivingItsMenuKeepsWorking) {
    RecentFileList list;
    {
        QMenu shortLived;
        shortLived.addAction(QStringLiteral("(Empty)"))->setData(kFirst);
        list.Attach(&shortLived);
        list.Add(QStringLiteral("/a.tch"));
        EXPECT_EQ(shortLived.actions().at(0)->text(), QStringLiteral("&1 /a.tch"));
    }
    list.Add(QStringLiteral("/b.tch"));
    EXPECT_FALSE(list.UpdateMenu());
    EXPECT_EQ(list.Entries(), (QStringList{"/b.tch", "/a.tch"}));
}

TEST_F(RecentFileListTest, FiveAddsWithMaximumFourKeepTheLatestFour) {
    RecentFileList list;
    list.Attach(&menu_);
    for (int i = 1; i <= 5; ++i) {
        list.Add(QStringLiteral("/home/ann/books/file%1.tch").arg(i));
    }
    EXPECT_EQ(list.Entries(),
              (QStringList{"/home/ann/books/file5.tch", "/home/ann/books/file4.tch",
                           "/home/ann/books/file3.tch", "/home/ann/books/file2.tch"}));
    EXPECT_EQ(Texts(), (QStringList{"&Open...", "&1 /home/ann/books/file5.tch",
                                    "&2 /home/ann/books/file4.tch", "&3 /home/ann/books/file3.tch",
                                    "&4 /home/ann/books/file2.tch", "-", "E&xit"}));
    EXPECT_EQ(Commands(),
              (QList<int>{57601, kFirst, kFirst + 1, kFirst + 2, kFirst + 3, 0, 57665}));
    for (int i = 1; i <= 4; ++i) {
        EXPECT_TRUE(ItemAt(i)->isEnabled());
    }
    EXPECT_EQ(list.PathOf(kFirst), QStringLiteral("/home/ann/books/file5.tch"));
    EXPECT_EQ(list.PathOf(kFirst + 3), QStringLiteral("/home/ann/books/file2.tch"));
    EXPECT_TRUE(list.PathOf(kFirst + 4).isEmpty());
    EXPECT_TRUE(list.PathOf(kFirst - 1).isEmpty());
}

TEST_F(RecentFileListTest, DuplicateInOtherCaseMovesToTopWithTheNewCase) {
    RecentFileList list;
    list.Attach(&menu_);
    list.Add(QStringLiteral("/srv/Club.tch"));
    list.Add(QStringLiteral("/srv/family.tch"));
    list.Add(QStringLiteral("/srv/work.tch"));
    list.Add(QStringLiteral("/SRV/FAMILY.TCH"));
    EXPECT_EQ(list.Entries(), (QStringList{"/SRV/FAMILY.TCH", "/srv/work.tch", "/srv/Club.tch"}));
    EXPECT_EQ(Texts(), (QStringList{"&Open...", "&1 /SRV/FAMILY.TCH", "&2 /srv/work.tch",
                                    "&3 /srv/Club.tch", "-", "E&xit"}));

    // At the maximum, a duplicate makes room for itself; nothing else is dropped.
    list.Add(QStringLiteral("/srv/more.tch"));
    list.Add(QStringLiteral("/srv/club.tch"));
    EXPECT_EQ(list.Entries(),
              (QStringList{"/srv/club.tch", "/srv/more.tch", "/SRV/FAMILY.TCH", "/srv/work.tch"}));
}

TEST_F(RecentFileListTest, StoredCountOneGivesTwo) {
    ASSERT_TRUE(sandbox_.WriteStoreText(
        "[Recent%20Document%20List]\nDocumentCount=1\nDocument1=/a.tch\nDocument2=/b.tch\n"
        "Document3=/c.tch\n"));
    RecentFileList list;
    list.Attach(&menu_);
    ASSERT_TRUE(list.ReadFromSettings(QString::fromLatin1(kProductKey)));
    EXPECT_EQ(list.Maximum(), 2);
    EXPECT_EQ(list.Entries(), (QStringList{"/a.tch", "/b.tch"}));
    EXPECT_EQ(Texts(), (QStringList{"&Open...", "&1 /a.tch", "&2 /b.tch", "-", "E&xit"}));
}

TEST_F(RecentFileListTest, StoredCountFortyGivesSixteen) {
    QByteArray text = "[Recent%20Document%20List]\nDocumentCount=40\n";
    for (int i = 1; i <= 20; ++i) {
        text += "Document" + QByteArray::number(i) + "=/d" + QByteArray::number(i) + ".tch\n";
    }
    ASSERT_TRUE(sandbox_.WriteStoreText(text));
    RecentFileList list;
    list.Attach(&menu_);
    ASSERT_TRUE(list.ReadFromSettings(QString::fromLatin1(kProductKey)));
    EXPECT_EQ(list.Maximum(), 16);
    ASSERT_EQ(list.Entries().size(), 16);
    EXPECT_EQ(list.Entries().front(), QStringLiteral("/d1.tch"));
    EXPECT_EQ(list.Entries().back(), QStringLiteral("/d16.tch"));
    EXPECT_EQ(ItemAt(16)->text(), QStringLiteral("&16 /d16.tch"));
    EXPECT_EQ(ItemAt(16)->data().toInt(), RecentFileList::kLastCommand);
    EXPECT_TRUE(ItemAt(17)->isSeparator());
}

TEST_F(RecentFileListTest, MissingOrUnusableCountChangesNothing) {
    for (const QByteArray& count : {QByteArray(), QByteArray("DocumentCount=99999999999\n"),
                                    QByteArray("DocumentCount=many\n")}) {
        SettingsSandbox sandbox;
        ASSERT_TRUE(sandbox.WriteStoreText("[Recent%20Document%20List]\n" + count +
                                           "Document1=/stored.tch\n"));
        RecentFileList list;
        list.Attach(&menu_);
        list.Add(QStringLiteral("/kept.tch"));
        EXPECT_FALSE(list.ReadFromSettings(QString::fromLatin1(kProductKey))) << count.data();
        EXPECT_EQ(list.Entries(), QStringList{"/kept.tch"});
        EXPECT_EQ(list.Maximum(), 4);
        EXPECT_EQ(ItemAt(1)->text(), QStringLiteral("&1 /kept.tch"));
        list.Remove(kFirst);
    }
    // The fixture's own store is in force again once the inner ones are gone.
    RecentFileList list;
    list.Add(QStringLiteral("/after.tch"));
    ASSERT_TRUE(list.WriteToSettings(QString::fromLatin1(kProductKey)));
    EXPECT_TRUE(QFile::exists(sandbox_.StoreFile()));
}

TEST_F(RecentFileListTest, ReadSkipsMissingValuesAndTestsNoFiles) {
    ASSERT_TRUE(sandbox_.WriteStoreText(
        "[Recent%20Document%20List]\nDocumentCount=4\nDocument1=/gone/one.tch\n"
        "Document3=/gone/three.tch\n"));
    RecentFileList list;
    list.Attach(&menu_);
    list.Add(QStringLiteral("/earlier.tch"));
    ASSERT_TRUE(list.ReadFromSettings(QString::fromLatin1(kProductKey)));
    EXPECT_EQ(list.Entries(), (QStringList{"/gone/one.tch", "/gone/three.tch"}));
    EXPECT_EQ(Texts(),
              (QStringList{"&Open...", "&1 /gone/one.tch", "&2 /gone/three.tch", "-", "E&xit"}));
}

TEST_F(RecentFileListTest, ShrunkListDeletesHigherValuesAtTheNextWrite) {
    ASSERT_TRUE(sandbox_.WriteStoreText(
        "[Recent%20Document%20List]\nDocumentCount=5\nDocument1=/1.tch\nDocument2=/2.tch\n"
        "Document3=/3.tch\nDocument4=/4.tch\nDocument5=/5.tch\n"));
    RecentFileList list;
    list.Attach(&menu_);
    ASSERT_TRUE(list.ReadFromSettings(QString::fromLatin1(kProductKey)));
    ASSERT_EQ(list.Entries().size(), 5);
    list.Remove(kFirst + 1);  // "/2.tch"
    list.Remove(kFirst + 3);  // "/5.tch", fourth once "/2.tch" is gone
    EXPECT_EQ(list.Entries(), (QStringList{"/1.tch", "/3.tch", "/4.tch"}));
    EXPECT_EQ(Texts(),
              (QStringList{"&Open...", "&1 /1.tch", "&2 /3.tch", "&3 /4.tch", "-", "E&xit"}));

    // Removing alone writes nothing.
    EXPECT_EQ(sandbox_.Raw()->value(QStringLiteral("Recent Document List/Document5")).toString(),
              QStringLiteral("/5.tch"));

    ASSERT_TRUE(list.WriteToSettings(QString::fromLatin1(kProductKey)));
    auto raw = sandbox_.Raw();
    raw->beginGroup(QStringLiteral("Recent Document List"));
    EXPECT_EQ(raw->childKeys(),
              (QStringList{"Document1", "Document2", "Document3", "DocumentCount"}));
    EXPECT_EQ(raw->value(QStringLiteral("DocumentCount")).toInt(), 5);
    EXPECT_EQ(raw->value(QStringLiteral("Document1")).toString(), QStringLiteral("/1.tch"));
    EXPECT_EQ(raw->value(QStringLiteral("Document2")).toString(), QStringLiteral("/3.tch"));
    EXPECT_EQ(raw->value(QStringLiteral("Document3")).toString(), QStringLiteral("/4.tch"));
}

TEST_F(RecentFileListTest, RoundTripGivesTheSameListAndMenu) {
    const QStringList paths{QStringLiteral("/home/ann/Smith & Jones.tch"),
                            QStringLiteral("/home/ann/a, b; c=d \"quoted\".tch"),
                            QStringLiteral("/home/ann/Zoë Müller/Adressen.tch"),
                            QStringLiteral("/home/ann/ leading blank.tch")};
    RecentFileList written;
    written.Attach(&menu_);
    for (const QString& path : paths) {
        written.Add(path);
    }
    ASSERT_TRUE(written.WriteToSettings(QString::fromLatin1(kProductKey)));
    const QStringList menuWritten = Texts();

    // The stored form: the maximum, then the most recent entry first.
    {
        auto raw = sandbox_.Raw();
        raw->beginGroup(QStringLiteral("Recent Document List"));
        EXPECT_EQ(raw->value(QStringLiteral("DocumentCount")).toInt(), 4);
        EXPECT_EQ(raw->value(QStringLiteral("Document1")).toString(), paths.at(3));
        EXPECT_EQ(raw->value(QStringLiteral("Document4")).toString(), paths.at(0));
    }

    QMenu other;
    QAction* empty = other.addAction(QStringLiteral("(Empty)"));
    empty->setData(kFirst);
    RecentFileList read;
    read.Attach(&other);
    ASSERT_TRUE(read.ReadFromSettings(QString::fromLatin1(kProductKey)));
    EXPECT_EQ(read.Entries(), written.Entries());
    EXPECT_EQ(read.Maximum(), 4);
    QStringList menuRead;
    for (const QAction* action : other.actions()) {
        menuRead << action->text();
    }
    EXPECT_EQ(menuRead, menuWritten.mid(1, 4));
}

TEST_F(RecentFileListTest, AmpersandInPathShowsAsItIs) {
    RecentFileList list;
    list.Attach(&menu_);
    list.Add(QStringLiteral("/books/R&D/A&&B.tch"));
    EXPECT_EQ(ItemAt(1)->text(), QStringLiteral("&1 /books/R&&D/A&&&&B.tch"));
    // The path itself is untouched.
    EXPECT_EQ(list.PathOf(kFirst), QStringLiteral("/books/R&D/A&&B.tch"));
}

TEST_F(RecentFileListTest, MoveToTopAndRemoveFollowTheCommand) {
    RecentFileList list;
    list.Attach(&menu_);
    list.Add(QStringLiteral("/a.tch"));
    list.Add(QStringLiteral("/b.tch"));
    list.Add(QStringLiteral("/c.tch"));
    list.MoveToTop(kFirst + 2);  // "/a.tch"
    EXPECT_EQ(list.Entries(), (QStringList{"/a.tch", "/c.tch", "/b.tch"}));
    EXPECT_EQ(ItemAt(1)->text(), QStringLiteral("&1 /a.tch"));
    list.MoveToTop(kFirst + 7);  // names no entry
    list.Remove(kFirst + 9);
    EXPECT_EQ(list.Entries(), (QStringList{"/a.tch", "/c.tch", "/b.tch"}));
    list.Remove(kFirst + 1);
    EXPECT_EQ(list.Entries(), (QStringList{"/a.tch", "/b.tch"}));
    EXPECT_EQ(Texts(), (QStringList{"&Open...", "&1 /a.tch", "&2 /b.tch", "-", "E&xit"}));
}

TEST_F(RecentFileListTest, SmallerStoredMaximumLeavesNoStaleItems) {
    RecentFileList list;
    list.Attach(&menu_);
    for (int i = 1; i <= 4; ++i) {
        list.Add(QStringLiteral("/old%1.tch").arg(i));
    }
    ASSERT_TRUE(sandbox_.WriteStoreText(
        "[Recent%20Document%20List]\nDocumentCount=2\nDocument1=/new.tch\n"));
    ASSERT_TRUE(list.ReadFromSettings(QString::fromLatin1(kProductKey)));
    EXPECT_EQ(Texts(), (QStringList{"&Open...", "&1 /new.tch", "-", "E&xit"}));
}

TEST_F(RecentFileListTest, OverlongPathsAreNeitherAddedNorRead) {
    const QString longest = QLatin1Char('/') + QString(RecentFileList::kMaxPathLength - 1, 'x');
    const QString tooLong = longest + QLatin1Char('y');
    RecentFileList list;
    list.Attach(&menu_);
    list.Add(longest);
    list.Add(tooLong);
    list.Add(QString());
    EXPECT_EQ(list.Entries(), QStringList{longest});

    ASSERT_TRUE(sandbox_.WriteStoreText("[Recent%20Document%20List]\nDocumentCount=4\nDocument1=" +
                                        tooLong.toUtf8() + "\nDocument2=/short.tch\n"));
    ASSERT_TRUE(list.ReadFromSettings(QString::fromLatin1(kProductKey)));
    EXPECT_EQ(list.Entries(), QStringList{"/short.tch"});
}

TEST_F(RecentFileListTest, TwiceStoredPathIsListedOnce) {
    ASSERT_TRUE(sandbox_.WriteStoreText(
        "[Recent%20Document%20List]\nDocumentCount=4\nDocument1=/Same.tch\nDocument2=/x.tch\n"
        "Document3=/same.tch\n"));
    RecentFileList list;
    list.Attach(&menu_);
    ASSERT_TRUE(list.ReadFromSettings(QString::fromLatin1(kProductKey)));
    EXPECT_EQ(list.Entries(), (QStringList{"/Same.tch", "/x.tch"}));
}

TEST_F(RecentFileListTest, StoreThatCannotBeWrittenReportsFalse) {
    // A plain file where the store's folder belongs.
    QFile blocker(sandbox_.Folder() + QStringLiteral("/Vantorel"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    RecentFileList list;
    list.Attach(&menu_);
    list.Add(QStringLiteral("/a.tch"));
    EXPECT_FALSE(list.WriteToSettings(QString::fromLatin1(kProductKey)));
    EXPECT_FALSE(list.ReadFromSettings(QString::fromLatin1(kProductKey)));
    EXPECT_EQ(list.Entries(), QStringList{"/a.tch"});
}

TEST(SettingsKey, SubkeysBecomeGroupsOfTheProductFile) {
    SettingsSandbox sandbox;
    ASSERT_TRUE(sandbox.IsValid());
    {
        auto key = OpenSettingsKey(QString::fromLatin1(kSettingsKey));
        key->setValue(QStringLiteral("wp.showCmd"), 3);
        auto deeper = OpenSettingsKey(QString::fromLatin1(kProductKey) +
                                      QStringLiteral("\\Recent Document List"));
        deeper->setValue(QStringLiteral("DocumentCount"), 4);
    }
    auto raw = sandbox.Raw();
    EXPECT_EQ(raw->value(QStringLiteral("Settings/wp.showCmd")).toInt(), 3);
    EXPECT_EQ(raw->value(QStringLiteral("Recent Document List/DocumentCount")).toInt(), 4);
    EXPECT_EQ(raw->childGroups(), (QStringList{"Recent Document List", "Settings"}));
}

TEST(SettingsKey, NumbersReadAsThirtyTwoBitPatterns) {
    SettingsSandbox sandbox;
    ASSERT_TRUE(sandbox.WriteStoreText(
        "[Settings]\nminus=4294967295\nsigned=-7\nplain=12\nwide=4294967296\nlow=-2147483649\n"
        "word=twelve\n"));
    auto key = OpenSettingsKey(QString::fromLatin1(kSettingsKey));
    qint32 n = 99;
    EXPECT_TRUE(ReadSettingsNumber(*key, QStringLiteral("minus"), &n));
    EXPECT_EQ(n, -1);
    EXPECT_TRUE(ReadSettingsNumber(*key, QStringLiteral("signed"), &n));
    EXPECT_EQ(n, -7);
    EXPECT_TRUE(ReadSettingsNumber(*key, QStringLiteral("plain"), &n));
    EXPECT_EQ(n, 12);
    n = 99;
    EXPECT_FALSE(ReadSettingsNumber(*key, QStringLiteral("wide"), &n));
    EXPECT_FALSE(ReadSettingsNumber(*key, QStringLiteral("low"), &n));
    EXPECT_FALSE(ReadSettingsNumber(*key, QStringLiteral("word"), &n));
    EXPECT_FALSE(ReadSettingsNumber(*key, QStringLiteral("absent"), &n));
    EXPECT_EQ(n, 99);
}

}  // namespace
