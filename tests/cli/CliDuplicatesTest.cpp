// duplicates: the groups of persons that look like one person, as lines and as JSON, for
// scripts; the book left as it was.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "CliRun.h"
#include "DuplicateFinding.h"
#include "TestBook.h"

namespace {

class CliDuplicates : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = book_.Create();
        hans_ = TestBook::AddPerson(path_, "Hans", "Müller", "Acme");
        mueller_ = TestBook::AddPerson(path_, "Mueller", "Hans", "Acme");
        PersonRecord ann;
        ann[PersonRecord::FName] = "Ann";
        ann[PersonRecord::LName] = "Lee";
        ann[PersonRecord::Email] = "ann@example.com";
        ann_ = TestBook::AddPerson(path_, ann);
        ann[PersonRecord::FName] = "Annie";
        ann[PersonRecord::LName] = "Lee-Smith";
        ann[PersonRecord::Email] = "ANN@example.com";
        annie_ = TestBook::AddPerson(path_, ann);
        TestBook::AddPerson(path_, "Zoe", "Zimmer");
    }

    QByteArray Bytes() const {
        QFile file(QString::fromStdString(path_));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    TestBook book_;
    CliRunner cli_;
    std::string path_;
    RecordId hans_, mueller_, ann_, annie_;
};

TEST_F(CliDuplicates, EachGroupIsItsReasonsAndItsPersonsAndTheBookIsLeftAsItWas) {
    const QByteArray before = Bytes();
    const CliResult result = cli_.OnBook(path_, {QStringLiteral("duplicates")});
    EXPECT_EQ(result.status, 0) << result.err.toStdString();
    EXPECT_EQ(result.OutLines(),
              QStringList({QStringLiteral("same e-mail"),
                           QString::fromStdString(ann_) + QStringLiteral("\tLee, Ann"),
                           QString::fromStdString(annie_) + QStringLiteral("\tLee-Smith, Annie"),
                           QString(), QStringLiteral("similar name"),
                           QString::fromStdString(hans_) + QStringLiteral("\tMüller, Hans"),
                           QString::fromStdString(mueller_) + QStringLiteral("\tHans, Mueller")}));
    EXPECT_EQ(Bytes(), before);
}

TEST_F(CliDuplicates, JsonGivesTheReasonsAndEachPersonsIdAndName) {
    const CliResult result =
        cli_.OnBook(path_, {QStringLiteral("duplicates"), QStringLiteral("--json")});
    ASSERT_EQ(result.status, 0) << result.err.toStdString();
    const QJsonArray groups = QJsonDocument::fromJson(result.out.toUtf8()).array();
    ASSERT_EQ(groups.size(), 2);
    const QJsonObject names = groups[1].toObject();
    EXPECT_EQ(names[QStringLiteral("reasons")].toArray(),
              QJsonArray({QStringLiteral("similar name")}));
    const QJsonArray persons = names[QStringLiteral("persons")].toArray();
    ASSERT_EQ(persons.size(), 2);
    EXPECT_EQ(persons[0].toObject()[QStringLiteral("id")].toString(),
              QString::fromStdString(hans_));
    EXPECT_EQ(persons[0].toObject()[QStringLiteral("name")].toString(),
              QStringLiteral("Müller, Hans"));
    EXPECT_EQ(groups[0].toObject()[QStringLiteral("reasons")].toArray(),
              QJsonArray({QStringLiteral("same e-mail")}));
}

TEST_F(CliDuplicates, PersonsSaidDistinctAreNotListedAndNoneLeftIsExitOne) {
    duplicates::MarkDistinct(path_, {hans_, mueller_});
    CliResult result = cli_.OnBook(path_, {QStringLiteral("duplicates")});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.OutLines().size(), 3);
    duplicates::MarkDistinct(path_, {ann_, annie_});
    result = cli_.OnBook(path_, {QStringLiteral("duplicates")});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, QString());
    result = cli_.OnBook(path_, {QStringLiteral("duplicates"), QStringLiteral("--json")});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(QJsonDocument::fromJson(result.out.toUtf8()).array().size(), 0);

    result = cli_.OnBook(path_, {QStringLiteral("duplicates"), QStringLiteral("Hans")});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.ErrLines().value(0),
              QStringLiteral("tidemark-cli: duplicates takes no words."));
}

}  // namespace
