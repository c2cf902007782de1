// Times `tidemark-cli query WORDS`, a whole process as a mail program starts it, on the address
// book of 100,000 persons with ten contacts each (made by main_view_bench), next to the sqlite3
// shell running the same search as a LIKE query over the same columns and the contact notes, in
// the same run, alternating. Goals: never slower than the shell, and under 300 ms.
//
//   cli_query_bench folder   (holds book-100000.tch; nothing is generated)

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include <QFileInfo>
#include <QString>

#include "PersonSearch.h"
#include "ShellSearch.h"
#include "Spread.h"

int main(int argc, char** argv) {
    const std::string folder = argc > 1 ? argv[1] : "bench-data";
    const std::string path = folder + "/book-100000.tch";
    if (!QFileInfo::exists(QString::fromStdString(path))) {
        std::fprintf(stderr, "%s is missing: run main_view_bench %s first\n", path.c_str(),
                     folder.c_str());
        return 1;
    }
    constexpr int kRuns = 7;
    bool slower = false;
    double worst = 0;
    std::printf("tidemark-cli query on 100000 persons (%s)\n", path.c_str());
    for (const char* words : {"jones", "company 607", "quartz"}) {
        std::vector<double> cli;
        std::vector<double> shell;
        const std::string sql =
            bench::ShellQuery(SearchQuery::Parse(QString::fromUtf8(words)), false);
        for (int run = 0; run < kRuns; ++run) {
            cli.push_back(bench::RunMs({TIDEMARK_CLI, "--book", path, "query", words}, true));
            shell.push_back(bench::ShellMs(path, sql));
        }
        const Spread c = Summary(cli);
        const Spread s = Summary(shell);
        std::printf("  %-14s tidemark-cli  min %7.1f  median %7.1f  max %7.1f ms\n", words, c.min,
                    c.median, c.max);
        std::printf("  %-14s sqlite3       min %7.1f  median %7.1f  max %7.1f ms\n", "", s.min,
                    s.median, s.max);
        slower = slower || c.median > s.median;
        worst = std::max(worst, c.median);
    }
    std::printf("  never slower than the shell            %s\n", slower ? "no" : "yes");
    std::printf("  under 300 ms (slowest median %.0f ms)   %s\n", worst,
                worst < 300 ? "yes" : "no");
    return 0;
}
