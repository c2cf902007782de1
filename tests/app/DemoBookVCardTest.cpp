// The demo address book through vCard: out and back in without a field changed, again without
// a person added, and read by an independent reader with the same names, phones and addresses.
#include <gtest/gtest.h>

#include <map>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include "Database.h"
#include "DemoBook.h"
#include "StoredText.h"
#include "TestBook.h"
#include "VCardTransfer.h"

namespace {

std::map<RecordId, PersonRecord> Persons(const std::string& path) {
    cppsqlite3::Database db;
    db.Open(path);
    cppsqlite3::Query& query = db.CreateStatement().ExecuteQuery("SELECT * FROM Person");
    std::map<RecordId, PersonRecord> persons;
    while (query.Next()) {
        PersonRecord p = ReadPersonRow(query);
        persons[p.id] = p;
    }
    return persons;
}

class DemoBookVCardTest : public ::testing::Test {
protected:
    void SetUp() override {
        demo_ = book_.Path("demo.tch");
        WriteDemoBook(demo_);
        file_ = book_.Path("demo.vcf");
        const transfer::ExportResult exported = transfer::ExportVCards(demo_, file_);
        ASSERT_EQ(exported.outcome, transfer::ExportResult::Outcome::Written);
        ASSERT_EQ(exported.records, static_cast<int>(Persons(demo_).size()));
    }

    TestBook book_;
    std::string demo_;
    std::string file_;
};

TEST_F(DemoBookVCardTest, EveryPersonComesBackIntoAnEmptyFileWithAllFieldsEqual) {
    const std::string empty = book_.Create("empty.tch");
    const transfer::VCardImportPlan plan = transfer::PlanVCardImport(empty, file_);
    ASSERT_EQ(plan.outcome, transfer::VCardImportPlan::Outcome::Ready);
    EXPECT_EQ(plan.nameless, 0);
    EXPECT_EQ(transfer::ImportVCards(empty, plan, transfer::KnownCards::Skip).added,
              static_cast<int>(plan.persons.size()));
    const auto demo = Persons(demo_);
    const auto back = Persons(empty);
    ASSERT_EQ(back.size(), demo.size());
    bool pagerSeen = false;
    for (const auto& [id, person] : demo) {
        ASSERT_EQ(back.count(id), 1u) << id;
        for (int f = 0; f < PersonRecord::FieldCount; ++f) {
            EXPECT_EQ(back.at(id).fields[f], person.fields[f])
                << person.DisplayName() << ", "
                << PersonRecord::ColumnName(static_cast<PersonRecord::Field>(f));
        }
        pagerSeen = pagerSeen || !person[PersonRecord::Pager].empty();
    }
    EXPECT_TRUE(pagerSeen) << "the demo book should hold a pager number";
}

TEST_F(DemoBookVCardTest, ReadingOnesOwnExportAgainAddsNobody) {
    const size_t before = Persons(demo_).size();
    const transfer::VCardImportPlan plan = transfer::PlanVCardImport(demo_, file_);
    EXPECT_EQ(plan.KnownCount(), static_cast<int>(before));
    for (transfer::KnownCards choice : {transfer::KnownCards::Skip, transfer::KnownCards::Update}) {
        const transfer::VCardImportResult result = transfer::ImportVCards(demo_, plan, choice);
        EXPECT_EQ(result.added, 0);
        EXPECT_EQ(Persons(demo_).size(), before);
    }
}

TEST_F(DemoBookVCardTest, AnIndependentReaderFindsTheSameNamesPhonesAndAddresses) {
    QProcess reader;
    reader.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral(TIDEMARK_TOOLS "/read_vcards.py"), QString::fromStdString(file_)});
    ASSERT_TRUE(reader.waitForFinished(60000)) << "python3 did not finish";
    if (reader.exitCode() == 2) {
        GTEST_SKIP() << "python3-vobject is not installed (scripts/install-deps installs it)";
    }
    ASSERT_EQ(reader.exitCode(), 0) << reader.readAllStandardError().toStdString();
    const QJsonArray cards = QJsonDocument::fromJson(reader.readAllStandardOutput()).array();
    const auto demo = Persons(demo_);
    ASSERT_EQ(static_cast<size_t>(cards.size()), demo.size());
    auto text = [](const PersonRecord& p, PersonRecord::Field f) {
        return FromStoredText(FromStoredLines(p[f]));
    };
    for (const QJsonValue& value : cards) {
        const QJsonObject card = value.toObject();
        const RecordId id = card[QStringLiteral("uid")].toString().toStdString();
        ASSERT_EQ(demo.count(id), 1u) << id;
        const PersonRecord& p = demo.at(id);
        SCOPED_TRACE(p.DisplayName());
        EXPECT_EQ(card[QStringLiteral("family")].toString(), text(p, PersonRecord::LName));
        EXPECT_EQ(card[QStringLiteral("given")].toString(), text(p, PersonRecord::FName));
        EXPECT_EQ(card[QStringLiteral("prefix")].toString(), text(p, PersonRecord::Title));
        EXPECT_EQ(card[QStringLiteral("org")].toString(), text(p, PersonRecord::Company));
        EXPECT_EQ(card[QStringLiteral("email")].toString(), text(p, PersonRecord::Email));
        // Each phone under its type; the work phone with its extension after an x.
        std::map<QString, QString> phones;
        for (const QJsonValue& tel : card[QStringLiteral("tel")].toArray()) {
            const QJsonArray types = tel[QStringLiteral("types")].toArray();
            QStringList names;
            for (const QJsonValue& t : types) {
                names << t.toString();
            }
            phones[names.join(QLatin1Char(','))] = tel[QStringLiteral("value")].toString();
        }
        QString work = text(p, PersonRecord::WkPhone);
        if (!p[PersonRecord::WkExt].empty()) {
            work += QStringLiteral(" x") + text(p, PersonRecord::WkExt);
        }
        const std::map<QString, QString> expected = [&] {
            std::map<QString, QString> m;
            auto put = [&m](const char* types, const QString& v) {
                if (!v.isEmpty()) {
                    m[QString::fromLatin1(types)] = v;
                }
            };
            put("HOME,VOICE", text(p, PersonRecord::HmPhone));
            put("VOICE,WORK", work);
            put("CELL", text(p, PersonRecord::CelPhone));
            put("PAGER", text(p, PersonRecord::Pager));
            put("FAX,WORK", text(p, PersonRecord::WkFax));
            return m;
        }();
        EXPECT_EQ(phones, expected);
        const QJsonArray addresses = card[QStringLiteral("adr")].toArray();
        ASSERT_EQ(addresses.size(), 1);
        const QJsonObject adr = addresses[0].toObject();
        EXPECT_EQ(adr[QStringLiteral("street")].toString(), text(p, PersonRecord::Addr));
        EXPECT_EQ(adr[QStringLiteral("city")].toString(), text(p, PersonRecord::City));
        EXPECT_EQ(adr[QStringLiteral("region")].toString(), text(p, PersonRecord::State));
        EXPECT_EQ(adr[QStringLiteral("code")].toString(), text(p, PersonRecord::Zip));
    }
}

}  // namespace
