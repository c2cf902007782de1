#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "ColumnNames.h"
#include "Import.h"
#include "TestBook.h"
#include "TransferCoreTestSupport.h"
#include "TransferSettings.h"

namespace {

using transfer::AssignColumns;
using transfer::FieldForColumnName;
using transfer::ImportResult;
using transfer::LineTokenizer;
using transfer::TransferSettings;
using transfer_test::Fields;
using transfer_test::FileBytes;
using P = PersonRecord;

const std::string kData = TIDEMARK_TEST_DATA;

TEST(FieldForColumnName, IgnoresCaseBlanksHyphensAndUnderscores) {
    const std::map<std::string, P::Field> names = {
        {"FirstName", P::FName},        {"first name", P::FName},
        {"FIRST_NAME", P::FName},       {"First-Name", P::FName},
        {"  First \t Name ", P::FName}, {"E-Mail", P::Email},
        {"e_mail", P::Email},           {"E Mail", P::Email},
        {"Zip Code", P::Zip},           {"ZIPCODE", P::Zip},
        {"Straße (Privat)", P::Addr},   {"Web-Page", P::WebPage},
        {"E-mail 2 Address", P::Email}, {"Home Mobile", P::CelPhone},
        {"Mobile Phone", P::CelPhone},  {"Cell", P::CelPhone},
        {"Email Home", P::Email},       {"Website Blog", P::WebPage},
        {"Web Page", P::WebPage},       {"Straße geschäftlich 2", P::Addr},
        {"Fax (privat)", P::WkFax},
    };
    for (const auto& [name, field] : names) {
        EXPECT_EQ(FieldForColumnName(name), field) << name;
    }
    for (const char* name : {"", "Name", "Home", "Phone 1 - Value", "Notes", "First.Name",
                             "First Name 2", "Home Country", "Phone 1 - Type"}) {
        EXPECT_EQ(FieldForColumnName(name), P::FieldCount) << name;
    }
}

TEST(FieldForColumnName, KnowsTheNamesOfThisProgramsOwnLists) {
    for (const transfer::PersonFieldName& entry : transfer::kPersonExportFields) {
        EXPECT_EQ(FieldForColumnName(entry.name), entry.field) << entry.name;
    }
    for (const transfer::PersonFieldName& entry : transfer::kPersonImportFields) {
        EXPECT_EQ(FieldForColumnName(entry.name), entry.field) << entry.name;
    }
}

TEST(AssignColumns, FirstMatchingColumnWinsButForAddressesEmailAndWebPages) {
    EXPECT_EQ(AssignColumns({"Home Postal Code"}), (std::vector<std::string>{"ZipCode"}));
    // The parts of several addresses each go to their field; a person keeps one address.
    EXPECT_EQ(AssignColumns({"Business Postal Code", "Home Postal Code"}),
              (std::vector<std::string>{"ZipCode", "ZipCode"}));
    // Several columns of e-mail addresses or web pages: the first with a value is kept.
    EXPECT_EQ(AssignColumns({"E-mail Address", "Email", "Notes", "E-Mail"}),
              (std::vector<std::string>{"Email", "Email", "", "Email"}));
    EXPECT_EQ(AssignColumns({"Web Page", "Personal Web Page", "Website Blog"}),
              (std::vector<std::string>{"WebPage", "WebPage", "WebPage"}));
    // The street lines of one address all go to the address.
    EXPECT_EQ(AssignColumns({"Street", "Street 2", "Street 3", "City"}),
              (std::vector<std::string>{"Address", "Address", "Address", "City"}));
    // Any other field goes to the first column only.
    EXPECT_EQ(AssignColumns({"First Name", "Given Name", "Mobile", "Cell"}),
              (std::vector<std::string>{"FirstName", "", "CelPhone", ""}));
    EXPECT_EQ(AssignColumns({"Fax", "CelPhone", "Pager", "Nothing", "Fax Number"}),
              (std::vector<std::string>{"Fax", "CelPhone", "Pager", "", ""}));
    EXPECT_TRUE(AssignColumns({}).empty());
}

// The header row of each block of csv-headers.txt, by its title.
std::map<std::string, std::vector<std::string>> HeaderBlocks() {
    const std::string text = FileBytes(kData + "/csv-headers.txt");
    std::map<std::string, std::vector<std::string>> blocks;
    std::string title;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        if (line.rfind("## ", 0) == 0) {
            title = line.substr(3);
        } else if (!title.empty() && !line.empty()) {
            blocks[title] = Fields(LineTokenizer(',', '"'), line);
            title.clear();
        }
    }
    return blocks;
}

TEST(AssignColumns, HeadersOfOtherAddressBooks) {
    // Per block: what some columns must get ("" for none).
    const std::map<std::string, std::map<std::string, std::string>> expected = {
        {"Thunderbird",
         {{"First Name", "FirstName"},
          {"Last Name", "LastName"},
          {"Display Name", ""},
          {"Primary Email", "Email"},
          {"Secondary Email", "Email"},
          {"Organization", "Company"},
          {"Job Title", "Position"},
          {"Work Phone", "WorkPhone"},
          {"Home Phone", "HomePhone"},
          {"Fax Number", "Fax"},
          {"Pager Number", "Pager"},
          {"Mobile Number", "CelPhone"},
          {"Home Address", "Address"},
          {"Home Address 2", "Address"},
          {"Work Address", "Address"},
          {"Home ZipCode", "ZipCode"},
          {"Work ZipCode", "ZipCode"},
          {"Home Country", ""},
          {"Web Page 1", "WebPage"}}},
        {"Outlook.com",
         {{"First Name", "FirstName"},
          {"Middle Name", ""},
          {"Last Name", "LastName"},
          {"Title", "Title"},
          {"E-mail Address", "Email"},
          {"E-mail 2 Address", "Email"},
          {"Company", "Company"},
          {"Job Title", "Position"},
          {"Business Street", "Address"},
          {"Home Street", "Address"},
          {"Business Postal Code", "ZipCode"},
          {"Home Postal Code", "ZipCode"},
          {"Business Country/Region", ""},
          {"Business Phone", "WorkPhone"},
          {"Home Phone", "HomePhone"},
          {"Mobile Phone", "CelPhone"},
          {"Business Fax", "Fax"},
          {"Home Fax", "Fax"},
          {"Other Fax", "Fax"},
          {"Pager", "Pager"}}},
        {"Google Contacts, current",
         {{"First Name", "FirstName"},
          {"Last Name", "LastName"},
          {"Name Prefix", "Title"},
          {"Organization Name", "Company"},
          {"Organization Title", "Position"},
          {"E-mail 1 - Label", ""},
          {"E-mail 1 - Value", "Email"},
          {"Phone 1 - Label", ""},
          {"Phone 1 - Value", transfer::kPhoneByType},
          {"Address 1 - Formatted", ""},
          {"Address 1 - Street", "Address"},
          {"Address 1 - Postal Code", "ZipCode"},
          {"Website 1 - Value", "WebPage"}}},
        {"Google Contacts, older",
         {{"Name", ""},
          {"Given Name", "FirstName"},
          {"Family Name", "LastName"},
          {"Given Name Yomi", ""},
          {"Name Prefix", "Title"},
          {"E-mail 1 - Value", "Email"},
          {"Organization 1 - Name", "Company"},
          {"Organization 1 - Title", "Position"},
          {"Address 1 - Street", "Address"},
          {"Address 1 - City", "City"}}},
    };
    const auto blocks = HeaderBlocks();
    ASSERT_EQ(blocks.size(), 4u);
    size_t checked = 0;
    for (const auto& [title, labels] : blocks) {
        SCOPED_TRACE(title);
        const std::vector<std::string> assigned = AssignColumns(labels);
        ASSERT_EQ(assigned.size(), labels.size());
        // Names, company and e-mail always; but for the address and the fields that take
        // several columns, each field at most once.
        std::map<std::string, int> uses;
        for (const std::string& name : assigned) {
            if (!name.empty()) {
                ++uses[name];
            }
        }
        for (const auto& [name, count] : uses) {
            const bool several = name == "Address" || name == "City" || name == "State" ||
                                 name == "ZipCode" || name == "Fax" || name == "Email" ||
                                 name == "WebPage" || name == transfer::kPhoneByType;
            EXPECT_TRUE(several || count == 1) << name;
        }
        for (const char* name : {"FirstName", "LastName", "Company", "Email"}) {
            EXPECT_GE(uses[name], 1) << name;
        }
        for (const auto& [prefix, columns] : expected) {
            if (title.rfind(prefix, 0) != 0) {
                continue;
            }
            ++checked;
            for (const auto& [label, field] : columns) {
                size_t column = 0;
                while (column < labels.size() && labels[column] != label) {
                    ++column;
                }
                ASSERT_LT(column, labels.size()) << label;
                EXPECT_EQ(assigned[column], field) << label;
            }
        }
    }
    EXPECT_EQ(checked, expected.size());
}

// A file another program wrote, imported as the wizard sets it up: separator guessed from the
// first line, columns assigned from its names.
class OtherProgramsFile : public ::testing::Test {
protected:
    void Import(const std::string& name) {
        settings_ = TransferSettings::ForPersonImport();
        settings_.filePath = kData + "/csv/" + name;
        const std::optional<std::string> text = transfer::ReadTextFile(settings_.filePath);
        ASSERT_TRUE(text.has_value()) << settings_.filePath;
        settings_.firstLine = transfer::FirstLine(*text);
        settings_.separator =
            std::string(1, transfer::LikeliestSeparator(settings_.firstLine, '"'));
        settings_.encloser = "\"";
        settings_.firstLineHasNames = true;
        settings_.columnLabels =
            Fields(LineTokenizer(settings_.Separator(), '"'), settings_.firstLine);
        settings_.selectedFields = AssignColumns(settings_.columnLabels);
        settings_.columnCount = static_cast<int>(settings_.columnLabels.size());
        path_ = book_.Create();
        result_ = transfer::ImportPersons(path_, settings_);
        EXPECT_EQ(result_.outcome, ImportResult::Outcome::Imported);
        persons_ = transfer_test::StoredPersons(path_);
        EXPECT_EQ(result_.persons, static_cast<int>(persons_.size()));
    }

    // The stored person with that first and last name and company, checked whole.
    void ExpectPerson(const PersonRecord& expected) {
        for (const PersonRecord& p : persons_) {
            if (p[P::FName] == expected[P::FName] && p[P::LName] == expected[P::LName] &&
                p[P::Company] == expected[P::Company]) {
                EXPECT_EQ(p.fields, expected.fields);
                return;
            }
        }
        ADD_FAILURE() << "no person " << expected.DisplayName();
    }

    TestBook book_;
    std::string path_;
    TransferSettings settings_;
    ImportResult result_;
    std::vector<PersonRecord> persons_;
};

PersonRecord Person(std::map<P::Field, std::string> fields) {
    PersonRecord p;
    for (const auto& [field, value] : fields) {
        p[field] = value;
    }
    return p;
}

TEST_F(OtherProgramsFile, YahooEveryFieldQuoted) {
    ASSERT_NO_FATAL_FAILURE(Import("blackbook-yahoo-1.csv"));
    EXPECT_EQ(settings_.separator, ",");
    EXPECT_EQ(settings_.columnCount, 55);
    ASSERT_EQ(persons_.size(), 2u);
    ExpectPerson(
        Person({{P::FName, "Joe"}, {P::LName, "User"}, {P::Email, "joe.user@example.com"}}));
    ExpectPerson(
        Person({{P::FName, "Jane"}, {P::LName, "User"}, {P::Email, "jane.user@example.com"}}));
}

TEST_F(OtherProgramsFile, GoogleWithMultiLineAddresses) {
    ASSERT_NO_FATAL_FAILURE(Import("contactsio-google-legacy-1.csv"));
    EXPECT_EQ(settings_.separator, ",");
    EXPECT_EQ(settings_.columnCount, 110);
    // The three formatted addresses span lines: still one record.
    ASSERT_EQ(persons_.size(), 1u);
    // The work address for a person with a company, its street, extended address and post
    // office box as lines; the phones by their kinds; the first e-mail address and web page.
    ExpectPerson(Person({{P::Title, "Dr."},
                         {P::FName, "Max"},
                         {P::LName, "Mustermann"},
                         {P::Email, "ohneLabel@folker.de"},
                         {P::Addr,
                          "Eisenbahnstra\xC3\x9F"
                          "e\r\n84\r\nPostfach"},
                         {P::City, "Leipzig"},
                         {P::Zip, "04315"},
                         {P::Company, "Firma"},
                         {P::Position, "Position"},
                         {P::HmPhone, "Tel privat"},
                         {P::WkPhone,
                          "Tel gesch\xC3\xA4"
                          "ftlich"},
                         {P::CelPhone, "Handy"},
                         {P::Pager, "Pager"},
                         {P::WkFax, "Fax work"},
                         {P::WebPage, "http://www.musterworks.de"}}));
    // What found no place is told: the second fax and the numbers of other kinds, nine further
    // e-mail addresses, the home and other address, the private web page.
    const transfer::LeftOut& out = result_.leftOut;
    EXPECT_EQ(out.phones, 5);
    EXPECT_EQ(out.emails, 10);
    EXPECT_EQ(out.addresses, 2);
    EXPECT_EQ(out.webPages, 1);
    EXPECT_EQ(out.nameless, 0);
    for (const char* column : {"Name", "Additional Name", "Notes", "Birthday", "Nickname",
                               "Address 1 - Country", "Organization 1 - Department"}) {
        EXPECT_NE(std::find(out.columns.begin(), out.columns.end(), column), out.columns.end())
            << column;
    }
    // Neither the kinds of the values placed by them nor the whole addresses given in parts.
    for (const char* column : {"Phone 1 - Type", "E-mail 2 - Type", "Address 1 - Type",
                               "Address 1 - Formatted", "Website 2 - Type", "Phone 9 - Value"}) {
        EXPECT_EQ(std::find(out.columns.begin(), out.columns.end(), column), out.columns.end())
            << column;
    }
}

TEST_F(OtherProgramsFile, OutlookWithMarkAndBlankLastLine) {
    ASSERT_NO_FATAL_FAILURE(Import("contactsio-outlookcom-1.csv"));
    EXPECT_EQ(settings_.columnLabels.at(0), "First Name");
    EXPECT_EQ(settings_.columnCount, 61);
    ASSERT_EQ(persons_.size(), 1u);
    ExpectPerson(Person({{P::Title, "Dr."},
                         {P::FName, "Max"},
                         {P::LName, "Mustermann"},
                         {P::Email, "privat@folker-kinzel.de"},
                         {P::HmPhone, "Tel privat"},
                         {P::WkPhone,
                          "Tel gesch\xC3\xA4"
                          "ftlich"},
                         {P::CelPhone, "Handy"},
                         {P::Pager, "Pager"},
                         {P::WkFax, "0123/579"},
                         {P::Position, "Position"},
                         {P::Company, "Firma"},
                         {P::Addr,
                          "Firmenstra\xC3\x9F"
                          "e"},
                         {P::City, "Ort Firma"},
                         {P::State, "Bundesland Firma"},
                         {P::Zip, "PLZFirma"},
                         {P::WebPage, "http://www.privat.de"}}));
}

TEST_F(OtherProgramsFile, WindowsLiveMailGermanWithSemicolons) {
    ASSERT_NO_FATAL_FAILURE(Import("contactsio-wlm-de-1.csv"));
    EXPECT_EQ(settings_.separator, ";");
    EXPECT_EQ(settings_.columnLabels.at(0), "Vorname");
    EXPECT_EQ(settings_.columnCount, 29);
    ASSERT_EQ(persons_.size(), 1u);
    // A person with a company keeps the business address.
    ExpectPerson(Person({{P::FName, "Max"},
                         {P::LName, "Mustermann"},
                         {P::Email, "privat@folker-kinzel.de"},
                         {P::Addr,
                          "Eisenbahnstra\xC3\x9F"
                          "e"},
                         {P::City, "Leipzig"},
                         {P::Zip, "04315"},
                         {P::State, "Sachsen-Anhalt"},
                         {P::HmPhone, "Phone Home"},
                         {P::WkFax, "Fax privat"},
                         {P::CelPhone, "Handy"},
                         {P::WebPage, "http://www.privat.de"},
                         {P::WkPhone, "Fax work"},
                         {P::Pager, "Pager"},
                         {P::Company, "Firma"},
                         {P::Position, "Position"}}));
}

TEST_F(OtherProgramsFile, ThunderbirdExport) {
    ASSERT_NO_FATAL_FAILURE(Import("thunderbird-export-1.csv"));
    EXPECT_EQ(settings_.separator, ",");
    EXPECT_EQ(settings_.columnCount, 37);
    // The lone LF inside quotes does not start a third record.
    ASSERT_EQ(persons_.size(), 2u);
    ExpectPerson(
        Person({{P::FName, "contact"}, {P::LName, "one"}, {P::Email, "contact1@invalid"}}));
    ExpectPerson(Person({{P::FName, "contact"},
                         {P::LName, "two"},
                         {P::Email, "contact2@invalid"},
                         {P::Position, "\"worker\""}}));
}

TEST_F(OtherProgramsFile, ThunderbirdQuotedCellsKeepCommasTabsAndLineBreaks) {
    ASSERT_NO_FATAL_FAILURE(Import("thunderbird-export-1.csv"));
    // The custom columns and the notes, which no name assigns, put into fields of their own.
    const std::map<std::string, std::string> into = {
        {"Last Name", "LastName"}, {"Custom 1", "City"},    {"Custom 2", "State"},
        {"Custom 3", "ZipCode"},   {"Custom 4", "Address"}, {"Notes", "WebPage"}};
    std::vector<std::string> fields(settings_.columnLabels.size());
    for (size_t i = 0; i < fields.size(); ++i) {
        const auto it = into.find(settings_.columnLabels[i]);
        fields[i] = it == into.end() ? "" : it->second;
    }
    settings_.selectedFields = fields;
    const std::vector<PersonRecord> persons =
        transfer::ReadPersons(*transfer::ReadTextFile(settings_.filePath), settings_);
    ASSERT_EQ(persons.size(), 2u);
    EXPECT_EQ(persons[0].fields, Person({{P::LName, "one"}}).fields);
    EXPECT_EQ(persons[1].fields, Person({{P::LName, "two"},
                                         {P::City, "custom, 1"},
                                         {P::State, "custom\t2"},
                                         {P::Zip, "custom\r\n3"},
                                         {P::Addr, "custom\r\n4"},
                                         {P::WebPage, "here's some unicode text\xE2\x80\xA6"}})
                                     .fields);
}

TEST_F(OtherProgramsFile, ThunderbirdCompanyWithoutNames) {
    ASSERT_NO_FATAL_FAILURE(Import("thunderbird-quoted-1.csv"));
    EXPECT_EQ(settings_.columnCount, 37);
    ASSERT_EQ(persons_.size(), 1u);
    ExpectPerson(Person({{P::Company, "Acer America"}, {P::WkPhone, "(800) 000-0000"}}));
}

}  // namespace
