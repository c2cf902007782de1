#pragma once

#include <QTreeView>

// A list of rows without children, all of one height: the person and contact lists. It finds a
// row's place from its number, where QTreeView searches its items from the one it looked at
// last, a search that grows with the list (a million persons make every selection slow).
class FlatListView : public QTreeView {
public:
    explicit FlatListView(QWidget* parent = nullptr);

    QRect visualRect(const QModelIndex& index) const override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

protected:
    QRegion visualRegionForSelection(const QItemSelection& selection) const override;

private:
    // The height every row has; 0 while the list is empty.
    int RowHeight() const;
};
