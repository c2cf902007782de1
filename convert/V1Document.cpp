#include "V1Document.h"

#include <QDateTime>
#include <QFile>

#include <algorithm>
#include <climits>
#include <cstring>

#include "SimpleXMLParser.h"
#include "StoredText.h"

using SimpleXMLParser::Element;
using SimpleXMLParser::Node;

namespace {

// "NEW", or seconds since 1970-01-01 00:00:00 UTC shown in local time; negative is invalid.
DateTime ReadFileTime(const std::string& text) {
    if (text == "NEW") {
        return FromLocalNow();
    }
    const int seconds = ReadDecimal(text);
    if (seconds < 0) {
        return DateTime();
    }
    const QDateTime local = QDateTime::fromSecsSinceEpoch(seconds).toLocalTime();
    return DateTime::FromDateAndTime(local.date(), local.time());
}

template <typename Record>
struct TextField {
    const char* name;
    std::string Record::*field;
};

const TextField<V1User> kUserFields[] = {
    {"Title", &V1User::Title},       {"FName", &V1User::FName},       {"LName", &V1User::LName},
    {"Company", &V1User::Company},   {"Position", &V1User::Position}, {"Address", &V1User::Address},
    {"City", &V1User::City},         {"State", &V1User::State},       {"Zip", &V1User::Zip},
    {"HmPhone", &V1User::HmPhone},   {"WkPhone", &V1User::WkPhone},   {"WkExt", &V1User::WkExt},
    {"CelPhone", &V1User::CelPhone}, {"Fax", &V1User::Fax},           {"EMail", &V1User::EMail},
    {"WebPage", &V1User::WebPage},
};

const TextField<V1Person> kPersonFields[] = {
    {"Title", &V1Person::Title},       {"FName", &V1Person::FName},
    {"LName", &V1Person::LName},       {"Company", &V1Person::Company},
    {"Position", &V1Person::Position}, {"Address", &V1Person::Address},
    {"City", &V1Person::City},         {"State", &V1Person::State},
    {"Zip", &V1Person::Zip},           {"Phone", &V1Person::Phone},
    {"WkPhone", &V1Person::WkPhone},   {"WkExt", &V1Person::WkExt},
    {"CelPhone", &V1Person::CelPhone}, {"Pager", &V1Person::Pager},
    {"Fax", &V1Person::Fax},           {"EMail", &V1Person::EMail},
    {"WebPage", &V1Person::WebPage},
};

template <typename Record, std::size_t N>
bool SetTextField(const TextField<Record> (&fields)[N], Record& record, Node& child) {
    for (const TextField<Record>& f : fields) {
        if (child.Name() == f.name) {
            record.*f.field = child.TakeText();
            return true;
        }
    }
    return false;
}

// Each field element sets one field; the last of a name wins, other names are passed over.
void ReadFields(V1User& user, Element& element) {
    for (std::unique_ptr<Node>& child : element.Children()) {
        if (child->AsElement()) {
            SetTextField(kUserFields, user, *child);
        }
    }
}

void ReadFields(V1Person& person, Element& element) {
    for (std::unique_ptr<Node>& child : element.Children()) {
        if (child->AsElement()) {
            SetTextField(kPersonFields, person, *child);
        }
    }
}

void ReadFields(V1ContactType& type, Element& element) {
    for (std::unique_ptr<Node>& child : element.Children()) {
        if (child->AsElement() && child->Name() == "Description") {
            type.Description = child->TakeText();
        }
    }
}

void ReadFields(V1Contact& contact, Element& element) {
    const Node* when = nullptr;
    for (std::unique_ptr<Node>& child : element.Children()) {
        if (!child->AsElement()) {
            continue;
        }
        const std::string& name = child->Name();
        if (name == "PersonID") {
            contact.PersonID = ReadDecimal(child->Text());
        } else if (name == "DateTime") {
            when = child.get();
        } else if (name == "Description") {
            contact.Description = child->TakeText();
        } else if (name == "ContactTypeID") {
            contact.ContactTypeID = ReadDecimal(child->Text());
        }
    }
    // A stamp the locale cannot read, or none at all, becomes the time of the conversion.
    contact.DateTime = when ? ParseDateTime(when->Text()) : ::DateTime();
    if (!contact.DateTime.IsValid()) {
        contact.DateTime = FromLocalNow();
    }
}

// Every child element is one record, whatever its name. Each record starts empty, so a missing
// field never takes the value of the record before it. The first record of an ID stays.
template <typename Record>
void ReadSection(V1Section<Record>& section, Element& element) {
    for (const SimpleXMLParser::Attribute& attribute : element.Attributes()) {
        if (attribute.Name() == "LastID") {
            section.lastId = ReadDecimal(attribute.Value());
        }
    }
    for (std::unique_ptr<Node>& child : element.Children()) {
        if (Element* recordElement = child->AsElement()) {
            Record record;
            for (const SimpleXMLParser::Attribute& attribute : recordElement->Attributes()) {
                if (attribute.Name() == "ID") {
                    record.ID = ReadDecimal(attribute.Value());
                }
            }
            ReadFields(record, *recordElement);
            section.records.emplace(record.ID, std::move(record));
        }
        // Done with this part of the tree; freeing it now keeps the tree and the model from
        // both being whole in memory at once.
        child.reset();
    }
    element.Children().clear();
}

// Texts that are not UTF-8 were written in the encoding the declaration names: ISO-8859-1, or
// else the Windows code page that the earlier program's files hold. Texts already in UTF-8 stay
// as they are.
void ToUtf8(V1Document& document, const std::string& encoding) {
    const QString name = QString::fromStdString(encoding).toLower();
    const bool latin1 = name == QLatin1String("iso-8859-1") || name == QLatin1String("latin1") ||
                        name == QLatin1String("iso_8859-1") || name == QLatin1String("l1");
    const auto convert = [latin1](std::string& text) {
        if (!IsValidUtf8(text)) {
            text = latin1 ? Latin1ToUtf8(text) : Windows1252ToUtf8(text);
        }
    };
    convert(document.token);
    for (const TextField<V1User>& f : kUserFields) {
        convert(document.user.*f.field);
    }
    for (auto& entry : document.persons.records) {
        for (const TextField<V1Person>& f : kPersonFields) {
            convert(entry.second.*f.field);
        }
    }
    for (auto& entry : document.contacts.records) {
        convert(entry.second.Description);
    }
    for (auto& entry : document.contactTypes.records) {
        convert(entry.second.Description);
    }
}

}  // namespace

int ReadDecimal(const std::string& text) {
    const char* p = text.c_str();
    while (*p == ' ' || (*p >= '\t' && *p <= '\r')) {
        ++p;
    }
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    long long value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        if (value <= INT_MAX) {
            value = value * 10 + (*p - '0');
        }
    }
    if (negative) {
        value = -value;
    }
    if (value > INT_MAX) {
        return INT_MAX;
    }
    if (value < INT_MIN) {
        return INT_MIN;
    }
    return static_cast<int>(value);
}

V1LoadResult V1Document::Load(const char* text) {
    *this = V1Document();
    std::unique_ptr<Element> root;
    std::string encoding;
    try {
        SimpleXMLParser::Parser parser;
        root = parser.Parse(text, std::strlen(text));
        encoding = parser.Encoding();
    } catch (const SimpleXMLParser::Exception& e) {
        return V1LoadResult{e.Line()};
    }
    if (root->Name() != "Tidemark") {
        return V1LoadResult{};
    }
    for (const SimpleXMLParser::Attribute& attribute : root->Attributes()) {
        const std::string& name = attribute.Name();
        if (name == "Version") {
            version = ReadDecimal(attribute.Value());
        } else if (name == "Cr") {
            created = ReadFileTime(attribute.Value());
        } else if (name == "St") {
            lastSaved = ReadFileTime(attribute.Value());
        } else if (name == "U") {
            token = attribute.Value();
        }
    }
    for (std::unique_ptr<Node>& child : root->Children()) {
        Element* element = child->AsElement();
        if (!element) {
            continue;
        }
        const std::string& name = element->Name();
        if (name == "User") {
            V1User record;
            ReadFields(record, *element);
            user = std::move(record);
        } else if (name == "Persons") {
            ReadSection(persons, *element);
        } else if (name == "Contacts") {
            ReadSection(contacts, *element);
        } else if (name == "ContactTypes") {
            ReadSection(contactTypes, *element);
        }
    }
    ToUtf8(*this, encoding);
    return V1LoadResult{};
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
    QFile file(QFile::decodeName(path.c_str()));
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    // The size is a first guess only: some files grow while read or report no size at all.
    std::string bytes;
    bytes.resize(static_cast<std::size_t>(std::max<qint64>(file.size(), 0)) + 1);
    std::size_t used = 0;
    for (;;) {
        if (used == bytes.size()) {
            bytes.resize(bytes.size() * 2);
        }
        const qint64 n = file.read(bytes.data() + used, static_cast<qint64>(bytes.size() - used));
        if (n < 0) {
            return std::nullopt;
        }
        if (n == 0) {
            break;
        }
        used += static_cast<std::size_t>(n);
    }
    bytes.resize(used);  // the string keeps its NUL after the last byte
    return bytes;
}
