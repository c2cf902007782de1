#pragma once

#include <vector>

#include <QAbstractTableModel>

#include "AddressBook.h"

// The rows of the person list: display name and company, each row carrying its identifier.
class PersonListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    void SetRows(std::vector<PersonRow> rows);
    void Clear() { SetRows({}); }
    const std::vector<PersonRow>& Rows() const { return rows_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<PersonRow> rows_;
};

// The rows of the contact list: date, time, type and notes, each row carrying its identifier.
class ContactListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    void SetRows(std::vector<ContactRow> rows);
    void Clear() { SetRows({}); }
    const std::vector<ContactRow>& Rows() const { return rows_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<ContactRow> rows_;
};
