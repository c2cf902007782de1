#include "CommandLine.h"

QString FileFromCommandLine(const QString& commandLine) {
    QString text = commandLine.trimmed();
    // Only a slash or dash, one letter and a blank make a switch, so that absolute paths such
    // as /home/... are taken whole.
    if (text.size() >= 3 && (text[0] == QLatin1Char('/') || text[0] == QLatin1Char('-')) &&
        text[1].isLetter() && text[2].isSpace()) {
        text = text.mid(2).trimmed();
    }
    if (!text.startsWith(QLatin1Char('"'))) {
        return text;
    }
    QString name;
    for (int i = 1; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('"')) {
            if (i + 1 < text.size() && text[i + 1] == QLatin1Char('"')) {
                name += QLatin1Char('"');
                ++i;
                continue;
            }
            break;
        }
        name += text[i];
    }
    return name;
}
