#pragma once

// What the benchmarks of the search share: running a program and timing it, and the search as
// the sqlite3 shell runs it, as a LIKE query over the same columns and the contact notes.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <string>
#include <vector>

#include "PersonRecord.h"
#include "PersonSearch.h"
#include "RecordId.h"

extern char** environ;

namespace bench {

inline double MsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

// Runs a program with its output (and errors) thrown away or kept; its wall time in ms.
inline double RunMs(std::vector<std::string> arguments, bool quiet) {
    std::vector<char*> argv;
    for (std::string& a : arguments) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (quiet) {
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    }
    const int failed = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) {
        return -1;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return MsSince(start);
}

inline double ShellMs(const std::string& path, const std::string& sql) {
    return RunMs({"/usr/bin/sqlite3", path, sql}, true);
}

inline std::string Like(const std::string& column, const std::string& word) {
    std::string pattern;
    for (char c : word) {
        if (c == '%' || c == '_' || c == '\\') {
            pattern += '\\';
        }
        pattern += c;
    }
    return column + " LIKE '%" + QuoteSqlText(pattern) + "%' ESCAPE '\\'";
}

// The search as the shell runs it: each word in any of its fields, all words together.
inline std::string ShellQuery(const SearchQuery& query, bool countOnly) {
    using Scope = SearchQuery::Scope;
    using F = PersonRecord::Field;
    std::string where;
    for (const SearchQuery::Word& w : query.Words()) {
        std::vector<std::string> alternatives;
        for (int f = 0; f < PersonRecord::FieldCount; ++f) {
            const bool phone = f >= F::HmPhone && f <= F::WkFax;
            const bool inScope =
                w.scope == Scope::Any || (w.scope == Scope::Company && f == F::Company) ||
                (w.scope == Scope::City && f == F::City) ||
                (w.scope == Scope::Email && f == F::Email) || (w.scope == Scope::Phone && phone);
            if (!inScope) {
                continue;
            }
            const std::string column = PersonRecord::ColumnName(F(f));
            alternatives.push_back(Like(column, w.text));
            if (phone && w.digits) {
                std::string digits = column;
                for (const char* drop : {" ", "-", "(", ")", "+", ".", "/"}) {
                    digits = "replace(" + digits + ", '" + drop + "', '')";
                }
                alternatives.push_back(Like(digits, w.text));
            }
        }
        if (w.scope == Scope::Any || w.scope == Scope::Note) {
            alternatives.push_back(
                "EXISTS (SELECT 1 FROM Contact WHERE Contact.PersonID = Person.ID AND " +
                Like("Contact.Description", w.text) + ")");
        }
        std::string any;
        for (const std::string& a : alternatives) {
            any += (any.empty() ? "(" : " OR ") + a;
        }
        where += (where.empty() ? " WHERE " : " AND ") + any + ")";
    }
    return (countOnly ? "SELECT count(*) FROM Person" : "SELECT ID FROM Person") + where;
}

}  // namespace bench
