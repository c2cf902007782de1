// The person list's "Last Contact" column: read with the list, kept as the log changes.

#include <QHeaderView>
#include <QTreeView>

#include "ListModels.h"
#include "MainView.h"
#include "SideRead.h"

void MainView::ShowLastContactColumn(bool shown) {
    if (shown == lastShown_) {
        return;
    }
    lastShown_ = shown;
    QTreeView* list = form_->personList;
    if (!shown && byLastContact_) {
        // Not sorted by a column no longer shown: back to the names.
        byLastContact_ = false;
        personDescending_ = false;
        personOrder_ = PersonOrder::ByName;
        list->header()->setSortIndicator(0, Qt::AscendingOrder);
    }
    list->setColumnHidden(PersonListModel::LastContactColumn, !shown);
    if (shown) {
        // A width chosen before stays, unless the date or the heading would not fit in it.
        const int column = PersonListModel::LastContactColumn;
        const QFontMetrics metrics(list->font());
        const int least = std::max(
            metrics.horizontalAdvance(MainViewForm::WidestDate()),
            metrics.horizontalAdvance(
                personModel_->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString()));
        if (list->columnWidth(column) < least) {
            list->setColumnWidth(
                column, MainViewForm::FittedWidth(list, column, {MainViewForm::WidestDate()}));
        }
    } else {
        lastContacts_.Clear();
    }
    form_->FitPersonColumns();
    if (!path_.empty()) {
        Reload();
    }
}

int MainView::LastContactColumnWidth() const {
    return form_->personList->columnWidth(PersonListModel::LastContactColumn);
}

void MainView::SetLastContactColumnWidth(int width) {
    if (width > 0) {
        form_->personList->setColumnWidth(PersonListModel::LastContactColumn, width);
        form_->FitPersonColumns();
    }
}

void MainView::LoadPersons(PersonRowList& rows) {
    // The newest contacts come from the contacts' index, the list from the persons' table: on
    // two connections at once, the reload takes about the longer of the two.
    SideRead reader;
    if (lastShown_ && !lastContacts_.Ready()) {
        reader.Start([this, path = path_] { lastContacts_.Read(path); });
    }
    ReadPersonRows(path_, rows);
    reader.Finish();
    // Filled in the file's order, which is the order of the last fill unless persons came or
    // went: the dates then go across in one sweep.
    if (lastShown_) {
        lastContacts_.Fill(rows);
    }
    SortPersonRows(rows, byLastContact_ ? PersonOrder::ByName : personOrder_,
                   !byLastContact_ && personDescending_);
    if (byLastContact_) {
        SortByLastContact(rows, !personDescending_);
    }
}

void MainView::FollowLastContacts(const std::vector<RecordId>& ids, bool contactsOnly) {
    if (!lastShown_ || !lastContacts_.Ready()) {
        return;
    }
    lastContacts_.Refresh(path_, ids);
    if (!contactsOnly) {
        return;  // the reload that follows shows them
    }
    if (byLastContact_) {
        // The person may move: the list in its order again, from what is known.
        Reload();
        return;
    }
    for (const RecordId& id : ids) {
        if (id.empty()) {
            continue;
        }
        const DateTime when = lastContacts_.Of(id);
        personModel_->SetLastContact(personModel_->Find(id), when);
        searching_->SetLastContact(id, when);
    }
}
