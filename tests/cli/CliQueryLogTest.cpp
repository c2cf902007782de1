// query in the mail programs' format, and log through the contact editor's write.
#include <gtest/gtest.h>

#include <QDateTime>

#include "CliRun.h"
#include "TestBook.h"

namespace {

// What a mail program reads: the first line is free text; every other line is address, name
// and other information, separated by tabs.
struct QueryAnswer {
    QString heading;
    struct Entry {
        QString address, name, other;
    };
    std::vector<Entry> entries;
    bool wellFormed = true;
};

QueryAnswer ParseQueryAnswer(const QString& text) {
    QueryAnswer answer;
    QStringList lines = text.split(QLatin1Char('\n'));
    if (lines.isEmpty() || !text.endsWith(QLatin1Char('\n'))) {
        answer.wellFormed = false;
        return answer;
    }
    lines.removeLast();
    answer.heading = lines.takeFirst();
    for (const QString& line : lines) {
        const QStringList fields = line.split(QLatin1Char('\t'));
        if (fields.size() != 3 || !fields.at(0).contains(QLatin1Char('@'))) {
            answer.wellFormed = false;
        }
        answer.entries.push_back({fields.value(0), fields.value(1), fields.value(2)});
    }
    return answer;
}

class CliQuery : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = book_.Create();
        PersonRecord two;
        two[PersonRecord::FName] = "Mia";
        two[PersonRecord::LName] = "Moss";
        two[PersonRecord::Company] = "Moss & Co";
        two[PersonRecord::Email] = "mia@moss.test; mia.moss@home.test";
        TestBook::AddPerson(path_, two);
        PersonRecord one;
        one[PersonRecord::FName] = "Max";
        one[PersonRecord::LName] = "Adler";
        one[PersonRecord::Email] = "max@adler.test";
        adler_ = TestBook::AddPerson(path_, one);
        // Found by the word but without an address: no line.
        TestBook::AddPerson(path_, "Moe", "Mossman");
    }

    TestBook book_;
    CliRunner cli_;
    std::string path_;
    RecordId adler_;
};

TEST_F(CliQuery, OneLinePerAddressOfEveryPersonFound) {
    const CliResult result = cli_.OnBook(path_, {QStringLiteral("query"), QStringLiteral("mo")});
    ASSERT_EQ(result.status, 0) << result.err.toStdString();
    const QueryAnswer answer = ParseQueryAnswer(result.out);
    ASSERT_TRUE(answer.wellFormed) << result.out.toStdString();
    EXPECT_EQ(answer.heading, QStringLiteral("Tidemark, e-mail addresses found: 2"));
    ASSERT_EQ(answer.entries.size(), 2u);
    EXPECT_EQ(answer.entries[0].address, QStringLiteral("mia@moss.test"));
    EXPECT_EQ(answer.entries[1].address, QStringLiteral("mia.moss@home.test"));
    for (const auto& entry : answer.entries) {
        EXPECT_EQ(entry.name, QStringLiteral("Moss, Mia"));
        EXPECT_EQ(entry.other, QStringLiteral("Moss & Co"));
    }
}

TEST_F(CliQuery, EveryWordMustBeFoundAndNothingFoundExitsOne) {
    CliResult result = cli_.OnBook(path_, {QStringLiteral("query"), QStringLiteral("adler.test")});
    QueryAnswer answer = ParseQueryAnswer(result.out);
    ASSERT_EQ(answer.entries.size(), 1u);
    EXPECT_EQ(answer.entries[0].address, QStringLiteral("max@adler.test"));
    EXPECT_EQ(answer.entries[0].other, QString());

    result = cli_.OnBook(path_,
                         {QStringLiteral("query"), QStringLiteral("max"), QStringLiteral("moss")});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, QString());
    EXPECT_EQ(
        result.ErrLines(),
        QStringList{QStringLiteral("tidemark-cli: No e-mail address found for \"max moss\".")});
    // A person found who has no address is nothing for a mail program.
    result = cli_.OnBook(path_, {QStringLiteral("query"), QStringLiteral("mossman")});
    EXPECT_EQ(result.status, 1);
}

TEST_F(CliQuery, LogAddsATelephoneContactNowUnlessToldOtherwise) {
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    CliResult result = cli_.OnBook(
        path_, {QStringLiteral("log"), QStringLiteral("adler"), QStringLiteral("Called back")});
    ASSERT_EQ(result.status, 0) << result.err.toStdString();
    EXPECT_EQ(result.OutLines(), QStringList{QStringLiteral("Added a contact to Adler, Max.")});
    const std::string where = "FROM Contact WHERE PersonID = '" + adler_ + "'";
    EXPECT_EQ(TestBook::QueryText(path_, "SELECT COUNT(*) " + where), "1");
    EXPECT_EQ(TestBook::QueryText(path_, "SELECT Description " + where), "Called back");
    EXPECT_EQ(TestBook::QueryText(path_, "SELECT ContactTypeID " + where),
              "9DC618A3-8452-4D33-A70BDB1C91FE");
    const QDateTime stored =
        QDateTime::fromString(Q(TestBook::QueryText(path_, "SELECT DtTm " + where)),
                              QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    EXPECT_GE(stored, before);
    EXPECT_LE(stored, QDateTime::currentDateTime().addSecs(1));

    // A given type (in any case) and time; the change is stamped as the editor's.
    TestBook::Execute(path_, "UPDATE Globals SET S = '2000-01-01 00:00:00'");
    result = cli_.OnBook(
        path_, {QStringLiteral("log"), QStringLiteral("--type"), QStringLiteral("personal"),
                QStringLiteral("--when"), QStringLiteral("2025-02-03 14:05"), Q(adler_),
                QStringLiteral("Lunch")});
    ASSERT_EQ(result.status, 0) << result.err.toStdString();
    EXPECT_EQ(TestBook::QueryText(path_, "SELECT DtTm " + where + " AND Description = 'Lunch'"),
              "2025-02-03 14:05:00");
    EXPECT_EQ(
        TestBook::QueryText(path_, "SELECT ContactTypeID " + where + " AND Description = 'Lunch'"),
        "B672E21B-848D-430C-98240E6DA171");
    EXPECT_NE(TestBook::QueryText(path_, "SELECT S FROM Globals"), "2000-01-01 00:00:00");
    // The log shows the newer first.
    const CliResult shown = cli_.OnBook(path_, {QStringLiteral("show"), Q(adler_)});
    const QStringList lines = shown.OutLines();
    const qsizetype contacts = lines.indexOf(QStringLiteral("Contacts:"));
    ASSERT_GE(contacts, 0) << shown.out.toStdString();
    EXPECT_TRUE(lines.value(contacts + 1).endsWith(QStringLiteral("\tTelephone\tCalled back")));
    EXPECT_EQ(lines.value(contacts + 2), QStringLiteral("2025-02-03 14:05\tPersonal\tLunch"));
}

TEST_F(CliQuery, LogRefusesAnUnknownTypeABadTimeAndSeveralPersons) {
    const std::string count = "SELECT COUNT(*) FROM Contact";
    CliResult result = cli_.OnBook(
        path_, {QStringLiteral("log"), QStringLiteral("--type"), QStringLiteral("Carrier pigeon"),
                QStringLiteral("adler"), QStringLiteral("Coo")});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(
        result.ErrLines(),
        QStringList{QStringLiteral("tidemark-cli: There is no contact type \"Carrier pigeon\".")});

    result = cli_.OnBook(
        path_, {QStringLiteral("log"), QStringLiteral("--when"), QStringLiteral("2025-13-01 10:00"),
                QStringLiteral("adler"), QStringLiteral("Never")});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(
        result.ErrLines().value(0),
        QStringLiteral("tidemark-cli: --when takes a date and time as \"YYYY-MM-DD HH:MM\"."));

    result = cli_.OnBook(
        path_, {QStringLiteral("log"), QStringLiteral("moss"), QStringLiteral("Which one?")});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.OutLines().size(), 2);

    result = cli_.OnBook(path_, {QStringLiteral("log"), QStringLiteral("adler")});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(TestBook::QueryText(path_, count), "0");
}

}  // namespace
