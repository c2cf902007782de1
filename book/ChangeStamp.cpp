#include "ChangeStamp.h"

#include <fstream>

#include "Database.h"

namespace {

// The header's change counter: four bytes, most significant first, at offset 24. Read before
// the connection opens: closing another handle on the file would drop the engine's locks.
uint32_t ReadCommitCount(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    unsigned char bytes[4] = {};
    if (!file.seekg(24) || !file.read(reinterpret_cast<char*>(bytes), sizeof bytes)) {
        return 0;
    }
    return (uint32_t{bytes[0]} << 24) | (uint32_t{bytes[1]} << 16) | (uint32_t{bytes[2]} << 8) |
           uint32_t{bytes[3]};
}

}  // namespace

BookChange ReadBookChange(const std::string& path) {
    BookChange change;
    change.commits = ReadCommitCount(path);
    cppsqlite3::Database db;
    db.Open(path);
    cppsqlite3::Statement& st = db.CreateStatement();
    cppsqlite3::Query& q = st.ExecuteQuery("SELECT S FROM Globals");
    if (q.Next()) {
        change.stamp = q.GetString(1);
    }
    st.CloseQuery();
    return change;
}
