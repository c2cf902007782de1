// Times the contact log at a glance on the generated address books of 100,000 and 1,000,000
// persons with ten contacts each (made by main_view_bench), next to the sqlite3 shell in the
// same run:
//
//   - reload of the main view with the "Last Contact" column: the newest dates read whole (as
//     after opening a file, an import or a sync), and kept (as after an edit), and sorted by
//     them; against the shell running the person list's query with each person's newest date,
//     and against the reload without the column;
//   - one person's newest contact read again after an edit;
//   - the search words of the log, "before:" and "type: since:", on the built index, against the
//     shell running the same search as SQL.
//
// Goals: the reload with the column, dates read whole, at or below the shell's same query; the
// reload with the dates kept within 1.25 times the reload without the column; each log search
// under 30 ms at 100,000 persons and never slower than the shell.
//
//   last_contact_bench [--no-million] folder   (nothing is generated)

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <QApplication>
#include <QDir>
#include <QFileInfo>

#include "AddressBook.h"
#include "Database.h"
#include "DatabaseFile.h"
#include "LastContacts.h"
#include "ListModels.h"
#include "MainView.h"
#include "PersonSearch.h"
#include "ShellSearch.h"
#include "Spread.h"

namespace {

using bench::MsSince;
using bench::ShellMs;
using Clock = std::chrono::steady_clock;

void Print(const char* what, const Spread& s) {
    std::printf("  %-52s min %8.2f  median %8.2f  max %8.2f ms\n", what, s.min, s.median, s.max);
}

long Count(const std::string& path, const std::string& sql) {
    cppsqlite3::Database db;
    db.Open(path);
    cppsqlite3::Query& q = db.CreateStatement().ExecuteQuery(sql);
    return q.Next() ? q.GetLong(1) : -1;
}

// As the program's open does for a file from before the index by person and date.
void EnsureLookupIndexes(const std::string& path) {
    cppsqlite3::Database db;
    db.Open(path);
    cppsqlite3::Statement& st = db.CreateStatement();
    if (HasLookupIndexes(st)) {
        return;
    }
    const auto start = Clock::now();
    CreateLookupIndexes(st);
    std::printf("  the index by person and date made, once: %.1f s\n", MsSince(start) / 1000.0);
}

bool Run(const std::string& path, int persons) {
    std::printf("%d persons, %d contacts (%s, %.0f MB)\n", persons, persons * 10, path.c_str(),
                QFileInfo(QString::fromStdString(path)).size() / 1048576.0);
    EnsureLookupIndexes(path);
    const int rounds = persons >= 1000000 ? 3 : 7;
    bool met = true;

    MainView view;
    view.OnPathChanged(path);
    view.resize(view.FormSize());
    view.show();
    QApplication::processEvents();
    const auto timeReloads = [&](bool whole) {
        std::vector<double> times;
        for (int i = 0; i < rounds; ++i) {
            const auto start = Clock::now();
            if (whole) {
                view.OnReload();
            } else {
                view.Reload();
            }
            QApplication::processEvents();
            times.push_back(MsSince(start));
        }
        return Summary(times);
    };
    const Spread without = timeReloads(false);
    view.ShowLastContactColumn(true);
    const Spread whole = timeReloads(true);
    const Spread kept = timeReloads(false);
    view.SortPersonsBy(PersonListModel::LastContactColumn);
    view.SortPersonsBy(PersonListModel::LastContactColumn);  // oldest first
    const Spread sorted = timeReloads(false);
    if (!view.PersonRows().Rows().HasLastContacts() ||
        view.PersonRows().Rows().size() != size_t(persons)) {
        std::printf("  the list does not hold every person with a date\n");
        return false;
    }
    const std::string query = std::string(
        "SELECT ID, FName, LName, Company, (SELECT MAX(DtTm) "
        "FROM Contact WHERE PersonID = Person.ID) FROM Person "
        "ORDER BY LName, FName");
    std::vector<double> shell, shellPlain, shellDates;
    for (int i = 0; i < rounds; ++i) {
        shell.push_back(ShellMs(path, query));
        shellPlain.push_back(ShellMs(path, PersonListQuery(PersonOrder::ByName)));
        shellDates.push_back(
            ShellMs(path, "SELECT PersonID, MAX(DtTm) FROM Contact GROUP BY PersonID"));
    }
    const Spread s = Summary(shell);
    Print("reload without the column (for reference)", without);
    Print("reload with the column, dates read whole", whole);
    Print("reload with the column, dates kept", kept);
    Print("reload with the column, sorted oldest first", sorted);
    Print("sqlite3 shell, list query with the newest date", s);
    Print("sqlite3 shell, list query alone", Summary(shellPlain));
    Print("sqlite3 shell, the newest dates alone (GROUP BY)", Summary(shellDates));
    std::printf("  %-52s %.2f (goal <= 1)\n", "read whole / shell (median)",
                whole.median / s.median);
    std::printf("  %-52s %.2f (goal <= 1.25)\n", "kept / without the column (median)",
                kept.median / without.median);
    met = met && whole.median <= s.median && kept.median <= 1.25 * without.median;

    LastContacts last;
    last.Read(path);
    std::vector<double> one;
    for (int i = 0; i < 25; ++i) {
        const RecordId id(view.PersonRows().Rows().Id((size_t(i) * 7919) % size_t(persons)));
        const auto start = Clock::now();
        last.Refresh(path, {id});
        one.push_back(MsSince(start));
    }
    Print("one person's newest contact read again", Summary(one));

    PersonSearchIndex index;
    auto start = Clock::now();
    index.Build(path);
    std::printf("  %-52s %8.2f ms, %.1f MB\n", "search index built (for reference)", MsSince(start),
                index.MemoryBytes() / 1048576.0);
    PersonRowList rows;
    LoadPersonList(path, PersonOrder::ByName, rows);
    struct Case {
        const char* typed;
        std::string shell;
    };
    const QDate today(2026, 12, 9);
    const std::vector<Case> cases = {
        {"before:2025-06",
         "SELECT count(*) FROM Person WHERE NOT EXISTS (SELECT 1 FROM Contact WHERE PersonID = "
         "Person.ID AND DtTm >= '2025-06-01')"},
        {"type:tel since:2024",
         "SELECT count(*) FROM Person WHERE EXISTS (SELECT 1 FROM Contact JOIN ContactType ON "
         "ContactType.ID = Contact.ContactTypeID WHERE PersonID = Person.ID AND DtTm >= "
         "'2024-01-01' AND ContactType.Description LIKE 'tel%')"},
        {"type:tel before:2025",
         "SELECT count(*) FROM Person WHERE NOT EXISTS (SELECT 1 FROM Contact JOIN ContactType "
         "ON ContactType.ID = Contact.ContactTypeID WHERE PersonID = Person.ID AND DtTm >= "
         "'2025-01-01' AND ContactType.Description LIKE 'tel%')"}};
    for (const Case& c : cases) {
        const SearchQuery q = SearchQuery::Parse(QString::fromLatin1(c.typed), today);
        std::vector<double> ours, theirs;
        size_t found = 0;
        for (int i = 0; i < rounds; ++i) {
            start = Clock::now();
            found = index.Filter(rows, q).size();
            ours.push_back(MsSince(start));
            theirs.push_back(ShellMs(path, c.shell));
        }
        const long expected = Count(path, c.shell);
        std::printf("  search \"%s\": %zu found, the shell %ld%s\n", c.typed, found, expected,
                    long(found) == expected ? "" : "  (DIFFERENT)");
        const Spread o = Summary(ours), t = Summary(theirs);
        Print("    the index", o);
        Print("    sqlite3 shell, the same as SQL", t);
        met = met && long(found) == expected && o.median <= t.median &&
              (persons > 100000 || o.median < 30);
    }
    std::fflush(stdout);
    return met;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    bool million = true;
    QString folder;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--no-million") == 0) {
            million = false;
        } else {
            folder = QString::fromLocal8Bit(argv[i]);
        }
    }
    if (folder.isEmpty()) {
        std::fprintf(stderr, "usage: last_contact_bench [--no-million] folder\n");
        return 2;
    }
    std::vector<int> sizes = {100000};
    if (million) {
        sizes.push_back(1000000);
    }
    bool met = true;
    for (int persons : sizes) {
        const QString file = QDir(folder).filePath(QStringLiteral("book-%1.tch").arg(persons));
        if (!QFileInfo::exists(file)) {
            std::fprintf(stderr, "%s is missing: run main_view_bench on the folder first\n",
                         qPrintable(file));
            return 2;
        }
        met = Run(file.toStdString(), persons) && met;
    }
    std::printf("%s\n", met ? "every goal met" : "a goal was missed");
    return met ? 0 : 1;
}
