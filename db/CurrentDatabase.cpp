#include "CurrentDatabase.h"

std::string CurrentDatabasePath;
