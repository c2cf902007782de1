#include "ColumnNames.h"

#include <QString>

#include "TransferSettings.h"

namespace transfer {

namespace {

using P = PersonRecord;

struct Alias {
    const char* name;  // as Key() gives it
    P::Field field;
};

// Keys in the form Key() gives them. Ambiguous names ("Name", "Home", "Phone 1 - Value") are
// left for the user to assign.
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
    {"first", P::FName},
    {"givenname", P::FName},
    {"vorname", P::FName},
    {"last", P::LName},
    {"surname", P::LName},
    {"familyname", P::LName},
    {"nachname", P::LName},
    // Work.
    {"organization", P::Company},
    {"organisation", P::Company},
    {"organizationname", P::Company},
    {"organization1name", P::Company},
    {"companyname", P::Company},
    {"firma", P::Company},
    {"jobtitle", P::Position},
    {"organizationtitle", P::Position},
    {"organization1title", P::Position},
    // Postal address: the street lines, city, state and postal code, work before home where a
    // file lists both in that order.
    {"street", P::Addr},
    {"businessstreet", P::Addr},
    {"homestreet", P::Addr},
    {"workaddress", P::Addr},
    {"homeaddress", P::Addr},
    {"address1street", P::Addr},
    {"straße(geschäftlich)", P::Addr},
    {"straße(privat)", P::Addr},
    {"businesscity", P::City},
    {"homecity", P::City},
    {"workcity", P::City},
    {"address1city", P::City},
    {"ort(geschäftlich)", P::City},
    {"ort(privat)", P::City},
    {"region", P::State},
    {"province", P::State},
    {"businessstate", P::State},
    {"homestate", P::State},
    {"workstate", P::State},
    {"address1region", P::State},
    {"bundesland(geschäftlich)", P::State},
    {"bundesland(privat)", P::State},
    {"zip", P::Zip},
    {"postalcode", P::Zip},
    {"postcode", P::Zip},
    {"businesspostalcode", P::Zip},
    {"homepostalcode", P::Zip},
    {"workzip", P::Zip},
    {"homezip", P::Zip},
    {"workzipcode", P::Zip},
    {"homezipcode", P::Zip},
    {"address1postalcode", P::Zip},
    {"postleitzahl(geschäftlich)", P::Zip},
    {"postleitzahl(privat)", P::Zip},
    // Telephones.
    {"homephone1", P::HmPhone},
    {"telefon(privat)", P::HmPhone},
    {"businessphone", P::WkPhone},
    {"officephone", P::WkPhone},
    {"telefon(geschäftlich)", P::WkPhone},
    {"extension", P::WkExt},
    {"mobile", P::CelPhone},
    {"mobilephone", P::CelPhone},
    {"mobilenumber", P::CelPhone},
    {"cellphone", P::CelPhone},
    {"cell", P::CelPhone},
    {"mobiltelefon", P::CelPhone},
    {"handy", P::CelPhone},
    {"pagernumber", P::Pager},
    {"faxnumber", P::WkFax},
    {"businessfax", P::WkFax},
    {"workfax", P::WkFax},
    {"homefax", P::WkFax},
    {"fax(geschäftlich)", P::WkFax},
    {"fax(privat)", P::WkFax},
    // On-line.
    {"emailaddress", P::Email},
    {"email1address", P::Email},
    {"primaryemail", P::Email},
    {"email1value", P::Email},
    {"emailadresse", P::Email},
    {"website", P::WebPage},
    {"webpage1", P::WebPage},
    {"website1value", P::WebPage},
    {"personalwebpage", P::WebPage},
    {"personalwebsite", P::WebPage},
    {"businesswebsite", P::WebPage},
    {"url", P::WebPage},
    {"webseite(privat)", P::WebPage},
    {"webseite(geschäftlich)", P::WebPage},
};

// The name without case, blanks, hyphens and underscores.
QString Key(std::string_view name) {
    QString key;
    for (const QChar c : QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()))) {
        if (!c.isSpace() && c != QLatin1Char('-') && c != QLatin1Char('_')) {
            key += c.toLower();
        }
    }
    return key;
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

PersonRecord::Field FieldForColumnName(std::string_view name) {
    const QString key = Key(name);
    for (const Alias& alias : kAliases) {
        if (key == QString::fromUtf8(alias.name)) {
            return alias.field;
        }
    }
    return P::FieldCount;
}

std::vector<std::string> AssignColumns(const std::vector<std::string>& labels) {
    std::vector<std::string> assigned(labels.size());
    bool taken[P::FieldCount] = {};
    for (size_t i = 0; i < labels.size(); ++i) {
        const P::Field field = FieldForColumnName(labels[i]);
        if (field != P::FieldCount && !taken[field]) {
            taken[field] = true;
            assigned[i] = ImportName(field);
        }
    }
    return assigned;
}

}  // namespace transfer
