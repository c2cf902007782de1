#include "ListModels.h"

#include "StoredText.h"

namespace {

// A list row shows one line; the notes column shows the first line of a description.
QString FirstLine(const std::string& s) {
    const size_t end = s.find_first_of("\r\n");
    return FromStoredText(end == std::string::npos ? s : s.substr(0, end));
}

}  // namespace

PersonListModel::PersonListModel(QObject* parent)
    : RowListModel({QStringLiteral("Name"), QStringLiteral("Company")}, parent) {}

QVariant PersonListModel::Cell(const PersonRow& row, int column, int role) const {
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole) {
        return QVariant();
    }
    return column == 0 ? FromStoredText(row.name) : FromStoredText(row.company);
}

ContactListModel::ContactListModel(QObject* parent)
    : RowListModel({QStringLiteral("Date"), QStringLiteral("Time"), QStringLiteral("Contact Type"),
                    QStringLiteral("Notes")},
                   parent) {}

QVariant ContactListModel::Cell(const ContactRow& row, int column, int role) const {
    if (role == Qt::ToolTipRole && column == 3) {
        return FromStoredText(FromStoredLines(row.notes));
    }
    if (role != Qt::DisplayRole) {
        return QVariant();
    }
    switch (column) {
        case 0:
            return FromStoredText(row.date);
        case 1:
            return FromStoredText(row.time);
        case 2:
            return FromStoredText(row.type);
        default:
            return FirstLine(row.notes);
    }
}
