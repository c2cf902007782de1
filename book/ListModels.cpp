#include "ListModels.h"

#include "LocalText.h"

namespace {

QString Text(const std::string& s) {
    return platform::FromLocal8Bit(s);
}

// A list row shows one line; the notes column shows the first line of a description.
QString FirstLine(const std::string& s) {
    const size_t end = s.find_first_of("\r\n");
    return Text(end == std::string::npos ? s : s.substr(0, end));
}

}  // namespace

PersonListModel::PersonListModel(QObject* parent)
    : RowListModel({QStringLiteral("Name"), QStringLiteral("Company")}, parent) {}

QVariant PersonListModel::Cell(const PersonRow& row, int column, int role) const {
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole) {
        return QVariant();
    }
    return column == 0 ? Text(row.name) : Text(row.company);
}

ContactListModel::ContactListModel(QObject* parent)
    : RowListModel({QStringLiteral("Date"), QStringLiteral("Time"), QStringLiteral("Contact Type"),
                    QStringLiteral("Notes")},
                   parent) {}

QVariant ContactListModel::Cell(const ContactRow& row, int column, int role) const {
    if (role == Qt::ToolTipRole && column == 3) {
        return Text(FromStoredLines(row.notes));
    }
    if (role != Qt::DisplayRole) {
        return QVariant();
    }
    switch (column) {
        case 0:
            return Text(row.date);
        case 1:
            return Text(row.time);
        case 2:
            return Text(row.type);
        default:
            return FirstLine(row.notes);
    }
}
