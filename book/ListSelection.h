#pragma once

#include <algorithm>

#include <QItemSelectionModel>
#include <QSignalBlocker>
#include <QTreeView>

#include "RecordId.h"

// The selection of one of the main view's lists: its row and the identifier of the record on
// it, found again by identifier after every reload.
struct ListSelection {
    int row = -1;
    RecordId id;

    void Clear() {
        row = -1;
        id.clear();
    }
};

namespace list_selection {

// Selects the row of the list (none for -1) without telling the view's handlers.
inline void Show(QTreeView* list, int row) {
    QItemSelectionModel* selection = list->selectionModel();
    const QSignalBlocker block(selection);
    if (row < 0) {
        selection->clear();
        return;
    }
    const QModelIndex index = list->model()->index(row, 0);
    selection->setCurrentIndex(index,
                               QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    list->scrollTo(index);
    list->viewport()->update();
}

// Fills the list and finds the selection again: the remembered identifier's row if it is still
// there, else the row at the old position, else none.
template <typename Model, typename Rows>
void Refill(QTreeView* list, Model& model, Rows rows, const RecordId& remembered,
            ListSelection& selected) {
    {
        const QSignalBlocker block(list->selectionModel());
        model.SetRows(std::move(rows));
    }
    const int match = model.Find(remembered);
    if (match >= 0) {
        selected.row = match;
    }
    const int count = static_cast<int>(model.Rows().size());
    if (selected.row >= 0 && selected.row < count) {
        Show(list, selected.row);
        selected.id = model.Rows().Id(static_cast<size_t>(selected.row));
    } else {
        Show(list, -1);
        selected.Clear();
    }
}

// The selected row leaves the list, as a delete takes it: the row before it (the first when it
// was first) becomes the selection; none when the list is left empty.
template <typename Model>
void Drop(QTreeView* list, Model& model, ListSelection& selected) {
    if (selected.row >= 0 && selected.row < static_cast<int>(model.Rows().size())) {
        {
            const QSignalBlocker block(list->selectionModel());
            model.RemoveRow(selected.row);
        }
        if (model.Rows().empty()) {
            selected.Clear();
        } else {
            selected.row = std::max(0, selected.row - 1);
            selected.id = model.Rows().Id(static_cast<size_t>(selected.row));
        }
    }
    Show(list, selected.row);
}

// The row the user selected and its record; none when the selection went.
template <typename Model>
ListSelection Read(const QTreeView* list, const Model& model) {
    ListSelection selected;
    const QModelIndexList rows = list->selectionModel()->selectedRows();
    selected.row = rows.isEmpty() ? -1 : rows.first().row();
    if (selected.row >= 0) {
        selected.id = model.Rows().Id(static_cast<size_t>(selected.row));
    }
    return selected;
}

}  // namespace list_selection
