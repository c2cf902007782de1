#pragma once

#include <map>
#include <optional>
#include <string>

#include "DateTime.h"

// The owner's own record of a version-1 file. Its home telephone is HmPhone; it has no Pager.
struct V1User {
    std::string Title, FName, LName, Company, Position, Address, City, State, Zip, HmPhone, WkPhone,
        WkExt, CelPhone, Fax, EMail, WebPage;
};

// A person; the home telephone is Phone here.
struct V1Person {
    int ID = 0;
    std::string Title, FName, LName, Company, Position, Address, City, State, Zip, Phone, WkPhone,
        WkExt, CelPhone, Pager, Fax, EMail, WebPage;
};

struct V1Contact {
    int ID = 0;
    int PersonID = 0;
    ::DateTime DateTime;
    std::string Description;
    int ContactTypeID = 0;
};

struct V1ContactType {
    int ID = 0;
    std::string Description;
};

// The records of one kind in ascending order of ID, one per ID.
template <typename Record>
struct V1Section {
    std::map<int, Record> records;
    int lastId = 0;
};

// How a load ended: the text loaded, or a syntax error stopped it at the given line (from 1).
struct V1LoadResult {
    std::optional<int> syntaxErrorLine;
    bool Loaded() const { return !syntaxErrorLine; }
};

// A version-1 file in memory.
struct V1Document {
    int version = 0;
    DateTime created;
    DateTime lastSaved;
    std::string token;
    V1User user;
    V1Section<V1Person> persons;
    V1Section<V1Contact> contacts;
    V1Section<V1ContactType> contactTypes;

    // Parses the text (up to its NUL) and fills the model from an empty start. A syntax error
    // leaves the model empty and gives its line. A root not named Tidemark loads as an empty
    // model. The model's texts are UTF-8: a text that is not is read in the encoding the XML
    // declaration names where that is ISO-8859-1, else as Windows-1252.
    V1LoadResult Load(const char* text);
};

// The file's bytes followed by one NUL byte; nothing when the file cannot be opened or read.
std::optional<std::string> ReadWholeFile(const std::string& path);

// A decimal integer as the version-1 reader takes it: leading whitespace, an optional sign and
// the digits up to the first other byte; no digits give 0. Held to the range of int.
int ReadDecimal(const std::string& text);
