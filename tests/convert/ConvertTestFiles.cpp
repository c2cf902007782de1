#include "ConvertTestFiles.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>

std::string ReadBytes(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    const QByteArray bytes = file.readAll();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

void WriteBytes(const QString& path, const std::string& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(bytes.data(), static_cast<qint64>(bytes.size())),
              static_cast<qint64>(bytes.size()));
}

bool Exists(const QString& path) {
    return QFileInfo::exists(path);
}

std::string Local(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

V1Writer::V1Writer(const std::string& rootAttributes)
    : text("<?xml version=\"1.0\"?>\n<Tidemark" + rootAttributes + ">\n") {}

V1Writer& V1Writer::Open(const std::string& tag) {
    text += std::string(static_cast<std::size_t>(depth_), '\t') + "<" + tag + ">\n";
    ++depth_;
    return *this;
}

V1Writer& V1Writer::Close(const std::string& name) {
    --depth_;
    text += std::string(static_cast<std::size_t>(depth_), '\t') + "</" + name + ">\n";
    return *this;
}

V1Writer& V1Writer::Field(const std::string& name, const std::string& value) {
    text += std::string(static_cast<std::size_t>(depth_), '\t') + "<" + name + ">" + value + "</" +
            name + ">\n";
    return *this;
}

std::string V1Writer::End() {
    return text + "</Tidemark>\n";
}
