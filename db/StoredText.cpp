#include "StoredText.h"

QString FromStoredText(const std::string& text) {
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ToStoredText(const QString& text) {
    return text.toLocal8Bit().toStdString();
}

std::string ToStoredLines(const std::string& text) {
    std::string stored;
    stored.reserve(text.size() + 8);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            // An existing CR LF stays one line break; a lone CR becomes one.
            stored += "\r\n";
            if (i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
        } else if (text[i] == '\n') {
            stored += "\r\n";
        } else {
            stored += text[i];
        }
    }
    return stored;
}

std::string FromStoredLines(const std::string& text) {
    std::string plain;
    plain.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            continue;
        }
        plain += text[i];
    }
    return plain;
}
