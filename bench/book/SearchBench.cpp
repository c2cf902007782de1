// Times the search field on the generated address books of 10,000 and 100,000 persons with ten
// contacts each (made by main_view_bench), next to the sqlite3 shell in the same run:
//
//   - the index read from the file, its size, and the peak memory it adds to a process that
//     holds the person list as the main window does;
//   - each keystroke of queries typed one character at a time, filtering the whole person list
//     afresh and, where the query narrows the previous one, only the previous matches;
//   - the sqlite3 shell running the same search as a LIKE query (person fields OR-ed, contact
//     descriptions through EXISTS, the phones' digits through replace()).
//
// Goals: under 30 ms per keystroke at 100,000 persons, fresh and narrowing, and never slower than
// the shell.
//
//   search_bench folder   (holds book-10000.tch and book-100000.tch; nothing is generated)

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include "AddressBook.h"
#include "Database.h"
#include "PersonSearch.h"
#include "ShellSearch.h"
#include "Spread.h"

extern char** environ;

namespace {

using bench::RunMs;
using bench::ShellMs;
using bench::ShellQuery;
using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void Print(const char* what, const Spread& s, const char* unit = "ms") {
    std::printf("  %-40s min %8.2f  median %8.2f  max %8.2f %s\n", what, s.min, s.median, s.max,
                unit);
}

double PeakMb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

long ShellCount(const std::string& path, const SearchQuery& query) {
    cppsqlite3::Database db;
    db.Open(path);
    cppsqlite3::Query& q = db.CreateStatement().ExecuteQuery(ShellQuery(query, true));
    return q.Next() ? q.GetLong(1) : -1;
}

double ResidentMb() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) {
            resident = 0;
        }
        std::fclose(f);
    }
    return resident * double(sysconf(_SC_PAGESIZE)) / 1048576.0;
}

// The child: the person list as the main window holds it, then the index with a first search;
// prints the peak memory after each and the memory resident at the end, in MB.
int MeasureChild(const std::string& path) {
    PersonRowList rows;
    LoadPersonList(path, PersonOrder::ByName, rows);
    const double listed = PeakMb();
    const double before = ResidentMb();
    PersonSearchIndex index;
    index.Build(path);
    index.Filter(rows, SearchQuery::Parse(QStringLiteral("a")));
    std::printf("%.1f %.1f %.1f\n", listed, PeakMb(), ResidentMb() - before);
    return 0;
}

struct Typing {
    const char* label;
    std::vector<const char*> keystrokes;
};

bool Run(const std::string& self, const std::string& path, int persons) {
    std::printf("%d persons (%s, %.0f MB)\n", persons, path.c_str(),
                QFileInfo(QString::fromStdString(path)).size() / 1048576.0);
    const int rounds = persons >= 100000 ? 7 : 15;

    PersonRowList rows;
    Clock::time_point start = Clock::now();
    LoadPersonList(path, PersonOrder::ByName, rows);
    std::printf("  %-40s %8.2f ms\n", "person list read (for reference)", MsSince(start));

    PersonSearchIndex index;
    std::vector<double> build;
    for (int i = 0; i < 3; ++i) {
        start = Clock::now();
        index.Build(path);
        build.push_back(MsSince(start));
    }
    Print("index built from the file", Summary(build));
    std::printf("  %-40s %8.1f MB (%.0f bytes a person)\n", "index memory",
                index.MemoryBytes() / 1048576.0,
                double(index.MemoryBytes()) / double(index.size()));
    if (index.size() != rows.size()) {
        std::printf("  the index holds %zu persons, the list %zu\n", index.size(), rows.size());
        return false;
    }
    {
        // A process's peak memory as the kernel counts it includes what its parent had when it
        // started: a small process in between starts the measured one afresh.
        QProcess child;
        child.start(QString::fromStdString(self),
                    {QStringLiteral("--spawn"), QString::fromStdString(path)});
        child.waitForFinished(-1);
        const QList<QByteArray> figures = child.readAllStandardOutput().trimmed().split(' ');
        if (figures.size() == 3) {
            std::printf("  %-40s %8.1f MB\n", "peak memory, person list loaded",
                        figures[0].toDouble());
            std::printf("  %-40s %8.1f MB (+%.1f)\n", "peak memory, index built and used",
                        figures[1].toDouble(), figures[1].toDouble() - figures[0].toDouble());
            std::printf("  %-40s %8.1f MB\n", "resident memory the index added",
                        figures[2].toDouble());
        }
    }
    std::vector<double> refresh;
    for (int i = 0; i < 25; ++i) {
        const RecordId id(rows.Id((size_t(i) * 7919) % rows.size()));
        start = Clock::now();
        index.Refresh(path, id);
        refresh.push_back(MsSince(start));
    }
    Print("one person refreshed after an edit", Summary(refresh));

    const std::vector<Typing> typings = {
        {"a name", {"g", "ga", "gar", "garc", "garci", "garcia"}},
        {"digits of a phone", {"5", "55", "555", "5550", "55501", "555010"}},
        {"a prefix", {"c", "ci", "cit", "city", "city:", "city:c", "city:ci", "city:cit"}},
        {"two words",
         {"s", "sm", "smi", "smit", "smith", "smith ", "smith a", "smith an", "smith ann"}},
        {"a contact's description", {"v", "vi", "vis", "visi", "visit"}},
        {"nothing", {"q", "qu", "qua", "quar", "quart", "quartz"}}};

    std::vector<double> worstFresh, worstNarrowing;
    bool faster = true;
    for (const Typing& typing : typings) {
        std::printf("  typing %s\n", typing.label);
        SearchQuery previous;
        std::vector<uint32_t> shown = index.Filter(rows, previous);
        for (const char* typed : typing.keystrokes) {
            std::vector<double> fresh, narrowing;
            std::vector<uint32_t> found;
            SearchQuery query;
            for (int r = 0; r < rounds; ++r) {
                start = Clock::now();
                query = SearchQuery::Parse(QString::fromUtf8(typed));
                found = index.Filter(rows, query);
                fresh.push_back(MsSince(start));
                start = Clock::now();
                const SearchQuery again = SearchQuery::Parse(QString::fromUtf8(typed));
                if (again.Narrows(previous)) {
                    const std::vector<uint32_t> narrowed = index.Filter(rows, again, &shown);
                    narrowing.push_back(MsSince(start));
                    if (narrowed != found) {
                        std::printf("    narrowing \"%s\" found other rows\n", typed);
                        return false;
                    }
                }
            }
            const Spread f = Summary(fresh);
            char what[64];
            std::snprintf(what, sizeof what, "\"%s\" (%zu)", typed, found.size());
            std::printf("    %-20s fresh     min %6.2f  median %6.2f  max %6.2f ms\n", what, f.min,
                        f.median, f.max);
            worstFresh.push_back(f.median);
            if (!narrowing.empty()) {
                const Spread n = Summary(narrowing);
                std::printf("    %-20s narrowing min %6.2f  median %6.2f  max %6.2f ms\n", "",
                            n.min, n.median, n.max);
                worstNarrowing.push_back(n.median);
            }
            shown = found;
            previous = query;
        }
        // The shell on the whole query, and on its first keystroke when that differs.
        const SearchQuery last = SearchQuery::Parse(QString::fromUtf8(typing.keystrokes.back()));
        const long count = ShellCount(path, last);
        std::vector<double> shell;
        for (int r = 0; r < (persons >= 100000 ? 3 : 5); ++r) {
            shell.push_back(ShellMs(path, ShellQuery(last, false)));
        }
        const Spread s = Summary(shell);
        std::printf("    %-20s sqlite3   min %6.1f  median %6.1f  max %6.1f ms  (%ld rows%s)\n",
                    typing.keystrokes.back(), s.min, s.median, s.max, count,
                    count == long(shown.size()) ? ", the same" : ", NOT the same");
        faster = faster && count == long(shown.size()) &&
                 *std::max_element(worstFresh.end() - long(typing.keystrokes.size()),
                                   worstFresh.end()) < s.min;
    }
    const double fresh = *std::max_element(worstFresh.begin(), worstFresh.end());
    const double narrowing = *std::max_element(worstNarrowing.begin(), worstNarrowing.end());
    std::printf("  %-40s %8.2f ms\n", "slowest keystroke (median), fresh", fresh);
    std::printf("  %-40s %8.2f ms\n", "slowest keystroke (median), narrowing", narrowing);
    std::printf("  %-40s %s\n", "under 30 ms a keystroke",
                fresh < 30 && narrowing < 30 ? "yes" : "NO");
    std::printf("  %-40s %s\n", "faster than the shell, same rows", faster ? "yes" : "NO");
    std::fflush(stdout);
    return true;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc == 3 && std::strcmp(argv[1], "--measure") == 0) {
        return MeasureChild(argv[2]);
    }
    if (argc == 3 && std::strcmp(argv[1], "--spawn") == 0) {
        return RunMs({"/proc/self/exe", "--measure", argv[2]}, false) < 0 ? 1 : 0;
    }
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s folder  (with book-10000.tch and book-100000.tch)\n",
                     argv[0]);
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    std::vector<std::pair<int, std::string>> books;
    for (int persons : {10000, 100000}) {
        const QString file = folder.filePath(QStringLiteral("book-%1.tch").arg(persons));
        if (!QFileInfo(file).isFile()) {
            std::fprintf(stderr,
                         "%s is missing: generate the books with main_view_bench %s first\n",
                         qPrintable(file), argv[1]);
            return 1;
        }
        books.emplace_back(persons, file.toStdString());
    }
    const std::string self = QCoreApplication::applicationFilePath().toStdString();
    for (const auto& book : books) {
        if (!Run(self, book.second, book.first)) {
            return 1;
        }
    }
    return 0;
}
