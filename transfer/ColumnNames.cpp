#include "ColumnNames.h"

#include <QRegularExpression>
#include <QString>

#include <set>

#include "TransferSettings.h"

namespace transfer {

// Also the text the wizard shows for it, translated there.
const char kPhoneByType[] = QT_TRANSLATE_NOOP("transfer::TransferWizard", "Phone (by type)");

namespace {

using P = PersonRecord;
using Role = ColumnMeaning::Role;

struct Alias {
    const char* name;  // as Key() gives it
    P::Field field;
};

// Names of columns on their own, in the form Key() gives them. Ambiguous names ("Name", "Home")
// are left for the user to assign; the parts of several addresses are in kAddressParts.
const Alias kAliases[] = {
    // This program's own export and import.
    {"title", P::Title},
    {"firstname", P::FName},
    {"lastname", P::LName},
    {"company", P::Company},
    {"position", P::Position},
    {"address", P::Addr},
    {"city", P::City},
    {"state", P::State},
    {"zipcode", P::Zip},
    {"homephone", P::HmPhone},
    {"workphone", P::WkPhone},
    {"workextension", P::WkExt},
    {"fax", P::WkFax},
    {"pager", P::Pager},
    {"celphone", P::CelPhone},
    {"email", P::Email},
    {"webpage", P::WebPage},
    // Names of people.
    {"nameprefix", P::Title},
    {"prefix", P::Title},
    {"salutation", P::Title},
    {"anrede", P::Title},
    {"first", P::FName},
    {"givenname", P::FName},
    {"forename", P::FName},
    {"vorname", P::FName},
    {"last", P::LName},
    {"surname", P::LName},
    {"familyname", P::LName},
    {"nachname", P::LName},
    {"familienname", P::LName},
    // Work.
    {"organization", P::Company},
    {"organisation", P::Company},
    {"organizationname", P::Company},
    {"companyname", P::Company},
    {"firma", P::Company},
    {"unternehmen", P::Company},
    {"jobtitle", P::Position},
    {"organizationtitle", P::Position},
    {"berufsbezeichnung", P::Position},
    {"funktion", P::Position},
    // A postal address given once.
    {"street", P::Addr},
    {"streetaddress", P::Addr},
    {"straße", P::Addr},
    {"strasse", P::Addr},
    {"town", P::City},
    {"ort", P::City},
    {"stadt", P::City},
    {"region", P::State},
    {"province", P::State},
    {"stateprovince", P::State},
    {"state/province", P::State},
    {"bundesland", P::State},
    {"zip", P::Zip},
    {"postalcode", P::Zip},
    {"postcode", P::Zip},
    {"zip/postalcode", P::Zip},
    {"postleitzahl", P::Zip},
    {"plz", P::Zip},
    // Telephones.
    {"phonehome", P::HmPhone},
    {"homephone1", P::HmPhone},
    {"privatephone", P::HmPhone},
    {"telefon(privat)", P::HmPhone},
    {"telefonprivat", P::HmPhone},
    {"businessphone", P::WkPhone},
    {"officephone", P::WkPhone},
    {"phonework", P::WkPhone},
    {"telefon(geschäftlich)", P::WkPhone},
    {"telefongeschäftlich", P::WkPhone},
    {"extension", P::WkExt},
    {"ext", P::WkExt},
    {"durchwahl", P::WkExt},
    {"nebenstelle", P::WkExt},
    {"mobile", P::CelPhone},
    {"mobilephone", P::CelPhone},
    {"mobilenumber", P::CelPhone},
    {"homemobile", P::CelPhone},
    {"workmobile", P::CelPhone},
    {"phonemobile", P::CelPhone},
    {"cellphone", P::CelPhone},
    {"cell", P::CelPhone},
    {"cellular", P::CelPhone},
    {"mobiltelefon", P::CelPhone},
    {"mobil", P::CelPhone},
    {"mobilnummer", P::CelPhone},
    {"handy", P::CelPhone},
    {"handynummer", P::CelPhone},
    {"pagernumber", P::Pager},
    {"faxnumber", P::WkFax},
    {"telefax", P::WkFax},
    {"faxnummer", P::WkFax},
    // On-line.
    {"emailaddress", P::Email},
    {"email1", P::Email},
    {"email2", P::Email},
    {"email3", P::Email},
    {"email1address", P::Email},
    {"email2address", P::Email},
    {"email3address", P::Email},
    {"emailhome", P::Email},
    {"emailwork", P::Email},
    {"homeemail", P::Email},
    {"workemail", P::Email},
    {"businessemail", P::Email},
    {"personalemail", P::Email},
    {"primaryemail", P::Email},
    {"secondaryemail", P::Email},
    {"alternateemail", P::Email},
    {"alternateemail1", P::Email},
    {"alternateemail2", P::Email},
    {"emailadresse", P::Email},
    {"email2:adresse", P::Email},
    {"email3:adresse", P::Email},
    {"website", P::WebPage},
    {"websitehome", P::WebPage},
    {"websitework", P::WebPage},
    {"websiteblog", P::WebPage},
    {"webpage1", P::WebPage},
    {"webpage2", P::WebPage},
    {"personalwebpage", P::WebPage},
    {"personalwebsite", P::WebPage},
    {"businesswebsite", P::WebPage},
    {"businesswebpage", P::WebPage},
    {"homepage", P::WebPage},
    {"url", P::WebPage},
    {"webseite", P::WebPage},
    {"webseite(privat)", P::WebPage},
    {"webseite(geschäftlich)", P::WebPage},
    {"internetseite", P::WebPage},
};

// The words that say which of several addresses a column belongs to, before the part ("Home
// City") or after it ("Ort privat", "Straße (geschäftlich)").
struct AddressWord {
    const char* word;
    AddressKind kind;
};
const AddressWord kAddressPrefixes[] = {
    {"business", AddressKind::Business}, {"work", AddressKind::Business},
    {"office", AddressKind::Business},   {"home", AddressKind::Home},
    {"private", AddressKind::Home},      {"other", AddressKind::Other},
    {"weitere", AddressKind::Other},     {"weiterer", AddressKind::Other},
    {"weiteres", AddressKind::Other},    {"weiteres/r", AddressKind::Other},
};
const AddressWord kAddressSuffixes[] = {
    {"(geschäftlich)", AddressKind::Business}, {"geschäftlich", AddressKind::Business},
    {"(privat)", AddressKind::Home},           {"privat", AddressKind::Home},
    {"(weitere)", AddressKind::Other},
};

// The parts of an address, as Key() gives them. A street part with a number is that line of
// the street ("Street 2").
struct AddressPart {
    const char* name;
    Role role;
    P::Field field;
    int rank;
};
const AddressPart kAddressParts[] = {
    {"street", Role::Field, P::Addr, 0},
    {"straße", Role::Field, P::Addr, 0},
    {"strasse", Role::Field, P::Addr, 0},
    {"streetaddress", Role::Field, P::Addr, 0},
    {"addressline", Role::Field, P::Addr, 0},
    {"address", Role::MaybeBlock, P::Addr, 0},
    {"adresse", Role::MaybeBlock, P::Addr, 0},
    {"extendedaddress", Role::Field, P::Addr, 3},
    {"pobox", Role::Field, P::Addr, 4},
    {"postfach", Role::Field, P::Addr, 4},
    {"formattedaddress", Role::Block, P::Addr, 0},
    {"addressformatted", Role::Block, P::Addr, 0},
    {"city", Role::Field, P::City, 0},
    {"town", Role::Field, P::City, 0},
    {"ort", Role::Field, P::City, 0},
    {"stadt", Role::Field, P::City, 0},
    {"state", Role::Field, P::State, 0},
    {"region", Role::Field, P::State, 0},
    {"province", Role::Field, P::State, 0},
    {"stateprovince", Role::Field, P::State, 0},
    {"bundesland", Role::Field, P::State, 0},
    {"bundesland/kanton", Role::Field, P::State, 0},
    {"kanton", Role::Field, P::State, 0},
    {"zip", Role::Field, P::Zip, 0},
    {"zipcode", Role::Field, P::Zip, 0},
    {"postalcode", Role::Field, P::Zip, 0},
    {"postcode", Role::Field, P::Zip, 0},
    {"postleitzahl", Role::Field, P::Zip, 0},
    {"plz", Role::Field, P::Zip, 0},
    {"fax", Role::Field, P::WkFax, 0},
    // Known, and kept nowhere: the person has no country field.
    {"country", Role::None, P::FieldCount, 0},
    {"country/region", Role::None, P::FieldCount, 0},
    {"land", Role::None, P::FieldCount, 0},
    {"land/region", Role::None, P::FieldCount, 0},
};

// The name without case, blanks, hyphens and underscores.
QString Key(const QString& name) {
    QString key;
    key.reserve(name.size());
    for (const QChar c : name) {
        if (!c.isSpace() && c != QLatin1Char('-') && c != QLatin1Char('_')) {
            key += c.toLower();
        }
    }
    return key;
}

const AddressPart* FindPart(const QString& key) {
    for (const AddressPart& part : kAddressParts) {
        if (key == QString::fromUtf8(part.name)) {
            return &part;
        }
    }
    return nullptr;
}

const char* KindName(AddressKind kind) {
    switch (kind) {
        case AddressKind::Business:
            return "business";
        case AddressKind::Home:
            return "home";
        case AddressKind::Other:
            return "other";
        case AddressKind::None:
        case AddressKind::ByType:
            break;
    }
    return "";
}

ColumnMeaning PartMeaning(const AddressPart& part, int number, const std::string& group,
                          AddressKind kind) {
    ColumnMeaning meaning;
    meaning.role = part.role;
    meaning.field = part.field;
    meaning.group = group;
    meaning.address = kind;
    meaning.rank = part.rank;
    if (part.field == P::Addr && number > 0) {
        // "Street 2", "Home Address 2": a further line of the street, never a whole address.
        meaning.role = Role::Field;
        meaning.rank = part.rank + number - 1;
    }
    if (part.role == Role::None) {
        meaning.group.clear();
        meaning.address = AddressKind::None;
    }
    return meaning;
}

// Google's "Phone 1 - Value", "Address 2 - City": a kind, a number and a part.
bool GoogleMeaning(const QString& name, ColumnMeaning& meaning) {
    static const QRegularExpression pattern(
        QStringLiteral("^\\s*(\\D+?)\\s*(\\d+)\\s*-\\s*(.+?)\\s*$"));
    const QRegularExpressionMatch match = pattern.match(name);
    if (!match.hasMatch()) {
        return false;
    }
    const QString kind = Key(match.captured(1));
    const QString part = Key(match.captured(3));
    const std::string group = (kind + QLatin1Char(' ') + match.captured(2)).toStdString();
    const bool isType = part == QLatin1String("type") || part == QLatin1String("label");
    meaning = ColumnMeaning();
    if (kind == QLatin1String("phone")) {
        meaning.group = group;
        meaning.role = isType                           ? Role::TypeOf
                       : part == QLatin1String("value") ? Role::Typed
                                                        : Role::None;
    } else if (kind == QLatin1String("email") || kind == QLatin1String("website")) {
        meaning.group = group;
        if (isType) {
            meaning.role = Role::TypeOf;
        } else if (part == QLatin1String("value")) {
            meaning.role = Role::Field;
            meaning.field = kind == QLatin1String("email") ? P::Email : P::WebPage;
        }
    } else if (kind == QLatin1String("address")) {
        if (isType) {
            meaning.role = Role::TypeOf;
            meaning.group = group;
            meaning.address = AddressKind::ByType;
        } else if (part == QLatin1String("formatted")) {
            meaning.role = Role::Block;
            meaning.field = P::Addr;
            meaning.group = group;
            meaning.address = AddressKind::ByType;
        } else if (part == QLatin1String("region")) {
            meaning =
                PartMeaning(*FindPart(QStringLiteral("state")), 0, group, AddressKind::ByType);
        } else if (const AddressPart* found = FindPart(part)) {
            if (found->role != Role::MaybeBlock) {
                meaning = PartMeaning(*found, 0, group, AddressKind::ByType);
            }
        }
    } else if (kind == QLatin1String("organization") && match.captured(2) == QLatin1String("1")) {
        if (part == QLatin1String("name")) {
            meaning.role = Role::Field;
            meaning.field = P::Company;
        } else if (part == QLatin1String("title")) {
            meaning.role = Role::Field;
            meaning.field = P::Position;
        }
    }
    return true;
}

// "Home City", "Business Street 2", "Straße geschäftlich 2", "Fax (privat)": a part of one of
// several addresses.
bool AddressMeaning(const QString& key, ColumnMeaning& meaning) {
    QString base = key;
    int number = 0;
    int digits = 0;
    while (digits < base.size() && base.at(base.size() - 1 - digits).isDigit()) {
        ++digits;
    }
    if (digits > 0 && digits < 3 && digits < base.size()) {
        number = base.right(digits).toInt();
        base.chop(digits);
    }
    for (const AddressWord& word : kAddressPrefixes) {
        const QString prefix = QString::fromUtf8(word.word);
        if (base.startsWith(prefix) && base.size() > prefix.size()) {
            if (const AddressPart* part = FindPart(base.mid(prefix.size()))) {
                meaning = PartMeaning(*part, number, KindName(word.kind), word.kind);
                return true;
            }
        }
    }
    for (const AddressWord& word : kAddressSuffixes) {
        const QString suffix = QString::fromUtf8(word.word);
        if (base.endsWith(suffix) && base.size() > suffix.size()) {
            if (const AddressPart* part = FindPart(base.left(base.size() - suffix.size()))) {
                meaning = PartMeaning(*part, number, KindName(word.kind), word.kind);
                return true;
            }
        }
    }
    // "Address Line 2", "Street 3": a line of the one address.
    if (number > 0) {
        if (const AddressPart* part = FindPart(base)) {
            if (part->field == P::Addr) {
                meaning = PartMeaning(*part, number, std::string(), AddressKind::None);
                return true;
            }
        }
    }
    return false;
}

const char* ImportName(P::Field field) {
    for (const PersonFieldName& entry : kPersonImportFields) {
        if (entry.field == field) {
            return entry.name;
        }
    }
    return "";
}

}  // namespace

ColumnMeaning MeaningOfColumn(std::string_view name) {
    const QString text = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
    ColumnMeaning meaning;
    if (GoogleMeaning(text, meaning)) {
        return meaning;
    }
    const QString key = Key(text);
    if (AddressMeaning(key, meaning)) {
        return meaning;
    }
    for (const Alias& alias : kAliases) {
        if (key == QString::fromUtf8(alias.name)) {
            meaning.role = Role::Field;
            meaning.field = alias.field;
            return meaning;
        }
    }
    return meaning;
}

PersonRecord::Field FieldForColumnName(std::string_view name) {
    const ColumnMeaning meaning = MeaningOfColumn(name);
    return meaning.role == Role::Field || meaning.role == Role::MaybeBlock ? meaning.field
                                                                           : P::FieldCount;
}

std::vector<ColumnMeaning> MeaningsOfColumns(const std::vector<std::string>& labels) {
    std::vector<ColumnMeaning> meanings;
    meanings.reserve(labels.size());
    for (const std::string& label : labels) {
        meanings.push_back(MeaningOfColumn(label));
    }
    // The first street line of an address, which a whole-address column would repeat.
    std::set<std::string> withStreet;
    for (const ColumnMeaning& m : meanings) {
        if (m.role == Role::Field && m.field == P::Addr && m.rank == 0) {
            withStreet.insert(m.group);
        }
    }
    for (ColumnMeaning& m : meanings) {
        if (m.role == Role::MaybeBlock) {
            m.role = withStreet.count(m.group) > 0 ? Role::Block : Role::Field;
        }
    }
    return meanings;
}

std::vector<std::string> AssignColumns(const std::vector<std::string>& labels) {
    const std::vector<ColumnMeaning> meanings = MeaningsOfColumns(labels);
    // The addresses given in parts: their whole-address columns would repeat them.
    std::set<std::string> withParts;
    for (const ColumnMeaning& m : meanings) {
        if (m.role == Role::Field &&
            (m.field == P::Addr || m.field == P::City || m.field == P::Zip)) {
            withParts.insert(m.group);
        }
    }
    std::vector<std::string> assigned(labels.size());
    bool taken[P::FieldCount] = {};
    for (size_t i = 0; i < labels.size(); ++i) {
        const ColumnMeaning& m = meanings[i];
        switch (m.role) {
            case Role::Typed:
                assigned[i] = kPhoneByType;
                break;
            case Role::Block:
                // A whole address only where there are no parts of it, nor of any other address
                // given in parts, which would be kept instead.
                if (withParts.count(m.group) == 0 && (!m.group.empty() || withParts.empty())) {
                    assigned[i] = ImportName(P::Addr);
                }
                break;
            case Role::Field: {
                const bool several = m.field == P::Addr || m.field == P::Email ||
                                     m.field == P::WebPage || m.address != AddressKind::None;
                if (several || !taken[m.field]) {
                    taken[m.field] = true;
                    assigned[i] = ImportName(m.field);
                }
                break;
            }
            case Role::None:
            case Role::TypeOf:
            case Role::MaybeBlock:
                break;
        }
    }
    return assigned;
}

}  // namespace transfer
