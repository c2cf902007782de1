#include "DuplicatesDialog.h"

#include <algorithm>

#include <QButtonGroup>
#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include "DialogUnits.h"
#include "PersonFieldLabels.h"
#include "StoredText.h"

namespace {

QString Shown(const std::string& stored) {
    QString text = FromStoredText(stored);
    text.replace(QLatin1String("\r\n"), QLatin1String(", "));
    return text;
}

int Filled(const PersonRecord& p) {
    int n = 0;
    for (const std::string& f : p.fields) {
        n += f.empty() ? 0 : 1;
    }
    return n;
}

}  // namespace

QString DuplicatesDialog::Reasons(unsigned reasons) {
    QStringList words;
    for (const char* word : duplicates::ReasonWords(reasons)) {
        words << QCoreApplication::translate("duplicates", word);
    }
    return words.join(QStringLiteral(", "));
}

DuplicatesDialog::DuplicatesDialog(QWidget* owner, std::vector<duplicates::Group> groups,
                                   std::map<RecordId, PersonRecord> persons)
    : QDialog(owner, platform::kDialogFlags),
      groups_(std::move(groups)),
      done_(groups_.size(), false),
      persons_(std::move(persons)) {
    setWindowTitle(tr("Find Duplicates"));
    setFont(platform::DialogFont());
    const platform::DialogUnits units(font());
    setSizeGripEnabled(true);
    resize(units.X(560), units.Y(270));

    auto* main = new QVBoxLayout(this);
    auto* intro = new QLabel(
        tr("These persons look like one person entered more than once. Choose the person to "
           "keep and, where they differ, the value of each field: Merge keeps it, with the "
           "contacts of all of them. Edit, Undo Merge puts them back."),
        this);
    intro->setWordWrap(true);
    main->addWidget(intro);
    auto* body = new QHBoxLayout;
    main->addLayout(body, 1);
    auto* left = new QVBoxLayout;
    body->addLayout(left);
    auto* listLabel = new QLabel(tr("&Groups:"), this);
    left->addWidget(listLabel);
    list_ = new QListWidget(this);
    list_->setFixedWidth(units.X(120));
    list_->setAccessibleName(tr("Groups"));
    listLabel->setBuddy(list_);
    left->addWidget(list_, 1);
    for (const duplicates::Group& g : groups_) {
        QStringList names;
        for (const RecordId& id : g.persons) {
            names << FromStoredText(persons_[id].DisplayName());
        }
        auto* item = new QListWidgetItem(names.join(QStringLiteral(" / ")), list_);
        item->setToolTip(Reasons(g.reasons));
        item->setData(Qt::UserRole, static_cast<int>(list_->count() - 1));
    }

    auto* right = new QVBoxLayout;
    body->addLayout(right, 1);
    heading_ = new QLabel(this);
    heading_->setWordWrap(true);
    right->addWidget(heading_);
    scroll_ = new QScrollArea(this);
    scroll_->setWidgetResizable(true);
    scroll_->setFocusPolicy(Qt::NoFocus);
    scroll_->setAccessibleName(tr("The persons of the group"));
    right->addWidget(scroll_, 1);

    auto* buttons = new QHBoxLayout;
    main->addLayout(buttons);
    merge_ = new QPushButton(tr("&Merge"), this);
    distinct_ = new QPushButton(tr("&Not Duplicates"), this);
    skip_ = new QPushButton(tr("&Skip"), this);
    auto* close =
        new QPushButton(QCoreApplication::translate("platform::DialogButton", "Close"), this);
    merge_->setDefault(true);
    for (QPushButton* b : {distinct_, skip_, close}) {
        b->setAutoDefault(false);
    }
    buttons->addStretch(1);
    for (QPushButton* b : {merge_, distinct_, skip_, close}) {
        b->setMinimumWidth(units.X(50));
        buttons->addWidget(b);
    }
    connect(merge_, &QPushButton::clicked, this, [this] { emit MergeRequested(shown_); });
    connect(distinct_, &QPushButton::clicked, this, [this] { emit DistinctRequested(shown_); });
    connect(skip_, &QPushButton::clicked, this, [this] {
        const int row = list_->currentRow();
        if (row + 1 < list_->count()) {
            list_->setCurrentRow(row + 1);
        } else if (list_->count() > 0) {
            list_->setCurrentRow(0);
        }
    });
    connect(close, &QPushButton::clicked, this, &DuplicatesDialog::accept);
    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
        ShowGroup(row < 0 ? -1 : list_->item(row)->data(Qt::UserRole).toInt());
    });
    if (list_->count() > 0) {
        list_->setCurrentRow(0);
    }
    Update();
}

int DuplicatesDialog::Groups() const {
    return list_->count();
}

void DuplicatesDialog::ShowGroup(int group) {
    shown_ = group;
    keep_.clear();
    choices_.clear();
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    if (group < 0) {
        heading_->clear();
        scroll_->setWidget(page);
        Update();
        return;
    }
    const duplicates::Group& g = groups_[static_cast<size_t>(group)];
    heading_->setText(tr("Why: %1").arg(Reasons(g.reasons)));
    // The person with most filled fields is kept unless the user says otherwise.
    kept_ = 0;
    for (size_t i = 1; i < g.persons.size(); ++i) {
        if (Filled(persons_[g.persons[i]]) >
            Filled(persons_[g.persons[static_cast<size_t>(kept_)]])) {
            kept_ = static_cast<int>(i);
        }
    }
    auto* keepGroup = new QButtonGroup(page);
    for (size_t i = 0; i < g.persons.size(); ++i) {
        auto* keep = new QRadioButton(tr("Keep this person"), page);
        keep->setAccessibleName(
            tr("Keep %1").arg(FromStoredText(persons_[g.persons[i]].DisplayName())));
        keepGroup->addButton(keep);
        keep->setChecked(static_cast<int>(i) == kept_);
        grid->addWidget(keep, 0, 1 + static_cast<int>(i), Qt::AlignLeft);
        connect(keep, &QRadioButton::toggled, this, [this, i](bool on) {
            if (on) {
                kept_ = static_cast<int>(i);
                FillChoices();
            }
        });
        keep_.push_back(keep);
    }
    auto* keptHeading = new QLabel(tr("Kept"), page);
    QFont bold = keptHeading->font();
    bold.setBold(true);
    keptHeading->setFont(bold);
    grid->addWidget(keptHeading, 0, 1 + static_cast<int>(g.persons.size()));
    int row = 1;
    for (int f = 0; f < PersonRecord::FieldCount; ++f) {
        bool any = false, differ = false;
        const std::string& first = persons_[g.persons.front()].fields[f];
        for (const RecordId& id : g.persons) {
            any = any || !persons_[id].fields[f].empty();
            differ = differ || persons_[id].fields[f] != first;
        }
        if (!any) {
            continue;
        }
        auto* label = new QLabel(PersonFieldLabel(f) + QLatin1Char(':'), page);
        if (differ) {
            label->setFont(bold);
        }
        grid->addWidget(label, row, 0);
        for (size_t i = 0; i < g.persons.size(); ++i) {
            auto* value = new QLabel(Shown(persons_[g.persons[i]].fields[f]), page);
            value->setTextInteractionFlags(Qt::TextSelectableByMouse);
            value->setWordWrap(true);
            value->setAccessibleName(
                tr("%1 of %2")
                    .arg(PersonFieldLabel(f),
                         FromStoredText(persons_[g.persons[i]].DisplayName())));
            grid->addWidget(value, row, 1 + static_cast<int>(i));
        }
        if (differ) {
            auto* choice = new QComboBox(page);
            choice->setMinimumContentsLength(18);
            choice->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
            choice->setAccessibleName(tr("%1 kept").arg(PersonFieldLabel(f)));
            label->setBuddy(choice);
            grid->addWidget(choice, row, 1 + static_cast<int>(g.persons.size()));
            choices_[f] = choice;
        } else {
            grid->addWidget(new QLabel(Shown(first), page), row,
                            1 + static_cast<int>(g.persons.size()));
        }
        ++row;
    }
    grid->setRowStretch(row, 1);
    for (size_t i = 0; i < g.persons.size(); ++i) {
        grid->setColumnStretch(1 + static_cast<int>(i), 1);
    }
    FillChoices();
    scroll_->setWidget(page);
    page->show();
    Update();
}

void DuplicatesDialog::FillChoices() {
    if (shown_ < 0) {
        return;
    }
    const duplicates::Group& g = groups_[static_cast<size_t>(shown_)];
    for (auto& [f, choice] : choices_) {
        choice->clear();
        // The kept person's value first, then the others', each once; an empty one last, so
        // that nothing is lost unless the user chooses it.
        std::vector<std::string> values;
        const auto add = [&values](const std::string& v) {
            if (std::find(values.begin(), values.end(), v) == values.end()) {
                values.push_back(v);
            }
        };
        const std::string& kept = persons_[g.persons[static_cast<size_t>(kept_)]].fields[f];
        if (!kept.empty()) {
            add(kept);
        }
        for (const RecordId& id : g.persons) {
            if (!persons_[id].fields[f].empty()) {
                add(persons_[id].fields[f]);
            }
        }
        add(std::string());
        for (const std::string& v : values) {
            choice->addItem(v.empty() ? tr("(empty)") : Shown(v), QByteArray::fromStdString(v));
        }
        choice->setCurrentIndex(0);
    }
}

RecordId DuplicatesDialog::Kept() const {
    return shown_ < 0 ? RecordId()
                      : groups_[static_cast<size_t>(shown_)].persons[static_cast<size_t>(kept_)];
}

PersonRecord DuplicatesDialog::Fields() const {
    if (shown_ < 0) {
        return PersonRecord();
    }
    PersonRecord fields = persons_.at(Kept());
    for (const auto& [f, choice] : choices_) {
        fields.fields[f] = choice->currentData().toByteArray().toStdString();
    }
    return fields;
}

std::vector<RecordId> DuplicatesDialog::Others() const {
    std::vector<RecordId> others;
    if (shown_ >= 0) {
        for (const RecordId& id : groups_[static_cast<size_t>(shown_)].persons) {
            if (id != Kept()) {
                others.push_back(id);
            }
        }
    }
    return others;
}

QRadioButton* DuplicatesDialog::KeepButton(int person) const {
    return person >= 0 && person < static_cast<int>(keep_.size())
               ? keep_[static_cast<size_t>(person)]
               : nullptr;
}

QComboBox* DuplicatesDialog::Choice(PersonRecord::Field field) const {
    const auto it = choices_.find(field);
    return it == choices_.end() ? nullptr : it->second;
}

void DuplicatesDialog::Drop(int group) {
    for (int row = 0; row < list_->count(); ++row) {
        if (list_->item(row)->data(Qt::UserRole).toInt() == group) {
            delete list_->takeItem(row);
            if (list_->count() > 0) {
                list_->setCurrentRow(std::min(row, list_->count() - 1));
            } else {
                ShowGroup(-1);
            }
            break;
        }
    }
    Update();
}

void DuplicatesDialog::Update() {
    const bool any = shown_ >= 0;
    merge_->setEnabled(any);
    distinct_->setEnabled(any);
    skip_->setEnabled(list_->count() > 1);
    if (list_->count() == 0) {
        heading_->setText(tr("No more groups: every one is merged or told apart."));
    }
}
