#include "FlatListView.h"

#include <QHeaderView>
#include <QScrollBar>

#include <algorithm>

FlatListView::FlatListView(QWidget* parent) : QTreeView(parent) {
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
}

int FlatListView::RowHeight() const {
    if (!model() || model()->rowCount(rootIndex()) == 0) {
        return 0;
    }
    return indexRowSizeHint(model()->index(0, 0, rootIndex()));
}

QRect FlatListView::visualRect(const QModelIndex& index) const {
    if (!index.isValid() || index.parent() != rootIndex() || isIndexHidden(index)) {
        return QRect();
    }
    const int height = RowHeight();
    const int x = header()->sectionViewportPosition(index.column());
    const int width = header()->sectionSize(index.column());
    return QRect(x, index.row() * height - verticalOffset(), width, height);
}

QRegion FlatListView::visualRegionForSelection(const QItemSelection& selection) const {
    const int height = RowHeight();
    QRegion region;
    for (const QItemSelectionRange& range : selection) {
        if (!range.isValid() || range.parent() != rootIndex()) {
            continue;
        }
        const int top = range.top() * height - verticalOffset();
        const int bottom = (range.bottom() + 1) * height - verticalOffset();
        if (bottom < 0 || top > viewport()->height()) {
            continue;
        }
        // Whole rows: the lists select rows, and each row shows its focus across all columns.
        region += QRect(0, top, viewport()->width(), bottom - top);
    }
    return region;
}

void FlatListView::scrollTo(const QModelIndex& index, ScrollHint hint) {
    const int height = RowHeight();
    if (!index.isValid() || index.parent() != rootIndex() || height <= 0) {
        QTreeView::scrollTo(index, hint);
        return;
    }
    // In pixels: where the row is and what the viewport shows of the list.
    const int rowTop = index.row() * height;
    const int rowBottom = rowTop + height;
    const int shown = viewport()->height();
    QScrollBar* bar = verticalScrollBar();
    const bool perItem = verticalScrollMode() == ScrollPerItem;
    const int current = perItem ? bar->value() * height : bar->value();
    // The row's last line on the viewport's: the row shown whole.
    const int bottomAligned = rowBottom - shown;
    int top = current;
    switch (hint) {
        case EnsureVisible:
            if (rowTop < current) {
                top = rowTop;
            } else if (rowBottom > current + shown) {
                top = bottomAligned;
            }
            break;
        case PositionAtTop:
            top = rowTop;
            break;
        case PositionAtBottom:
            top = bottomAligned;
            break;
        case PositionAtCenter:
            top = rowTop - (shown - height) / 2;
            break;
    }
    top = std::max(0, top);
    // The scroll bar counts whole rows or pixels, as the list scrolls; by rows, the row shown
    // at the bottom is shown whole.
    bar->setValue(perItem ? (top + height - 1) / height : top);
    // The column, as the list's own scrolling would bring it.
    const QRect cell = visualRect(index);
    QScrollBar* across = horizontalScrollBar();
    if (cell.left() < 0) {
        across->setValue(across->value() + cell.left());
    } else if (cell.right() > viewport()->width()) {
        across->setValue(across->value() +
                         std::min(cell.left(), cell.right() - viewport()->width()));
    }
}
