#include "ColumnPlan.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstring>

#include "LineTokenizer.h"
#include "TransferSettings.h"

namespace transfer {

namespace {

using P = PersonRecord;
using Role = ColumnMeaning::Role;

// The texts of the column descriptions.
struct Texts {
    Q_DECLARE_TR_FUNCTIONS(transfer::ColumnPlan)
};

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

bool IsAddressPart(P::Field field) {
    return field == P::Addr || field == P::City || field == P::State || field == P::Zip;
}

bool IsPhone(P::Field field) {
    return field == P::HmPhone || field == P::WkPhone || field == P::WkExt ||
           field == P::CelPhone || field == P::Pager || field == P::WkFax;
}

void CountLeftOut(P::Field field, int count, LeftOut& leftOut) {
    if (count <= 0) {
        return;
    }
    if (IsPhone(field)) {
        leftOut.phones += count;
    } else if (field == P::Email) {
        leftOut.emails += count;
    } else if (field == P::WebPage) {
        leftOut.webPages += count;
    } else {
        leftOut.values += count;
    }
}

// The kind word in lower case, without Google's "* " that marks the preferred value.
QString KindWord(std::string_view kind) {
    QString word = QString::fromUtf8(kind.data(), static_cast<qsizetype>(kind.size())).trimmed();
    while (word.startsWith(QLatin1Char('*'))) {
        word = word.mid(1).trimmed();
    }
    return word.toLower();
}

bool HasAny(const QString& word, std::initializer_list<const char*> parts) {
    for (const char* part : parts) {
        if (word.contains(QString::fromUtf8(part))) {
            return true;
        }
    }
    return false;
}

AddressKind AddressKindOfWord(std::string_view kind) {
    const QString word = KindWord(kind);
    if (HasAny(word, {"work", "business", "office", "arbeit", "geschäft", "büro", "firma"})) {
        return AddressKind::Business;
    }
    if (HasAny(word, {"home", "privat", "private", "personal", "zuhause", "daheim"})) {
        return AddressKind::Home;
    }
    return AddressKind::Other;
}

QString FieldName(P::Field field) {
    for (const PersonFieldName& entry : kPersonImportFields) {
        if (entry.field == field) {
            return QString::fromUtf8(entry.name);
        }
    }
    return QString();
}

}  // namespace

int KeepFirstValue(std::string& value) {
    // Most values hold no colon at all.
    if (std::memchr(value.data(), ':', value.size()) == nullptr) {
        return 0;
    }
    const size_t joint = value.find(":::");
    if (joint == std::string::npos) {
        return 0;
    }
    int further = 0;
    for (const std::string& part : ValueParts(value.substr(joint + 3))) {
        further += !part.empty();
    }
    value.resize(joint);
    TrimInPlace(value);
    return further;
}

std::vector<std::string> ValueParts(const std::string& value) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (true) {
        const size_t joint = value.find(":::", start);
        std::string part(Trimmed(std::string_view(value).substr(
            start, joint == std::string::npos ? std::string::npos : joint - start)));
        if (!part.empty()) {
            parts.push_back(std::move(part));
        }
        if (joint == std::string::npos) {
            return parts;
        }
        start = joint + 3;
    }
}

PersonRecord::Field PhoneFieldOfKind(std::string_view kind) {
    const QString word = KindWord(kind);
    if (word.contains(QLatin1String("fax"))) {
        return P::WkFax;
    }
    if (HasAny(word, {"pager", "beeper", "piepser"})) {
        return P::Pager;
    }
    if (HasAny(word, {"mobile", "cell", "handy", "mobil"})) {
        return P::CelPhone;
    }
    if (HasAny(word, {"work", "business", "office", "arbeit", "geschäft", "büro"})) {
        return P::WkPhone;
    }
    if (HasAny(word, {"home", "privat", "private", "zuhause"})) {
        return P::HmPhone;
    }
    return P::FieldCount;
}

ColumnPlan::ColumnPlan(const std::vector<std::string>& labels,
                       const std::vector<std::string>& assigned, bool namesInFirstLine) {
    const size_t count = assigned.size();
    std::vector<std::string> named(count);
    for (size_t i = 0; i < count && i < labels.size(); ++i) {
        named[i] = labels[i];
    }
    // Without names in the first line its fields are data, and say nothing of the columns.
    const std::vector<ColumnMeaning> meanings =
        namesInFirstLine ? MeaningsOfColumns(named) : std::vector<ColumnMeaning>(count);
    columns_.resize(count);
    for (size_t i = 0; i < count; ++i) {
        Column& column = columns_[i];
        column.label = named[i];
        column.meaning = meanings[i];
        if (assigned[i] == kPhoneByType) {
            column.typed = true;
        } else if (!assigned[i].empty()) {
            column.field = ImportField(assigned[i]);
        }
    }
    const auto typeColumnOf = [this](const std::string& group) {
        if (group.empty()) {
            return -1;
        }
        for (size_t j = 0; j < columns_.size(); ++j) {
            if (columns_[j].meaning.role == Role::TypeOf && columns_[j].meaning.group == group) {
                return static_cast<int>(j);
            }
        }
        return -1;
    };
    for (size_t i = 0; i < count; ++i) {
        Column& column = columns_[i];
        const ColumnMeaning& m = column.meaning;
        if (column.typed) {
            column.typeColumn = typeColumnOf(m.group);
            typed_.push_back(static_cast<int>(i));
        } else if (column.field != P::FieldCount) {
            const bool ofAnAddress = m.address != AddressKind::None && !m.group.empty() &&
                                     (IsAddressPart(column.field) || column.field == P::WkFax);
            if (ofAnAddress) {
                auto found = std::find_if(addresses_.begin(), addresses_.end(),
                                          [&m](const Address& a) { return a.group == m.group; });
                if (found == addresses_.end()) {
                    addresses_.push_back(
                        {m.group, m.address,
                         m.address == AddressKind::ByType ? typeColumnOf(m.group) : -1});
                    found = addresses_.end() - 1;
                }
                column.address = static_cast<int>(found - addresses_.begin());
                column.typeColumn = found->typeColumn;
            } else {
                column.typeColumn = typeColumnOf(m.group);
            }
            slots_[column.field].push_back(
                {static_cast<int>(i), column.field == P::Addr ? m.rank : 0});
        }
        if (column.typeColumn >= 0) {
            columns_[column.typeColumn].usedAsType = true;
        }
    }
    // The lines of an address in their order: the street lines, then the extended address and
    // the post office box.
    std::stable_sort(slots_[P::Addr].begin(), slots_[P::Addr].end(),
                     [](const Slot& a, const Slot& b) { return a.rank < b.rank; });
    oneColumnEach_ = addresses_.empty() && typed_.empty();
    for (int f = 0; f < P::FieldCount; ++f) {
        oneColumnEach_ = oneColumnEach_ && slots_[f].size() <= 1;
        single_[f] = slots_[f].empty() ? -1 : slots_[f][0].column;
    }
    // A whole address left out because its parts are imported is not missed.
    for (Column& column : columns_) {
        if (column.meaning.role != Role::Block || column.field != P::FieldCount) {
            continue;
        }
        for (const Column& other : columns_) {
            if (other.field != P::FieldCount && IsAddressPart(other.field) &&
                (column.meaning.group.empty() || other.meaning.group == column.meaning.group)) {
                column.coveredBlock = true;
            }
        }
    }
}

bool ColumnPlan::Uses(int column) const {
    const Column& c = columns_.at(static_cast<size_t>(column));
    return c.typed || c.field != P::FieldCount || c.usedAsType || c.coveredBlock;
}

int ColumnPlan::TypeColumn(int column) const {
    return columns_.at(static_cast<size_t>(column)).typeColumn;
}

std::string ColumnPlan::ShownName(int column) const {
    const std::string& label = columns_.at(static_cast<size_t>(column)).label;
    return !Trimmed(label).empty() ? label : Texts::tr("Column %1").arg(column + 1).toStdString();
}

AddressKind ColumnPlan::KindInRecord(const Address& address,
                                     const std::vector<std::string>& values) const {
    if (address.kind != AddressKind::ByType) {
        return address.kind;
    }
    return address.typeColumn >= 0 ? AddressKindOfWord(values[address.typeColumn])
                                   : AddressKind::Other;
}

int ColumnPlan::ChosenAddress(const std::vector<std::string>& values, bool hasCompany,
                              LeftOut& leftOut) const {
    // The business address for a person with a company, else the home address, else another.
    const auto preference = [hasCompany](AddressKind kind) {
        switch (kind) {
            case AddressKind::Business:
                return hasCompany ? 0 : 2;
            case AddressKind::Home:
                return hasCompany ? 1 : 0;
            default:
                return hasCompany ? 2 : 1;
        }
    };
    int chosen = -1;
    int chosenPreference = 3;
    int withData = 0;
    for (size_t a = 0; a < addresses_.size(); ++a) {
        bool hasData = false;
        for (size_t c = 0; c < columns_.size() && !hasData; ++c) {
            hasData = columns_[c].address == static_cast<int>(a) &&
                      IsAddressPart(columns_[c].field) && !Trimmed(values[c]).empty();
        }
        if (!hasData) {
            continue;
        }
        ++withData;
        const int rank = preference(KindInRecord(addresses_[a], values));
        if (rank < chosenPreference) {
            chosen = static_cast<int>(a);
            chosenPreference = rank;
        }
    }
    leftOut.addresses += std::max(0, withData - 1);
    return chosen;
}

void ColumnPlan::Apply(std::vector<std::string>& values, PersonRecord& person, LeftOut& leftOut,
                       bool joined) const {
    // The common file: each field from one column at most, nothing to weigh.
    if (oneColumnEach_) {
        for (int f = 0; f < PersonRecord::FieldCount; ++f) {
            std::string& out = person.fields[f];
            if (single_[f] < 0) {
                out.clear();
                continue;
            }
            std::string& value = values[single_[f]];
            if (joined) {
                CountLeftOut(static_cast<P::Field>(f), KeepFirstValue(value), leftOut);
            }
            out.swap(value);
        }
        return;
    }
    int chosen = -1;
    const auto fill = [&](P::Field field) {
        const std::vector<Slot>& places = slots_[field];
        std::string& out = person[field];
        out.clear();
        if (places.empty()) {
            return;
        }
        if (field == P::Addr) {
            for (const Slot& slot : places) {
                const int address = columns_[slot.column].address;
                if (address >= 0 && address != chosen) {
                    continue;
                }
                std::string& value = values[slot.column];
                CountLeftOut(field, KeepFirstValue(value), leftOut);
                if (value.empty()) {
                    continue;
                }
                if (out.empty()) {
                    out.swap(value);
                } else {
                    out += "\r\n";
                    out += value;
                }
            }
            return;
        }
        bool placed = false;
        const auto consider = [&](int column) {
            std::string& value = values[column];
            CountLeftOut(field, KeepFirstValue(value), leftOut);
            if (value.empty()) {
                return;
            }
            if (placed) {
                CountLeftOut(field, 1, leftOut);
            } else {
                out.swap(value);
                placed = true;
            }
        };
        // A fax of the address kept goes first; the others of a person's addresses are left
        // out with them.
        for (const Slot& slot : places) {
            const int address = columns_[slot.column].address;
            if (address < 0 || address == chosen) {
                consider(slot.column);
            }
        }
        if (field == P::WkFax) {
            for (const Slot& slot : places) {
                const int address = columns_[slot.column].address;
                if (address >= 0 && address != chosen) {
                    consider(slot.column);
                }
            }
        }
    };
    fill(P::Company);
    if (!addresses_.empty()) {
        chosen = ChosenAddress(values, !person[P::Company].empty(), leftOut);
    }
    for (int f = 0; f < P::FieldCount; ++f) {
        if (f != P::Company) {
            fill(static_cast<P::Field>(f));
        }
    }
    if (!typed_.empty()) {
        PlaceTypedPhones(values, person, leftOut);
    }
}

void ColumnPlan::PlaceTypedPhones(std::vector<std::string>& values, PersonRecord& person,
                                  LeftOut& leftOut) const {
    // The numbers of a kind into its field, the first of each kind; then those of no kind of
    // their own into a free home, work or mobile phone field.
    std::vector<std::string> untyped;
    for (const int column : typed_) {
        const std::vector<std::string> numbers = ValueParts(values[column]);
        if (numbers.empty()) {
            continue;
        }
        const int typeColumn = columns_[column].typeColumn;
        const std::vector<std::string> kinds =
            typeColumn >= 0 ? ValueParts(values[typeColumn]) : std::vector<std::string>();
        for (size_t i = 0; i < numbers.size(); ++i) {
            const std::string& kind =
                kinds.empty() ? std::string() : kinds[std::min(i, kinds.size() - 1)];
            const P::Field field = PhoneFieldOfKind(kind);
            if (field == P::FieldCount) {
                untyped.push_back(numbers[i]);
            } else if (person[field].empty()) {
                person[field] = numbers[i];
            } else {
                ++leftOut.phones;
            }
        }
    }
    for (std::string& number : untyped) {
        bool placed = false;
        for (const P::Field field : {P::HmPhone, P::WkPhone, P::CelPhone}) {
            if (person[field].empty()) {
                person[field].swap(number);
                placed = true;
                break;
            }
        }
        leftOut.phones += !placed;
    }
}

QString ColumnPlan::Columns(const std::vector<Slot>& places, int address,
                            const QString& joint) const {
    QStringList names;
    for (const Slot& slot : places) {
        if (columns_[slot.column].address == address) {
            names << FromUtf8(ShownName(slot.column));
        }
    }
    return names.join(joint);
}

QString ColumnPlan::Describe(int column) const {
    const Column& c = columns_.at(static_cast<size_t>(column));
    if (c.typed) {
        if (c.typeColumn >= 0) {
            return Texts::tr(
                       "Each number goes into the phone field its kind names in \"%1\": "
                       "Mobile, Work, Home, Fax or Pager. A number of another kind goes "
                       "into a free home, work or mobile phone field.")
                .arg(FromUtf8(ShownName(c.typeColumn)));
        }
        return Texts::tr(
            "Each number goes into the phone field its kind names: Mobile, Work, "
            "Home, Fax or Pager. A number of another kind goes into a free home, "
            "work or mobile phone field.");
    }
    if (c.usedAsType) {
        QStringList typed;
        for (size_t j = 0; j < columns_.size(); ++j) {
            if (columns_[j].typeColumn == column) {
                typed << FromUtf8(ShownName(static_cast<int>(j)));
            }
        }
        return Texts::tr("Not imported: says which kind the values in %1 are.")
            .arg(QLatin1Char('"') + typed.join(QStringLiteral("\", \"")) + QLatin1Char('"'));
    }
    if (c.coveredBlock) {
        return Texts::tr("Not imported: the same address is imported from its parts.");
    }
    if (c.field == P::FieldCount) {
        return QString();
    }
    const std::vector<Slot>& places = slots_[c.field];
    const QString field = FieldName(c.field);
    // The columns of a field are listed with a joint between each two: the address lines are
    // joined, of the other fields the first with a value is taken.
    const QString joint = c.field == P::Addr ? QStringLiteral(" + ") : Texts::tr(", else ");
    if (c.address >= 0) {
        const QString columns = Columns(places, c.address, joint);
        if (addresses_.size() > 1) {
            return Texts::tr(
                       "%1: %2. A person keeps one address: the business address with a "
                       "company, else the home address, else another.")
                .arg(field, columns);
        }
        return Texts::tr("%1: %2").arg(field, columns);
    }
    if (places.size() < 2) {
        return QString();
    }
    if (c.field == P::Addr) {
        return Texts::tr("%1: %2").arg(field, Columns(places, -1, joint));
    }
    return Texts::tr("%1: the first with a value of %2")
        .arg(field, Columns(places, -1, QStringLiteral(", ")));
}

}  // namespace transfer
