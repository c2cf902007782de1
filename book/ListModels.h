#pragma once

#include <set>
#include <string>
#include <vector>

#include <QAbstractTableModel>
#include <QIcon>
#include <QStringList>

#include "AddressBook.h"

// The rows of one of the main view's lists, each carrying its record's identifier. The rows are
// replaced whole at every reload, so a reload paints once; the texts of a row are made only when
// the view shows it.
template <typename List>
class RowListModel : public QAbstractTableModel {
public:
    RowListModel(QStringList headers, QObject* parent)
        : QAbstractTableModel(parent), headers_(std::move(headers)) {}

    void SetRows(List rows) {
        beginResetModel();
        rows_ = std::move(rows);
        endResetModel();
    }
    void Clear() { SetRows(List()); }
    // Takes one row out, as a delete does, without reading the list again.
    void RemoveRow(int row) {
        beginRemoveRows(QModelIndex(), row, row);
        rows_.Erase(static_cast<size_t>(row));
        endRemoveRows();
    }
    const List& Rows() const { return rows_; }
    // The row whose identifier is id; -1 when none.
    int Find(const RecordId& id) const { return rows_.Find(id); }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : static_cast<int>(rows_.size());
    }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : static_cast<int>(headers_.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        return Cell(static_cast<size_t>(index.row()), index.column(), role);
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
    virtual QVariant Cell(size_t row, int column, int role) const = 0;
    List& EditRows() { return rows_; }

private:
    QStringList headers_;
    List rows_;
};

// "Name", "Company" and "Last Contact" (the view hides it unless asked for).
class PersonListModel : public RowListModel<PersonRowList> {
public:
    enum { NameColumn, CompanyColumn, LastContactColumn };
    explicit PersonListModel(QObject* parent = nullptr);

    // One row's newest contact changed: its cell is drawn again.
    void SetLastContact(int row, DateTime when);

    // Persons that need the user's eye (held by the sync): an icon before the name, and the
    // tip over it. Kept across reloads until set anew.
    void SetMarked(std::set<RecordId, std::less<>> persons, QIcon icon, QString tip);
    bool Marked(const RecordId& person) const { return marked_.count(person) > 0; }

protected:
    QVariant Cell(size_t row, int column, int role) const override;

private:
    std::set<RecordId, std::less<>> marked_;
    QIcon markIcon_;
    QString markTip_;
};

// "Date", "Time", "Contact Type" and "Notes".
class ContactListModel : public RowListModel<ContactRowList> {
public:
    explicit ContactListModel(QObject* parent = nullptr);

protected:
    QVariant Cell(size_t row, int column, int role) const override;
};
