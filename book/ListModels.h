#pragma once

#include <vector>

#include <QAbstractTableModel>
#include <QStringList>

#include "AddressBook.h"

// The rows of one of the main view's lists, each carrying its record's identifier. The rows are
// replaced whole at every reload, so a reload paints once.
template <typename Row>
class RowListModel : public QAbstractTableModel {
public:
    RowListModel(QStringList headers, QObject* parent)
        : QAbstractTableModel(parent), headers_(std::move(headers)) {}

    void SetRows(std::vector<Row> rows) {
        beginResetModel();
        rows_ = std::move(rows);
        endResetModel();
    }
    void Clear() { SetRows({}); }
    const std::vector<Row>& Rows() const { return rows_; }
    // The row whose identifier is id; -1 when none.
    int Find(const RecordId& id) const {
        for (size_t i = 0; i < rows_.size(); ++i) {
            if (rows_[i].id == id) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : static_cast<int>(rows_.size());
    }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : static_cast<int>(headers_.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        return Cell(rows_[index.row()], index.column(), role);
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || section < 0 || section >= headers_.size()) {
            return QVariant();
        }
        if (role == Qt::TextAlignmentRole) {
            return int(Qt::AlignLeft | Qt::AlignVCenter);
        }
        return role == Qt::DisplayRole ? QVariant(headers_[section]) : QVariant();
    }

protected:
    virtual QVariant Cell(const Row& row, int column, int role) const = 0;

private:
    QStringList headers_;
    std::vector<Row> rows_;
};

// "Name" and "Company".
class PersonListModel : public RowListModel<PersonRow> {
public:
    explicit PersonListModel(QObject* parent = nullptr);

protected:
    QVariant Cell(const PersonRow& row, int column, int role) const override;
};

// "Date", "Time", "Contact Type" and "Notes".
class ContactListModel : public RowListModel<ContactRow> {
public:
    explicit ContactListModel(QObject* parent = nullptr);

protected:
    QVariant Cell(const ContactRow& row, int column, int role) const override;
};
