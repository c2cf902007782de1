#include "DemoBook.h"
#include "Transaction.h"

#include "Database.h"
#include "DatabaseFile.h"
#include "RecordId.h"
#include "StoredText.h"

namespace {

struct DemoPerson {
    const char* title;
    const char* first;
    const char* last;
    const char* company;
    const char* position;
    const char* address;
    const char* city;
    const char* state;
    const char* zip;
    const char* home;
    const char* work;
    const char* ext;
    const char* cell;
    const char* pager;
    const char* fax;
    const char* email;
    const char* web;
};

const DemoPerson kPersons[] = {
    {"Mr.", "Sean", "O'Brien", "O'Brien & Daughters", "Owner", "14 Harbour Road\nUnit 3", "Galway",
     "", "H91 X2T4", "091 555 0142", "091 555 0100", "12", "087 555 0199", "", "",
     "sean@obrien.example", "www.obrien.example"},
    {"Ms.", "Mary", "O'Neil", "Blue Tide Travel", "Agent", "2200 Ocean Avenue", "Santa Monica",
     "CA", "90405", "310-555-0111", "310-555-0123", "", "", "", "310-555-0124",
     "mary.oneil@bluetide.example", ""},
    {"Dr.", "Ada", "Lovelace", "Analytical Engines Ltd", "Chief Scientist",
     "12 St James's Square\nLondon", "London", "", "SW1Y 4JH", "", "020 7946 0000", "", "", "", "",
     "ada@engines.example", "www.engines.example"},
    {"", "", "", "Harbour Lights Hardware", "", "5 Quay Street", "Portland", "ME", "04101", "",
     "207-555-0188", "", "", "", "207-555-0189", "orders@harbourlights.example", ""},
    {"Mr.", "Jean-Luc", "Dubois", "", "", "8 rue des Lilas", "Lyon", "", "69003", "04 72 55 01 23",
     "", "", "06 12 55 01 23", "", "", "", ""},
    {"Mrs.", "Grace", "Hopper", "Compiler Works", "Rear Admiral", "1 Navy Way", "Arlington", "VA",
     "22202", "703-555-0150", "703-555-0151", "4410", "", "703-555-0155", "", "",
     "www.compilerworks.example"},
    {"", "Tom", "Baker", "Baker's Dozen Bakery", "Head Baker", "77 High Street", "Bath", "",
     "BA1 1AA", "01225 555 777", "01225 555 778", "", "", "", "", "tom@bakersdozen.example", ""},
    {"Ms.", "Keiko", "Tanaka", "Sakura Imports", "Buyer", "3-1-1 Marunouchi\nChiyoda-ku", "Tokyo",
     "", "100-0005", "", "03-5555-0101", "22", "090-5555-0101", "", "",
     "keiko.tanaka@sakura.example", ""},
    {"Mr.", "Carlos", "Mendes", "", "", "Rua Augusta 100", "Lisbon", "", "1100-053", "21 555 0147",
     "", "", "", "", "", "carlos@mendes.example", ""},
    {"", "Priya", "Shah", "Shah Consulting", "Partner", "401 Market St, Suite 9", "San Francisco",
     "CA", "94105", "", "415-555-0102", "7", "415-555-0103", "", "", "",
     "www.shahconsulting.example"},
    {"Mrs.", "Elsa", "Lindqvist", "", "", "Storgatan 4", "Uppsala", "", "753 20", "018-55 50 12",
     "", "", "", "", "", "elsa@lindqvist.example", ""},
    {"Mr.", "Liam", "D'Arcy", "D'Arcy Marine", "Skipper", "Pier 39", "Boston", "MA", "02110", "",
     "617-555-0139", "", "617-555-0140", "", "", "liam@darcymarine.example",
     ""},  // Names that sort as people read them, not by their bytes.
    {"", "Jan", "de Vries", "Tulip Exports", "Director", "Keizersgracht 12", "Amsterdam", "",
     "1015 CS", "020 555 0134", "020 555 0135", "", "06 5555 0136", "", "",
     "jan@tulipexports.example", "www.tulipexports.example"},
    {"Mme", "Claire", "\u00C9mond", "", "", "350 rue Sherbrooke Est", "Montr\u00E9al", "QC",
     "H2X 1E3", "514-555-0177", "", "", "", "", "", "claire.emond@example.ca", ""},
};

struct DemoContact {
    int person;
    const char* when;
    const char* type;  // seed type identifier
    const char* notes;
};

const char kPhone[] = "9DC618A3-8452-4D33-A70BDB1C91FE";
const char kMail[] = "03F6262A-4362-44A9-B770293650BB";
const char kLetter[] = "787CA2CE-1099-4127-8AED83ECA59B";
const char kVisit[] = "B672E21B-848D-430C-98240E6DA171";

const DemoContact kContacts[] = {
    {0, "2026-11-28 10:15:00", kPhone, "Asked about the spring order; call back in January."},
    {0, "2026-10-02 16:40:00", kMail, "Sent the new price list.\nHe'll reply \"after the fair\"."},
    {0, "2026-06-14 12:00:00", kVisit, "Lunch at the harbour. Met his daughters Aoife and Niamh."},
    {1, "2026-12-01 09:30:00", kPhone, "Booked the February trip to Lisbon."},
    {1, "2026-09-20 14:05:00", kLetter, "Thank-you card for the referral."},
    {2, "2026-11-11 11:11:00", kMail, "Draft notes on the engine received; comments by Friday."},
    {2, "2025-12-24 18:00:00", kLetter, "Season's greetings."},
    {3, "2026-12-03 08:45:00", kPhone, "Ordered two boxes of brass screws; delivery Tuesday."},
    {4, "2026-07-14 20:00:00", kVisit, "Fireworks on the river with the family."},
    {5, "2026-11-30 15:20:00", kPhone, "Extension 4410 rings through to her desk."},
    {5, "2026-08-08 10:00:00", kMail, "Shared the compiler benchmarks."},
    {6, "2026-12-05 07:30:00", kVisit, "Picked up the sourdough order."},
    {7, "2026-10-18 03:00:00", kPhone, "Early call (Tokyo time): tea shipment confirmed."},
    {7, "2026-05-02 09:00:00", kLetter, "Signed agreement returned."},
    {8, "2026-09-09 19:45:00", kMail, "Photos from the Alfama walk."},
    {9, "2026-11-21 13:00:00", kPhone, "Quarterly review moved to the 30th."},
    {9, "2026-11-02 13:00:00", kVisit, "Kick-off meeting at Market St."},
    {10, "2026-06-21 17:00:00", kLetter, "Midsummer invitation."},
    {11, "2026-12-06 11:00:00", kPhone, "Boat is out of the water for the winter."},
    {12, "2026-11-14 16:00:00", kMail, "Bulb catalogue for the spring season."},
    {13, "2026-10-27 12:30:00", kVisit, "Lunch in the Plateau; she'll visit in March."},
};

}  // namespace

void WriteDemoBook(const std::string& path) {
    CreateDatabaseFile(path);
    cppsqlite3::Database db;
    db.Open(path);
    cppsqlite3::Statement& st = db.CreateStatement();
    cppsqlite3::Transaction transaction(st);
    std::vector<RecordId> ids;
    for (const DemoPerson& p : kPersons) {
        const RecordId id = NewRecordId();
        ids.push_back(id);
        const char* fields[] = {p.title, p.first, p.last, p.company, p.position, p.address,
                                p.city,  p.state, p.zip,  p.home,    p.work,     p.ext,
                                p.cell,  p.pager, p.fax,  p.email,   p.web};
        std::string sql = "INSERT INTO Person VALUES('" + id + "'";
        for (const char* field : fields) {
            sql += ", '" + QuoteSqlText(ToStoredLines(field)) + "'";
        }
        st.Execute(sql + ", datetime('now', 'localtime'))");
    }
    for (const DemoContact& c : kContacts) {
        st.Execute("INSERT INTO Contact VALUES('" + NewRecordId() + "', '" + ids[c.person] +
                   "', '" + c.when + "', '" + QuoteSqlText(ToStoredLines(c.notes)) + "', '" +
                   c.type + "', datetime('now', 'localtime'))");
    }
    // The owner of the book, for the return address of envelopes.
    st.Execute(
        "INSERT INTO User VALUES('" + NewRecordId() +
        "', 'Ms.', 'Robin', 'Harbour', 'Tidemark Trading', 'Owner', "
        "'4 Lighthouse Lane\r\nUnit 2', 'Falmouth', 'MA', '02540', '508-555-0110', '508-555-0111', "
        "'', '508-555-0112', '', 'robin@tidemark.example', 'www.tidemark.example', "
        "datetime('now', 'localtime'))");
    transaction.Commit();
}
