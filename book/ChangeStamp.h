#pragma once

#include <cstdint>
#include <string>

// What tells a change of a .tch file from a mere touch: the stamp every change writes into
// Globals, and the engine's own count of the file's commits (which an import that keeps the
// stamp still moves).
struct BookChange {
    std::string stamp;
    uint32_t commits = 0;

    bool operator==(const BookChange& other) const {
        return stamp == other.stamp && commits == other.commits;
    }
    bool operator!=(const BookChange& other) const { return !(*this == other); }
};

// Reads both from the file; failures are SQLExceptions (a missing file, a locked one).
BookChange ReadBookChange(const std::string& path);
