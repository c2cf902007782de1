#pragma once

#include <QString>

// The file named on tidemark's command line (the arguments joined by blanks); empty when none.
// A leading one-letter switch ("/o file", "-o file") is skipped; a name in double quotes may
// hold blanks, and two double quotes inside stand for one.
QString FileFromCommandLine(const QString& commandLine);
