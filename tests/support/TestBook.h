#pragma once

#include <string>

#include <QTemporaryDir>

#include "PersonRecord.h"

// A temporary folder with .tch files made by the program's own creation code, and quick ways
// to fill them for a test.
class TestBook {
public:
    TestBook();

    // Creates a new file in the folder and returns its path.
    std::string Create(const char* name = "book.tch");
    std::string Path(const char* name) const;
    QString Folder() const { return dir_.path(); }

    // Inserts a person with the fields given and returns its identifier.
    static RecordId AddPerson(const std::string& path, const std::string& first,
                              const std::string& last, const std::string& company = "");
    static RecordId AddPerson(const std::string& path, const PersonRecord& person);
    // Inserts a contact; the type is the seed "Telephone" unless given.
    static RecordId AddContact(const std::string& path, const RecordId& person,
                               const std::string& dtTm, const std::string& description,
                               const std::string& typeId = "9DC618A3-8452-4D33-A70BDB1C91FE");
    static void Execute(const std::string& path, const std::string& sql);
    static std::string QueryText(const std::string& path, const std::string& sql);

private:
    QTemporaryDir dir_;
};
