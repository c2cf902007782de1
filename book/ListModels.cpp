#include "ListModels.h"

namespace {

QString Text(const std::string& s) {
    return QString::fromLocal8Bit(s.data(), static_cast<qsizetype>(s.size()));
}

// A list row shows one line; the notes column shows the first line of a description.
QString FirstLine(const std::string& s) {
    const size_t end = s.find_first_of("\r\n");
    return Text(end == std::string::npos ? s : s.substr(0, end));
}

}  // namespace

void PersonListModel::SetRows(std::vector<PersonRow> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

int PersonListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int PersonListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant PersonListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole) {
        return QVariant();
    }
    const PersonRow& row = rows_[index.row()];
    return index.column() == 0 ? Text(row.name) : Text(row.company);
}

QVariant PersonListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal) {
        return QVariant();
    }
    if (role == Qt::TextAlignmentRole) {
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    }
    if (role != Qt::DisplayRole) {
        return QVariant();
    }
    return section == 0 ? QStringLiteral("Name") : QStringLiteral("Company");
}

void ContactListModel::SetRows(std::vector<ContactRow> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

int ContactListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ContactListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 4;
}

QVariant ContactListModel::data(const QModelIndex& index, int role) const {
    const ContactRow& row = rows_[index.row()];
    if (role == Qt::ToolTipRole && index.column() == 3) {
        return Text(FromStoredLines(row.notes));
    }
    if (role != Qt::DisplayRole) {
        return QVariant();
    }
    switch (index.column()) {
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

QVariant ContactListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal) {
        return QVariant();
    }
    if (role == Qt::TextAlignmentRole) {
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    }
    if (role != Qt::DisplayRole) {
        return QVariant();
    }
    static const char* const headers[] = {"Date", "Time", "Contact Type", "Notes"};
    return section >= 0 && section < 4 ? QString::fromLatin1(headers[section]) : QVariant();
}
