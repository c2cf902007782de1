// list and show: the search field's persons in the list's order, every field, the contact log.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "CliRun.h"
#include "TestBook.h"

namespace {

PersonRecord Person(const std::string& first, const std::string& last, const std::string& company,
                    const std::string& email, const std::string& phone = "",
                    const std::string& extension = "") {
    PersonRecord p;
    p[PersonRecord::FName] = first;
    p[PersonRecord::LName] = last;
    p[PersonRecord::Company] = company;
    p[PersonRecord::Email] = email;
    p[PersonRecord::WkPhone] = phone;
    p[PersonRecord::WkExt] = extension;
    return p;
}

class CliList : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = book_.Create();
        // Added out of order: the list sorts by last name, then first name.
        zoe_ = TestBook::AddPerson(path_, Person("Zoë", "Ångström", "Fjord AB", "zoe@fjord.se"));
        PersonRecord bo = Person("Bo", "Berg", "Acme", "bo@acme.test", "555-1234", "12");
        bo[PersonRecord::City] = "Malmö";
        bo[PersonRecord::Addr] = "Storgatan 1\r\nBox 7";
        bo_ = TestBook::AddPerson(path_, bo);
        al_ = TestBook::AddPerson(path_, Person("Al", "Berg", "Tab\tCo", ""));
        company_ = TestBook::AddPerson(path_, Person("", "", "Widgets Inc", "sales@widgets.test"));
    }

    static QStringList Column(const CliResult& result, int column) {
        QStringList values;
        for (const QString& line : result.OutLines()) {
            values.append(line.split(QLatin1Char('\t')).value(column));
        }
        return values;
    }

    TestBook book_;
    CliRunner cli_;
    std::string path_;
    RecordId zoe_, bo_, al_, company_;
};

TEST_F(CliList, EveryoneInTheListsOrderWithFiveColumns) {
    const CliResult result = cli_.OnBook(path_, {QStringLiteral("list")});
    ASSERT_EQ(result.status, 0) << result.err.toStdString();
    const QStringList lines = result.OutLines();
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(Column(result, 1),
              (QStringList{QStringLiteral("Ångström, Zoë"), QStringLiteral("Berg, Al"),
                           QStringLiteral("Berg, Bo"), QStringLiteral("Widgets Inc")}));
    EXPECT_EQ(lines.at(2),
              QStringLiteral("%1\tBerg, Bo\tAcme\tbo@acme.test\t555-1234x12").arg(Q(bo_)));
    // A tab inside a field does not make a sixth column.
    EXPECT_EQ(lines.at(1), QStringLiteral("%1\tBerg, Al\tTab Co\t\t").arg(Q(al_)));
    for (const QString& line : lines) {
        EXPECT_EQ(line.count(QLatin1Char('\t')), 4) << line.toStdString();
    }
    EXPECT_EQ(result.err, QString());
}

TEST_F(CliList, WordsFindWhatTheSearchFieldFinds) {
    // Accents ignored, every word in some field, a prefix limiting one word to its field.
    CliResult result = cli_.OnBook(path_, {QStringLiteral("angstrom")});
    EXPECT_EQ(result.status, 2) << "a word before the command is no command";
    result = cli_.OnBook(path_, {QStringLiteral("list"), QStringLiteral("angstrom")});
    EXPECT_EQ(Column(result, 0), QStringList{Q(zoe_)});
    result = cli_.OnBook(path_,
                         {QStringLiteral("list"), QStringLiteral("berg"), QStringLiteral("malmo")});
    EXPECT_EQ(Column(result, 0), QStringList{Q(bo_)});
    result = cli_.OnBook(path_, {QStringLiteral("list"), QStringLiteral("berg")});
    EXPECT_EQ(Column(result, 0), (QStringList{Q(al_), Q(bo_)}));
    result = cli_.OnBook(path_, {QStringLiteral("list"), QStringLiteral("company:acme")});
    EXPECT_EQ(Column(result, 0), QStringList{Q(bo_)});
    // The phone by its digits.
    result = cli_.OnBook(path_, {QStringLiteral("list"), QStringLiteral("5551234")});
    EXPECT_EQ(Column(result, 0), QStringList{Q(bo_)});
    EXPECT_EQ(result.status, 0);

    result = cli_.OnBook(path_, {QStringLiteral("list"), QStringLiteral("nobody")});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, QString());
}

TEST(CliStoredText, FieldsAnOlderProgramWroteInWindows1252ComeOutAsUtf8) {
    TestBook book;
    const std::string path = book.Create();
    const RecordId id = TestBook::AddPerson(path, "J\xfcrgen", "M\xfcller", "Caf\xe9 \x80 GmbH");
    CliRunner cli;
    const CliResult result = cli.OnBook(path, {QStringLiteral("list"), QStringLiteral("muller")});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.OutLines(),
              QStringList{QStringLiteral("%1\tMüller, Jürgen\tCafé € GmbH\t\t").arg(Q(id))});
}

TEST_F(CliList, JsonHoldsEveryField) {
    const CliResult result = cli_.OnBook(
        path_, {QStringLiteral("list"), QStringLiteral("--json"), QStringLiteral("bo")});
    ASSERT_EQ(result.status, 0);
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(result.out.toUtf8(), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << result.out.toStdString();
    ASSERT_TRUE(document.isArray());
    ASSERT_EQ(document.array().size(), 1);
    const QJsonObject bo = document.array().at(0).toObject();
    EXPECT_EQ(bo.value(QStringLiteral("id")).toString(), Q(bo_));
    EXPECT_EQ(bo.value(QStringLiteral("name")).toString(), QStringLiteral("Berg, Bo"));
    EXPECT_EQ(bo.value(QStringLiteral("City")).toString(), QStringLiteral("Malmö"));
    EXPECT_EQ(bo.value(QStringLiteral("Addr")).toString(), QStringLiteral("Storgatan 1\nBox 7"));
    EXPECT_EQ(bo.value(QStringLiteral("WkExt")).toString(), QStringLiteral("12"));
    EXPECT_TRUE(bo.contains(QStringLiteral("Pager")));
    EXPECT_EQ(bo.size(), PersonRecord::FieldCount + 2);
}

TEST_F(CliList, ShowOnePersonByWordsOrIdWithTheLogNewestFirst) {
    TestBook::AddContact(path_, bo_, "2024-03-01 09:15:00", "Older call");
    TestBook::AddContact(path_, bo_, "2025-06-30 17:45:00", "Newest letter",
                         "787CA2CE-1099-4127-8AED83ECA59B");
    TestBook::AddContact(path_, al_, "2025-01-01 10:00:00", "Someone else's");

    const CliResult byWords =
        cli_.OnBook(path_, {QStringLiteral("show"), QStringLiteral("bo"), QStringLiteral("berg")});
    ASSERT_EQ(byWords.status, 0) << byWords.err.toStdString();
    const QStringList lines = byWords.OutLines();
    EXPECT_EQ(lines.value(0), QStringLiteral("Berg, Bo"));
    EXPECT_TRUE(lines.contains(QStringLiteral("City: Malmö")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Address: Storgatan 1")));
    EXPECT_TRUE(lines.contains(QStringLiteral("         Box 7")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Work phone: 555-1234")));
    EXPECT_FALSE(byWords.out.contains(QStringLiteral("Pager"))) << "empty fields are left out";
    const qsizetype contacts = lines.indexOf(QStringLiteral("Contacts:"));
    ASSERT_GE(contacts, 0);
    EXPECT_EQ(lines.mid(contacts + 1),
              (QStringList{QStringLiteral("2025-06-30 17:45\tCorrespondence\tNewest letter"),
                           QStringLiteral("2024-03-01 09:15\tTelephone\tOlder call")}));

    const CliResult byId = cli_.OnBook(path_, {QStringLiteral("show"), Q(bo_)});
    EXPECT_EQ(byId.status, 0);
    EXPECT_EQ(byId.out, byWords.out);

    const CliResult json =
        cli_.OnBook(path_, {QStringLiteral("show"), QStringLiteral("--json"), Q(bo_)});
    const QJsonObject object = QJsonDocument::fromJson(json.out.toUtf8()).object();
    EXPECT_EQ(object.value(QStringLiteral("LName")).toString(), QStringLiteral("Berg"));
    const QJsonArray log = object.value(QStringLiteral("contacts")).toArray();
    ASSERT_EQ(log.size(), 2);
    EXPECT_EQ(log.at(0).toObject().value(QStringLiteral("when")).toString(),
              QStringLiteral("2025-06-30 17:45:00"));
    EXPECT_EQ(log.at(0).toObject().value(QStringLiteral("type")).toString(),
              QStringLiteral("Correspondence"));
    EXPECT_EQ(log.at(1).toObject().value(QStringLiteral("notes")).toString(),
              QStringLiteral("Older call"));
}

TEST_F(CliList, ShowOfSeveralListsThemAndOfNoneSaysSo) {
    CliResult result = cli_.OnBook(path_, {QStringLiteral("show"), QStringLiteral("berg")});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(Column(result, 0), (QStringList{Q(al_), Q(bo_)}));
    EXPECT_EQ(result.ErrLines(),
              QStringList{QStringLiteral(
                  "tidemark-cli: 2 persons match \"berg\"; name one by its record id.")});

    result = cli_.OnBook(
        path_, {QStringLiteral("show"), QStringLiteral("--json"), QStringLiteral("berg")});
    EXPECT_EQ(result.status, 1);
    const QJsonArray both = QJsonDocument::fromJson(result.out.toUtf8()).array();
    ASSERT_EQ(both.size(), 2) << result.out.toStdString();
    EXPECT_EQ(both.at(0).toObject().value(QStringLiteral("id")).toString(), Q(al_));
    EXPECT_EQ(both.at(1).toObject().value(QStringLiteral("id")).toString(), Q(bo_));

    result = cli_.OnBook(path_, {QStringLiteral("show"), QStringLiteral("nobody")});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, QString());
    EXPECT_EQ(result.ErrLines(),
              QStringList{QStringLiteral("tidemark-cli: No person matches \"nobody\".")});

    result = cli_.OnBook(path_, {QStringLiteral("show")});
    EXPECT_EQ(result.status, 2);
}

}  // namespace
