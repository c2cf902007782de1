#pragma once

#include <string>

// The full path of the current database file (local 8-bit), empty when none is open. Every
// database operation of tidemark opens it for its own work and closes it again.
extern std::string CurrentDatabasePath;
