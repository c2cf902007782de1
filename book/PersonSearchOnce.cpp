#include <numeric>
#include <unordered_map>
#include <unordered_set>

#include "Database.h"
#include "PersonSearch.h"
#include "SearchScan.h"
#include "SideRead.h"
#include "StoredText.h"

using cppsqlite3::Database;
using cppsqlite3::Query;

std::vector<PersonRecord> PersonSearchIndex::FindPersons(const std::string& path,
                                                         const SearchQuery& query) {
    const std::vector<SearchQuery::Word>& words = query.Words();
    if (words.empty() || words.size() > 64 || query.LogWords().Any()) {
        // Every person, more words than one mask holds, or the log asked: the whole index.
        PersonSearchIndex index;
        index.Build(path);
        // Those found read in one pass over the file, not one query each: "before:6m" may
        // find most of a large book.
        Database db;
        db.Open(path);
        Query& persons = db.CreateStatement().ExecuteQuery("SELECT * FROM Person");
        std::unordered_set<std::string> taken;  // a second row of an identifier is not told apart
        std::vector<PersonRecord> found;
        while (persons.Next()) {
            const std::string id(persons.GetText(1));
            if (index.Matches(id, query) && taken.insert(id).second) {
                found.push_back(ReadPersonRow(persons));
            }
        }
        return found;
    }
    using Mask = uint64_t;
    const Mask all = words.size() == 64 ? ~Mask{0} : (Mask{1} << words.size()) - 1;
    Mask inNotes = 0;  // the words a description may hold
    for (size_t w = 0; w < words.size(); ++w) {
        if (words[w].scope == SearchQuery::Scope::Any ||
            words[w].scope == SearchQuery::Scope::Note) {
            inNotes |= Mask{1} << w;
        }
    }
    // The words each person's descriptions hold, read meanwhile on a second connection.
    std::unordered_map<std::string, Mask> noted;
    SideRead reader;
    if (inNotes != 0) {
        reader.Start([&] {
            Database db;
            db.Open(path);
            Query& contacts =
                db.CreateStatement().ExecuteQuery("SELECT PersonID, Description FROM Contact");
            std::string note;
            while (contacts.Next()) {
                note.clear();
                AppendFolded(note, contacts.GetText(2));
                Mask held = 0;
                for (size_t w = 0; w < words.size(); ++w) {
                    if ((inNotes >> w & 1) && Needle::In(note, words[w].text)) {
                        held |= Mask{1} << w;
                    }
                }
                if (held != 0) {
                    noted[std::string(contacts.GetText(1))] |= held;
                }
            }
        });
    }
    // Each person's fields through an index of one; a person whom the fields leave short of
    // words a description cannot give is forgotten at once.
    std::vector<std::pair<long, PersonRecord>> found;  // by rowid
    struct Pending {
        std::string id;
        long rowid;
        Mask mask;
    };
    std::vector<Pending> pending;
    const auto read = [&](const std::string& query, bool everyRow) {
        Database db;
        db.Open(path);
        Query& persons = db.CreateStatement().ExecuteQuery(query);
        PersonSearchIndex one;
        Fields fields;
        while (persons.Next()) {
            for (size_t f = 0; f < fields.size(); ++f) {
                fields[f] = persons.GetText(static_cast<int>(f) + 2);
            }
            one.text_.clear();
            const Entry e = one.AppendFields(fields);
            Mask mask = 0;
            for (size_t w = 0; w < words.size(); ++w) {
                Needle needle(words[w]);
                if (one.PersonMatches(e, needle)) {
                    mask |= Mask{1} << w;
                }
            }
            const long rowid = persons.GetLong(PersonRecord::FieldCount + 3);
            if (mask == all || !everyRow) {
                found.emplace_back(rowid, ReadPersonRow(persons));
            } else if ((~mask & all & ~inNotes) == 0) {
                pending.push_back({std::string(persons.GetText(1)), rowid, mask});
            }
        }
    };
    read("SELECT *, rowid FROM Person", true);
    if (reader.Started()) {
        reader.Finish();
        // Those whom their descriptions complete, read again.
        std::string rowids;
        for (const Pending& p : pending) {
            const auto held = noted.find(p.id);
            if (held != noted.end() && (p.mask | held->second) == all) {
                rowids += (rowids.empty() ? "" : ",") + std::to_string(p.rowid);
            }
        }
        if (!rowids.empty()) {
            read("SELECT *, rowid FROM Person WHERE rowid IN (" + rowids + ")", false);
        }
    }
    // Those read again come after the others: back to the file's order.
    std::vector<uint32_t> order(found.size());
    std::iota(order.begin(), order.end(), 0U);
    std::stable_sort(order.begin(), order.end(),
                     [&](uint32_t a, uint32_t b) { return found[a].first < found[b].first; });
    std::vector<PersonRecord> persons;
    persons.reserve(found.size());
    for (uint32_t at : order) {
        persons.push_back(std::move(found[at].second));
    }
    return persons;
}
