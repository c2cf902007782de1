#include <gtest/gtest.h>

#include <QHeaderView>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTest>

#include <cstdlib>

#include "FlatListView.h"

// The person and contact lists place their rows by number: where they are must be where
// QTreeView itself would draw them, at any scroll position and in either scroll mode.
namespace {

// The repaint region of a selection, which the view asks for itself.
class Exposed : public FlatListView {
public:
    using FlatListView::visualRegionForSelection;
};

class FlatListViewTest : public ::testing::TestWithParam<QAbstractItemView::ScrollMode> {
protected:
    void SetUp() override {
        model_.setColumnCount(2);
        for (int row = 0; row < 5000; ++row) {
            model_.appendRow({new QStandardItem(QStringLiteral("Person %1").arg(row)),
                              new QStandardItem(QStringLiteral("Company %1").arg(row))});
        }
        for (QTreeView* view : {static_cast<QTreeView*>(&flat_), &plain_}) {
            view->setModel(&model_);
            view->setRootIsDecorated(false);
            view->setUniformRowHeights(true);
            view->setVerticalScrollMode(GetParam());
            view->setSelectionBehavior(QAbstractItemView::SelectRows);
            view->resize(300, 200);
            view->header()->resizeSection(0, 120);
            view->show();
        }
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&flat_));
    }

    QStandardItemModel model_;
    Exposed flat_;
    QTreeView plain_;
};

TEST_P(FlatListViewTest, RowsAreWhereTheTreeViewDrawsThem) {
    for (const int scrolled : {0, 37, 2500, 4990}) {
        for (QTreeView* view : {static_cast<QTreeView*>(&flat_), &plain_}) {
            const int rowHeight = plain_.sizeHintForRow(0);
            view->verticalScrollBar()->setValue(
                GetParam() == QAbstractItemView::ScrollPerItem ? scrolled : scrolled * rowHeight);
        }
        for (const int row : {0, 1, scrolled, scrolled + 3, 4999}) {
            for (const int column : {0, 1}) {
                const QModelIndex index = model_.index(row, column);
                EXPECT_EQ(flat_.visualRect(index), plain_.visualRect(index))
                    << "row " << row << " column " << column << " scrolled " << scrolled;
            }
        }
    }
}

TEST_P(FlatListViewTest, ScrollingToARowShowsIt) {
    for (const int row : {4000, 10, 2999, 4999, 0}) {
        const QModelIndex index = model_.index(row, 0);
        flat_.scrollTo(index);
        plain_.scrollTo(index);
        const QRect rect = flat_.visualRect(index);
        EXPECT_TRUE(flat_.viewport()->rect().contains(rect)) << row;
        // Scrolling by rows shows the same rows as the tree view would; by pixels the tree view
        // leaves the row's last line a pixel below the viewport, the list shows it whole.
        if (GetParam() == QAbstractItemView::ScrollPerItem) {
            EXPECT_EQ(flat_.verticalScrollBar()->value(), plain_.verticalScrollBar()->value())
                << row;
        } else {
            EXPECT_LE(
                std::abs(flat_.verticalScrollBar()->value() - plain_.verticalScrollBar()->value()),
                1)
                << row;
        }
    }
    flat_.scrollTo(model_.index(2500, 0), QAbstractItemView::PositionAtTop);
    EXPECT_EQ(flat_.visualRect(model_.index(2500, 0)).top(), 0);
}

TEST_P(FlatListViewTest, ASelectionRepaintsItsRowsOnly) {
    flat_.selectionModel()->select(model_.index(3, 0),
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    const QItemSelection selection = flat_.selectionModel()->selection();
    const QRect row = flat_.visualRect(model_.index(3, 0));
    const QRegion region = flat_.visualRegionForSelection(selection);
    EXPECT_TRUE(region.contains(row.center()));
    EXPECT_FALSE(region.contains(flat_.visualRect(model_.index(5, 0)).center()));
    // A row far out of view needs no repaint.
    flat_.selectionModel()->select(model_.index(4500, 0),
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    EXPECT_TRUE(flat_.visualRegionForSelection(flat_.selectionModel()->selection()).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(ScrollModes, FlatListViewTest,
                         ::testing::Values(QAbstractItemView::ScrollPerItem,
                                           QAbstractItemView::ScrollPerPixel));

}  // namespace
