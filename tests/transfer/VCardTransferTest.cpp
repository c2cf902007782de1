#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "TestBook.h"
#include "TransferCoreTestSupport.h"
#include "VCardTransfer.h"

using transfer_test::FileBytes;
using transfer_test::StoredPersons;
using transfer_test::WriteBytes;

namespace {

// The vCard export and import against real address book files.
class VCardTransferTest : public ::testing::Test {
protected:
    void SetUp() override { path_ = book_.Create(); }

    std::string FilePath(const char* name) const { return book_.Path(name); }

    // A person with every field set, the address on two lines.
    static PersonRecord Full(const std::string& last) {
        PersonRecord p;
        p[PersonRecord::Title] = "Dr.";
        p[PersonRecord::FName] = "Zoë";
        p[PersonRecord::LName] = last;
        p[PersonRecord::Company] = "Acme; Sons, \"Ltd\"";
        p[PersonRecord::Position] = "Head\\of R&D";
        p[PersonRecord::Addr] = "1 Main Street\r\nSuite 5";
        p[PersonRecord::City] = "Köln";
        p[PersonRecord::State] = "NRW";
        p[PersonRecord::Zip] = "50667";
        p[PersonRecord::HmPhone] = "+49 221 555-0100";
        p[PersonRecord::WkPhone] = "555-1234";
        p[PersonRecord::WkExt] = "12";
        p[PersonRecord::CelPhone] = "0170 555 0199";
        p[PersonRecord::Pager] = "555-0777";
        p[PersonRecord::WkFax] = "555-1235";
        p[PersonRecord::Email] = "zoe@acme.example";
        p[PersonRecord::WebPage] = "https://acme.example/~zoe";
        return p;
    }

    static std::map<RecordId, PersonRecord> ById(const std::vector<PersonRecord>& persons) {
        std::map<RecordId, PersonRecord> byId;
        for (const PersonRecord& p : persons) {
            byId[p.id] = p;
        }
        return byId;
    }

    TestBook book_;
    std::string path_;
};

TEST_F(VCardTransferTest, ExportAndImportIntoAnEmptyFileKeepEveryFieldAndIdentifier) {
    TestBook::AddPerson(path_, Full("Müller"));
    TestBook::AddPerson(path_, Full("Ødegård"));
    PersonRecord companyOnly;
    companyOnly[PersonRecord::Company] = "Harbour Lights";
    companyOnly[PersonRecord::WkExt] = "9";  // an extension without its number
    TestBook::AddPerson(path_, companyOnly);
    const std::string file = FilePath("all.vcf");
    const transfer::ExportResult exported = transfer::ExportVCards(path_, file);
    ASSERT_EQ(exported.outcome, transfer::ExportResult::Outcome::Written);
    EXPECT_EQ(exported.records, 3);

    const std::string empty = book_.Create("empty.tch");
    const transfer::VCardImportPlan plan = transfer::PlanVCardImport(empty, file);
    ASSERT_EQ(plan.outcome, transfer::VCardImportPlan::Outcome::Ready);
    EXPECT_EQ(plan.persons.size(), 3u);
    EXPECT_EQ(plan.KnownCount(), 0);
    const transfer::VCardImportResult result =
        transfer::ImportVCards(empty, plan, transfer::KnownCards::Skip);
    EXPECT_EQ(result.added, 3);

    const auto before = ById(StoredPersons(path_));
    const auto after = ById(StoredPersons(empty));
    ASSERT_EQ(after.size(), before.size());
    for (const auto& [id, person] : before) {
        ASSERT_EQ(after.count(id), 1u) << "identifier kept: " << id;
        for (int f = 0; f < PersonRecord::FieldCount; ++f) {
            EXPECT_EQ(after.at(id).fields[f], person.fields[f])
                << PersonRecord::ColumnName(static_cast<PersonRecord::Field>(f));
        }
    }
}

TEST_F(VCardTransferTest, CardsOfPersonsAlreadyInTheFileAreUpdatedSkippedOrAddedAsTheUserSays) {
    const RecordId ann = TestBook::AddPerson(path_, "Ann", "Adams");
    TestBook::AddPerson(path_, "Bob", "Brown");
    const std::string file = FilePath("own.vcf");
    ASSERT_EQ(transfer::ExportVCards(path_, file).outcome,
              transfer::ExportResult::Outcome::Written);
    // Ann changes elsewhere; a stranger joins the file.
    std::string text = FileBytes(file);
    const size_t at = text.find("Adams;Ann");
    ASSERT_NE(at, std::string::npos);
    text.replace(at, 9, "Adams-Lee;Ann");
    text +=
        "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Clark;Cy;;;\r\nFN:Cy Clark\r\nUID:urn:uuid:"
        "1234\r\nEND:VCARD\r\n";
    WriteBytes(file, text);

    transfer::VCardImportPlan plan = transfer::PlanVCardImport(path_, file);
    ASSERT_EQ(plan.outcome, transfer::VCardImportPlan::Outcome::Ready);
    EXPECT_EQ(plan.KnownCount(), 2);

    // Skipped: a re-import adds only the stranger.
    transfer::VCardImportResult skipped =
        transfer::ImportVCards(path_, plan, transfer::KnownCards::Skip);
    EXPECT_EQ(skipped.added, 1);
    EXPECT_EQ(skipped.skipped, 2);
    EXPECT_EQ(StoredPersons(path_).size(), 3u);
    EXPECT_EQ(TestBook::QueryText(path_, "SELECT LName FROM Person WHERE ID = '" + ann + "'"),
              "Adams");

    // Updated: Ann takes the card's name, nobody is added but the stranger again.
    plan = transfer::PlanVCardImport(path_, file);
    const transfer::VCardImportResult updated =
        transfer::ImportVCards(path_, plan, transfer::KnownCards::Update);
    EXPECT_EQ(updated.updated, 2);
    EXPECT_EQ(updated.added, 1);
    EXPECT_EQ(TestBook::QueryText(path_, "SELECT LName FROM Person WHERE ID = '" + ann + "'"),
              "Adams-Lee");
    EXPECT_EQ(StoredPersons(path_).size(), 4u);  // Cy Clark twice: his UID is not of this file

    // Added as new: each card a person of its own, under new identifiers.
    plan = transfer::PlanVCardImport(path_, file);
    const transfer::VCardImportResult asNew =
        transfer::ImportVCards(path_, plan, transfer::KnownCards::AddAsNew);
    EXPECT_EQ(asNew.added, 3);
    EXPECT_EQ(StoredPersons(path_).size(), 7u);
    EXPECT_EQ(TestBook::QueryText(path_, "SELECT COUNT(DISTINCT ID) FROM Person"), "7");
}

TEST_F(VCardTransferTest, TheSameUidTwiceInOneFileGivesTwoPersons) {
    const std::string card =
        "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Twin;A;;;\r\nUID:0123ABCD-0123-4567-89ABCDEF0123\r\n"
        "END:VCARD\r\n";
    const std::string file = FilePath("twins.vcf");
    WriteBytes(file, card + card);
    const transfer::VCardImportPlan plan = transfer::PlanVCardImport(path_, file);
    const transfer::VCardImportResult result =
        transfer::ImportVCards(path_, plan, transfer::KnownCards::Skip);
    EXPECT_EQ(result.added, 2);
    EXPECT_EQ(TestBook::QueryText(path_, "SELECT COUNT(DISTINCT ID) FROM Person"), "2");
    // The first keeps the identifier it was exported under.
    EXPECT_EQ(
        TestBook::QueryText(
            path_, "SELECT COUNT(*) FROM Person WHERE ID = '0123ABCD-0123-4567-89ABCDEF0123'"),
        "1");
}

TEST_F(VCardTransferTest, FilesThatHoldNoPersonChangeNothing) {
    TestBook::AddPerson(path_, "Ann", "Adams");
    const std::string before = FileBytes(path_);

    const std::string csv = FilePath("people.csv");
    WriteBytes(csv, "First,Last\r\nAnn,Adams\r\n");
    EXPECT_EQ(transfer::PlanVCardImport(path_, csv).outcome,
              transfer::VCardImportPlan::Outcome::NotVCard);

    EXPECT_EQ(transfer::PlanVCardImport(path_, FilePath("missing.vcf")).outcome,
              transfer::VCardImportPlan::Outcome::NotRead);

    // Only cards without a name or organisation: counted, nothing stored.
    const std::string nameless = FilePath("nameless.vcf");
    WriteBytes(nameless,
               "BEGIN:VCARD\nVERSION:3.0\nEMAIL:a@b.example\nEND:VCARD\n"
               "BEGIN:VCARD\nVERSION:3.0\nTEL:555\nEND:VCARD\n");
    const transfer::VCardImportPlan plan = transfer::PlanVCardImport(path_, nameless);
    ASSERT_EQ(plan.outcome, transfer::VCardImportPlan::Outcome::Ready);
    EXPECT_EQ(plan.nameless, 2);
    const transfer::VCardImportResult result =
        transfer::ImportVCards(path_, plan, transfer::KnownCards::Skip);
    EXPECT_EQ(result.added, 0);
    EXPECT_EQ(FileBytes(path_), before);
}

TEST_F(VCardTransferTest, AFailedImportStoresNothing) {
    const std::string file = FilePath("two.vcf");
    WriteBytes(file,
               "BEGIN:VCARD\nVERSION:3.0\nN:One;A;;;\nEND:VCARD\n"
               "BEGIN:VCARD\nVERSION:3.0\nN:Two;B;;;\nEND:VCARD\n");
    const transfer::VCardImportPlan plan = transfer::PlanVCardImport(path_, file);
    // The second insert fails (the persons of one import share their stamp): the first must not
    // stay.
    TestBook::Execute(path_, "CREATE UNIQUE INDEX OneStamp ON Person(TmStamp)");
    const transfer::VCardImportResult result =
        transfer::ImportVCards(path_, plan, transfer::KnownCards::Skip);
    EXPECT_EQ(result.outcome, transfer::VCardImportResult::Outcome::DatabaseFailure);
    EXPECT_FALSE(result.message.empty());
    EXPECT_EQ(result.added, 0);
    EXPECT_TRUE(StoredPersons(path_).empty());
}

TEST_F(VCardTransferTest, TheExportCanBeLimitedToTheShownPersonsAndNeedsSomeone) {
    const std::string file = FilePath("out.vcf");
    EXPECT_EQ(transfer::ExportVCards(path_, file).outcome,
              transfer::ExportResult::Outcome::NothingToExport);
    EXPECT_FALSE(transfer_test::Exists(file));

    TestBook::AddPerson(path_, "Ann", "Adams");
    const RecordId bob = TestBook::AddPerson(path_, "Bob", "Brown");
    const std::vector<RecordId> shown = {bob};
    const transfer::ExportResult result = transfer::ExportVCards(path_, file, &shown);
    EXPECT_EQ(result.records, 1);
    const std::string text = FileBytes(file);
    EXPECT_NE(text.find("N:Brown;Bob;;;"), std::string::npos) << text;
    EXPECT_EQ(text.find("Adams"), std::string::npos) << text;
    EXPECT_NE(text.find("UID:" + bob), std::string::npos) << text;
}

}  // namespace
