#pragma once

#include <string>

#include <QString>

namespace platform {

// The edge between the widgets and the database: texts are kept in the local 8-bit encoding.
inline QString FromLocal8Bit(const std::string& text) {
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string ToLocal8Bit(const QString& text) {
    return text.toLocal8Bit().toStdString();
}

}  // namespace platform
