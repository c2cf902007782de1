#pragma once

#include <string>

#include <QString>

// Whole-file helpers of the converter tests.
std::string ReadBytes(const QString& path);
void WriteBytes(const QString& path, const std::string& bytes);
bool Exists(const QString& path);

// A file name as the converter takes it.
std::string Local(const QString& path);

// A version-1 file as version 1 wrote it: declaration, tabs, one field per line.
struct V1Writer {
    std::string text;
    V1Writer(const std::string& rootAttributes);
    V1Writer& Open(const std::string& tag);
    V1Writer& Close(const std::string& name);
    // The value goes in as written; callers spell entities themselves.
    V1Writer& Field(const std::string& name, const std::string& value);
    std::string End();

private:
    int depth_ = 1;
};
