#include "ContactTypesDialog.h"

#include <limits>
#include <vector>

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

#include "ContactTypes.h"
#include "DialogUnits.h"
#include "HelpViewer.h"
#include "MessageBox.h"
#include "RecordEditing.h"
#include "SQLException.h"
#include "StoredText.h"
#include "UnseenChanges.h"

using platform::ShowDatabaseFailure;

// ---- ContactTypeDialog

ContactTypeDialog::ContactTypeDialog(QWidget* owner, const std::string& description,
                                     DuplicateCheck isDuplicate, Saver save)
    : QDialog(owner, platform::kDialogFlags),
      description_(description),
      isDuplicate_(std::move(isDuplicate)),
      save_(std::move(save)) {
    setFont(platform::DialogFont());
    setWindowTitle(tr("Contact Type Details"));
    const platform::DialogUnits units(font());
    setFixedSize(units.X(192), units.Y(41));

    auto* label = new QLabel(tr("Description:"), this);
    platform::SetControlId(label, 1092);
    units.Place(label, 3, 15, 42, 8);
    field_ = new QLineEdit(this);
    field_->setMaxLength(std::numeric_limits<int>::max());
    platform::SetControlId(field_, 1055);
    units.Place(field_, 46, 13, 89, 12);
    label->setBuddy(field_);
    ok_ = platform::PlaceButton(this, units, QT_TRANSLATE_NOOP("platform::DialogButton", "OK"), 1,
                                139, 5, 50, 14);
    ok_->setDefault(true);
    cancel_ = platform::PlaceButton(
        this, units, QT_TRANSLATE_NOOP("platform::DialogButton", "Cancel"), 2, 139, 22, 50, 14);

    field_->setText(FromStoredText(description));
    ok_->setEnabled(!field_->text().isEmpty());
    connect(field_, &QLineEdit::textChanged, this,
            [this](const QString& text) { ok_->setEnabled(!text.isEmpty()); });
    connect(ok_, &QPushButton::clicked, this, &ContactTypeDialog::CheckAndAccept);
    connect(cancel_, &QPushButton::clicked, this, &ContactTypeDialog::reject);
    field_->setFocus();

    help::InstallPopupHelp(this, help::HelpFilePath(),
                           {{1092, 6400}, {1055, 6400}, {1, 1000}, {2, 1001}, {0, 0}});
}

void ContactTypeDialog::Reload(const std::string& description) {
    description_ = description;
    field_->setText(FromStoredText(description));
    field_->setFocus();
}

void ContactTypeDialog::reject() {
    done(Cancel);
}

void ContactTypeDialog::CheckAndAccept() {
    // Enter reaches the default button even while it is disabled.
    if (!ok_->isEnabled()) {
        return;
    }
    const QString typed = field_->text();
    const std::string description = ToStoredText(typed, description_);
    try {
        if (isDuplicate_(description)) {
            platform::ShowMessage(
                this,
                tr("%1 is already listed in the table of Contact Types. \nPlease enter a "
                   "different description.")
                    .arg(typed),
                tr("Duplicate Contact Type"), platform::MessageIcon::Error);
            field_->setFocus();
            field_->selectAll();
            return;
        }
    } catch (const std::exception& e) {
        // The write that follows meets the same file and reports its own failure.
        ShowDatabaseFailure(
            this, e.what(),
            QT_TRANSLATE_NOOP("platform::MessageBox", "Error Checking Contact Types List"),
            platform::MessageIcon::Error);
    }
    if (save_ && !save_(description)) {
        return;
    }
    description_ = description;
    done(Ok);
}

// ---- ContactTypesDialog

ContactTypesDialog::ContactTypesDialog(QWidget* owner, const std::string& path)
    : QDialog(owner, platform::kDialogFlags), path_(path) {
    setFont(platform::DialogFont());
    setWindowTitle(tr("Contact Types"));
    const platform::DialogUnits units(font());
    setFixedSize(units.X(205), units.Y(94));

    list_ = new QTreeWidget(this);
    platform::SetControlId(list_, 1103);
    list_->setAccessibleName(tr("Contact Types"));
    list_->setAccessibleDescription(tr("The kinds a contact can be, to add, edit or delete."));
    units.Place(list_, 3, 3, 139, 87);
    list_->setColumnCount(1);
    list_->setHeaderLabels({tr("Activity")});
    list_->header()->setStretchLastSection(true);
    list_->header()->setSectionsMovable(false);
    list_->setRootIsDecorated(false);
    list_->setItemsExpandable(false);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setSortingEnabled(false);

    add_ = platform::PlaceButton(this, units, QT_TRANSLATE_NOOP("platform::DialogButton", "&Add"),
                                 1003, 150, 5, 50, 12);
    delete_ = platform::PlaceButton(
        this, units, QT_TRANSLATE_NOOP("platform::DialogButton", "&Delete"), 1004, 150, 21, 50, 12);
    edit_ = platform::PlaceButton(this, units, QT_TRANSLATE_NOOP("platform::DialogButton", "&Edit"),
                                  1005, 150, 37, 50, 12);
    close_ = platform::PlaceButton(
        this, units, QT_TRANSLATE_NOOP("platform::DialogButton", "&Close"), 1, 150, 53, 50, 12);
    close_->setDefault(true);

    connect(add_, &QPushButton::clicked, this, &ContactTypesDialog::AddType);
    connect(delete_, &QPushButton::clicked, this, &ContactTypesDialog::DeleteType);
    connect(edit_, &QPushButton::clicked, this, &ContactTypesDialog::EditType);
    connect(close_, &QPushButton::clicked, this, &ContactTypesDialog::CloseDialog);

    help::InstallPopupHelp(
        this, help::HelpFilePath(),
        {{1103, 6300}, {1, 1010}, {1005, 1007}, {1004, 1009}, {1003, 1008}, {0, 0}});

    FillList();
    list_->setFocus();
}

void ContactTypesDialog::FillList() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    list_->setUpdatesEnabled(false);
    list_->clear();
    std::vector<contact_types::ContactType> rows;
    bool failed = false;
    std::string failure;
    try {
        contact_types::Load(path_, rows);
    } catch (const std::exception& e) {
        failed = true;
        failure = e.what();
    }
    for (const contact_types::ContactType& row : rows) {
        auto* item = new QTreeWidgetItem(list_, {FromStoredText(row.description)});
        item->setData(0, Qt::UserRole,
                      QByteArray(row.id.data(), static_cast<qsizetype>(row.id.size())));
    }
    if (QTreeWidgetItem* first = list_->topLevelItem(0)) {
        list_->setCurrentItem(first);
        list_->scrollToItem(first);
    }
    list_->setUpdatesEnabled(true);
    edit_->setEnabled(list_->topLevelItemCount() > 0);
    QApplication::restoreOverrideCursor();
    if (failed) {
        ShowDatabaseFailure(
            this, failure,
            QT_TRANSLATE_NOOP("platform::MessageBox", "Error Filling Contact Types List"),
            platform::MessageIcon::Error);
    }
}

RecordId ContactTypesDialog::SelectedId() const {
    const QList<QTreeWidgetItem*> selected = list_->selectedItems();
    if (selected.isEmpty()) {
        return RecordId();
    }
    return selected.first()->data(0, Qt::UserRole).toByteArray().toStdString();
}

QWidget* ContactTypesDialog::DetailsOwner() {
    QWidget* active = QApplication::activeWindow();
    return active ? active : this;
}

void ContactTypesDialog::AddType() {
    const auto save = [this](const std::string& description) {
        try {
            contact_types::Add(path_, description);
        } catch (const std::exception& e) {
            ShowDatabaseFailure(
                this, e.what(),
                QT_TRANSLATE_NOOP("platform::MessageBox", "Error Adding Contact Type"),
                platform::MessageIcon::Information);
            return false;
        }
        return true;
    };
    ContactTypeDialog details(DetailsOwner(), std::string(), DuplicateCheck(true, RecordId()),
                              save);
    if (details.exec() == ContactTypeDialog::Ok) {
        FillList();
    }
}

void ContactTypesDialog::DeleteType() {
    const platform::MessageResult answer = platform::ShowMessage(
        this,
        tr("Are you sure you want to delete the selected contact? If it is in use "
           "anywhere, it will not be deleted"),
        tr("Delete Contact Type"), platform::MessageIcon::Information,
        platform::MessageButtons::YesNo);
    const RecordId id = SelectedId();
    if (answer != platform::MessageResult::Yes || id.empty()) {
        return;
    }
    try {
        if (const int uses = contact_types::DeleteUnlessInUse(path_, id)) {
            // One arg() for both, so that a "%2" in the description stays as typed.
            const QString description = list_->selectedItems().first()->text(0);
            platform::ShowMessage(this,
                                  tr("%1 is used by %2 contacts and cannot be deleted.")
                                      .arg(description, QString::number(uses)),
                                  tr("Contact Types"), platform::MessageIcon::Information);
            return;
        }
    } catch (const std::exception& e) {
        ShowDatabaseFailure(
            this, e.what(),
            QT_TRANSLATE_NOOP("platform::MessageBox", "Error Deleting Contact Type"),
            platform::MessageIcon::Information);
    }
    FillList();
}

void ContactTypesDialog::EditType() {
    const RecordId id = SelectedId();
    if (id.empty()) {
        return;
    }
    contact_types::Edit edit;
    std::string description;
    editing::StoredRow loaded;
    try {
        description = edit.Begin(path_, id);
        loaded = editing::ReadStoredRow(path_, editing::RowTable::ContactType, id);
    } catch (const std::exception& e) {
        ShowDatabaseFailure(this, e.what(),
                            QT_TRANSLATE_NOOP("platform::MessageBox", "Error Editing Contact Type"),
                            platform::MessageIcon::Error);
        return;
    }
    ContactTypeDialog* shown = nullptr;
    const auto save = [&](const std::string& changed) {
        bool stored = false;
        try {
            const editing::StoredState state =
                editing::CompareStored(path_, editing::RowTable::ContactType, id, loaded);
            switch (unseen::Ask(shown, shown->windowTitle(), unseen::Record::ContactType, state)) {
                case unseen::Answer::Store:
                    edit.Save(changed);
                    stored = true;
                    break;
                case unseen::Answer::StoreAsNew:
                    // Under a new identifier, as a type added now.
                    contact_types::Add(path_, changed);
                    stored = true;
                    break;
                case unseen::Answer::Reload: {
                    edit.Close();
                    const std::string fresh = edit.Begin(path_, id);
                    loaded = editing::ReadStoredRow(path_, editing::RowTable::ContactType, id);
                    shown->Reload(fresh);
                    break;
                }
                case unseen::Answer::Back:
                    break;
            }
        } catch (const std::exception& e) {
            ShowDatabaseFailure(
                this, e.what(),
                QT_TRANSLATE_NOOP("platform::MessageBox", "Error Editing Contact Type"),
                platform::MessageIcon::Error);
            return false;
        }
        return stored;
    };
    ContactTypeDialog details(DetailsOwner(), description, DuplicateCheck(false, id), save);
    shown = &details;
    if (details.exec() != ContactTypeDialog::Ok) {
        return;
    }
    edit.Close();
    FillList();
}

void ContactTypesDialog::reject() {
    // Esc, and the close box through QDialog's close event, end the list as Close does.
    CloseDialog();
}

void ContactTypesDialog::CloseDialog() {
    list_->clear();
    done(1);
}

ContactTypeDialog::DuplicateCheck ContactTypesDialog::DuplicateCheck(bool adding,
                                                                     const RecordId& id) const {
    // On a connection of its own, outside the edit's.
    return [path = path_, adding, id](const std::string& description) {
        return contact_types::CountSameDescription(path, description, adding, id) != 0;
    };
}

bool RunContactTypes(QWidget* owner, const std::string& path) {
    ContactTypesDialog dialog(owner, path);
    return dialog.exec() == 1;
}
