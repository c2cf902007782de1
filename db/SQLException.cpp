#include "SQLException.h"

#include <utility>

namespace cppsqlite3 {

SQLException::SQLException(std::string message) : message_(std::move(message)) {}

SQLException::SQLException(int code) : message_(MessageForCode(code)), code_(code) {}

const char* SQLException::MessageForCode(int code) {
    // These texts are shown to users exactly as they stand, misspelling included.
    switch (code) {
        case 1:
            return "SQL error or missing database";
        case 2:
            return "An internal logic error in the database";
        case 3:
            return "Access permission denied";
        case 4:
            return "Callback routine requested an abort";
        case 5:
            return "The database file is locked";
        case 6:
            return "A table in the database is locked";
        case 7:
            return "A memory allocation failed in the database";
        case 8:
            return "Attempt to write a readonly database";
        case 9:
            return "Operation terminated by a database interrupt";
        case 10:
            return "Some kind of disk I/O error occurred";
        case 11:
            return "The database disk image is malformed";
        case 12:
            return "Table or record not found";
        case 13:
            return "Insertion failed because database is full";
        case 14:
            return "Unable to open the database file";
        case 15:
            return "Database lock protocol error";
        case 16:
            return "Database table is empty";
        case 17:
            return "The database schema changed";
        case 18:
            return "Too much data for one row of a table";
        case 19:
            return "Abort due to contraint violation";
        case 20:
            return "Data type mismatch";
        case 21:
            return "Library used incorrectly";
        case 22:
            return "Uses OS features not supported on host";
        case 23:
            return "Authorization denied";
        default:
            return "Unknown database error";
    }
}

}  // namespace cppsqlite3
