#include "SQLException.h"

#include <QCoreApplication>

#include <utility>

namespace cppsqlite3 {

SQLException::SQLException(std::string message) : message_(std::move(message)) {}

// The fixed texts are translated when the failure is made: where it is shown, nothing tells
// them from a message composed elsewhere.
SQLException::SQLException(int code)
    : message_(QCoreApplication::translate("cppsqlite3::SQLException", MessageForCode(code))
                   .toLocal8Bit()
                   .toStdString()),
      code_(code) {}

const char* SQLException::MessageForCode(int code) {
    // These texts are shown to users exactly as they stand, misspelling included; the
    // constructor translates them.
    switch (code) {
        case 1:
            return QT_TRANSLATE_NOOP("cppsqlite3::SQLException", "SQL error or missing database");
        case 2:
            return QT_TRANSLATE_NOOP("cppsqlite3::SQLException",
                                     "An internal logic error in the database");
        case 3:
            return QT_TRANSLATE_NOOP("cppsqlite3::SQLException", "Access permission denied");
        case 4:
            return QT_TRANSLATE_NOOP("cppsqlite3::SQLException",
                                     "Callback routine requested an abort");
        case 5:
            return QT_TRANSLATE_NOOP("cppsqlite3::SQLException", "The database file is locked");
        case 6:
            return QT_TRANSLATE_NOOP("cppsqlite3::SQLException",
                                     "A table in the database is locked");
        case 7:
            return QT_TRANSLATE_NOOP("cppsqlite3::SQLException",
                                     "A memory allocation failed in the database");
        case 8:
            return QT_TRANSLATE_NOOP("cppsqlite3::SQLException",
                                     "Attempt to write a readonly database");
        case 9:
            return QT_TRANSLATE_NOOP("cppsqlite3::SQLException",
                                     "Operation terminated by a database interrupt");
        case 10:
            return QT_TRANSLATE_NOOP("cppsqlite3::SQLException",
                                     "Some kind of disk I/O error occurred");
        case 11:
            return QT_TRANSLATE_NOOP("cppsqlite3::SQLException",
                                     "The database disk image is malformed");
        case 12:
            return QT_TRANSLATE_NOOP("cppsqlite3::SQLException", "Table or record not found");
        case 13:
            return QT_TRANSLATE_NOOP("cppsqlite3::SQLException",
                                     "Insertion failed because database is full");
        case 14:
            return QT_TRANSLATE_NOOP("cppsqlite3::SQLException",
                                     "Unable to open the database file");
        case 15:
            return QT_TRANSLATE_NOOP("cppsqlite3::SQLException", "Database lock protocol error");
        case 16:
            return QT_TRANSLATE_NOOP("cppsqlite3::SQLException", "Database table is empty");
        case 17:
            return QT_TRANSLATE_NOOP("cppsqlite3::SQLException", "The database schema changed");
        case 18:
            return QT_TRANSLATE_NOOP("cppsqlite3::SQLException",
                                     "Too much data for one row of a table");
        case 19:
            return QT_TRANSLATE_NOOP("cppsqlite3::SQLException",
                                     "Abort due to contraint violation");
        case 20:
            return QT_TRANSLATE_NOOP("cppsqlite3::SQLException", "Data type mismatch");
        case 21:
            return QT_TRANSLATE_NOOP("cppsqlite3::SQLException", "Library used incorrectly");
        case 22:
            return QT_TRANSLATE_NOOP("cppsqlite3::SQLException",
                                     "Uses OS features not supported on host");
        case 23:
            return QT_TRANSLATE_NOOP("cppsqlite3::SQLException", "Authorization denied");
        default:
            return QT_TRANSLATE_NOOP("cppsqlite3::SQLException", "Unknown database error");
    }
}

}  // namespace cppsqlite3
