#include "ConflictsDialog.h"

#include <QApplication>
#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>

#include "DialogUnits.h"
#include "HelpViewer.h"
#include "PersonFieldLabels.h"

namespace syncui {

using carddav::apply::Held;

namespace {

QString U(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<int>(s.size()));
}

QString NameOf(const Held& held) {
    const std::string name = (held.deletedHere ? held.server : held.here).DisplayName();
    return name.empty() ? ConflictsDialog::tr("(no name)") : U(name);
}

// A value as the user reads it; an empty one says so rather than showing nothing.
QLabel* ValueLabel(const std::string& value, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    if (value.empty()) {
        label->setText(ConflictsDialog::tr("(empty)"));
        label->setEnabled(false);
    } else {
        // An address keeps its lines.
        QString text = U(value);
        text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        label->setText(text);
    }
    return label;
}

}  // namespace

ConflictsDialog::ConflictsDialog(QWidget* owner, std::vector<Held> held)
    : QDialog(owner, platform::kDialogFlags), held_(std::move(held)) {
    setWindowTitle(tr("Sync Conflicts"));
    setFont(platform::DialogFont());
    const platform::DialogUnits units(font());
    setSizeGripEnabled(true);
    resize(units.X(400), units.Y(240));

    // A field changed on one side only is already decided: the change is kept.
    choices_.resize(held_.size());
    for (size_t i = 0; i < held_.size(); ++i) {
        const Held& h = held_[i];
        for (int f : h.differing) {
            Side side = Side::None;
            if (h.here.fields[f] == h.base.fields[f]) {
                side = Side::Server;
            } else if (h.server.fields[f] == h.base.fields[f]) {
                side = Side::Here;
            }
            choices_[i].fields[f] = side;
        }
    }

    auto* main = new QVBoxLayout(this);
    auto* intro = new QLabel(
        tr("These persons were changed here and on the server, and the sync has changed neither "
           "side. Choose what to keep: OK keeps your choices, and the sync sends them at once."),
        this);
    intro->setWordWrap(true);
    intro->setTextFormat(Qt::PlainText);
    main->addWidget(intro);

    auto* body = new QHBoxLayout;
    main->addLayout(body, 1);
    auto* left = new QVBoxLayout;
    body->addLayout(left);
    auto* personsLabel = new QLabel(tr("&Persons:"), this);
    left->addWidget(personsLabel);
    persons_ = new QListWidget(this);
    persons_->setFixedWidth(units.X(120));
    const int line = persons_->fontMetrics().height();
    persons_->setIconSize(QSize(line, line));
    personsLabel->setBuddy(persons_);
    persons_->setAccessibleName(tr("Persons"));
    left->addWidget(persons_, 1);

    auto* right = new QVBoxLayout;
    body->addLayout(right, 1);
    heading_ = new QLabel(this);
    heading_->setTextFormat(Qt::PlainText);
    heading_->setWordWrap(true);
    QFont bold = heading_->font();
    bold.setBold(true);
    heading_->setFont(bold);
    right->addWidget(heading_);
    scroll_ = new QScrollArea(this);
    scroll_->setWidgetResizable(true);
    scroll_->setFrameShape(QFrame::StyledPanel);
    // Tab goes through the choices, not the area around them.
    scroll_->setFocusPolicy(Qt::NoFocus);
    scroll_->setAccessibleName(tr("The fields that differ"));
    right->addWidget(scroll_, 1);
    auto* all = new QHBoxLayout;
    right->addLayout(all);
    allHere_ = new QPushButton(tr("Keep &All Here"), this);
    allServer_ = new QPushButton(tr("Keep All From &Server"), this);
    allHere_->setAutoDefault(false);
    allServer_->setAutoDefault(false);
    all->addWidget(allHere_);
    all->addWidget(allServer_);
    all->addStretch(1);

    summary_ = new QLabel(this);
    summary_->setTextFormat(Qt::PlainText);
    summary_->setWordWrap(true);
    main->addWidget(summary_);

    auto* buttons = new QHBoxLayout;
    main->addLayout(buttons);
    buttons->addStretch(1);
    ok_ = new QPushButton(QCoreApplication::translate("platform::DialogButton", "OK"), this);
    ok_->setDefault(true);
    auto* cancel =
        new QPushButton(QCoreApplication::translate("platform::DialogButton", "Cancel"), this);
    auto* help =
        new QPushButton(QCoreApplication::translate("platform::DialogButton", "&Help..."), this);
    help->setAutoDefault(false);
    cancel->setAutoDefault(false);
    for (QPushButton* button : {ok_, cancel, help}) {
        button->setMinimumWidth(units.X(50));
        buttons->addWidget(button);
    }

    connect(ok_, &QPushButton::clicked, this, &ConflictsDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &ConflictsDialog::reject);
    connect(help, &QPushButton::clicked, this, [this] {
        help::ShowTopic(this, help::TopicReference(QString::fromLatin1(help::kConflictsTopic)));
    });
    connect(allHere_, &QPushButton::clicked, this, [this] { ChooseAll(Side::Here); });
    connect(allServer_, &QPushButton::clicked, this, [this] { ChooseAll(Side::Server); });

    for (const Held& h : held_) {
        QString text = NameOf(h);
        if (h.deletedOnServer) {
            text += tr(" (deleted on the server)");
        } else if (h.deletedHere) {
            text += tr(" (deleted here)");
        }
        persons_->addItem(text);
    }
    connect(persons_, &QListWidget::currentRowChanged, this, &ConflictsDialog::ShowPerson);
    if (!held_.empty()) {
        persons_->setCurrentRow(0);
    }
    Update();
}

QRadioButton* ConflictsDialog::KeepButton(int field, bool server) const {
    const auto it = keep_.find(field);
    if (it == keep_.end()) {
        return nullptr;
    }
    return server ? it->second.second : it->second.first;
}

void ConflictsDialog::ShowPerson(int row) {
    keep_.clear();
    deletionDefault_ = deletionOther_ = nullptr;
    shown_ = row;
    page_ = new QWidget;
    // The page before goes with its buttons; the new one is shown when it is whole.
    const auto show = [this] {
        scroll_->setWidget(page_);
        page_->show();
        page_->layout()->activate();
        Update();
    };
    if (row < 0 || row >= static_cast<int>(held_.size())) {
        heading_->clear();
        new QVBoxLayout(page_);
        show();
        return;
    }
    const Held& h = held_[static_cast<size_t>(row)];
    Choice& choice = choices_[static_cast<size_t>(row)];
    auto* grid = new QGridLayout(page_);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);

    if (h.deletedOnServer || h.deletedHere) {
        heading_->setText(NameOf(h));
        const PersonRecord& kept = h.deletedHere ? h.server : h.here;
        auto* text = new QLabel(
            h.deletedOnServer
                ? tr("The card was deleted on the server, but contacts are logged with this "
                     "person here. The sync keeps the person, contacts and all, and sends them "
                     "to the server again as a new card.")
                : tr("The person was deleted here, while the card was changed on the server. "
                     "The sync brings the person back as the server has them; the contacts "
                     "that were logged with them stay deleted (Edit, Undo brings those back)."),
            page_);
        text->setWordWrap(true);
        text->setTextFormat(Qt::PlainText);
        grid->addWidget(text, 0, 0, 1, 3);
        deletionDefault_ = new QRadioButton(
            h.deletedOnServer ? tr("&Keep the person and send them to the server again")
                              : tr("&Bring the person back as the server has them"),
            page_);
        deletionOther_ = new QRadioButton(
            h.deletedOnServer ? tr("&Delete the person here too, with their contacts")
                              : tr("De&lete the card on the server too"),
            page_);
        auto* group = new QButtonGroup(page_);
        group->addButton(deletionDefault_);
        group->addButton(deletionOther_);
        (choice.otherDeletion ? deletionOther_ : deletionDefault_)->setChecked(true);
        grid->addWidget(deletionDefault_, 1, 0, 1, 3, Qt::AlignLeft);
        grid->addWidget(deletionOther_, 2, 0, 1, 3, Qt::AlignLeft);
        connect(deletionOther_, &QRadioButton::toggled, this, [this, row](bool on) {
            choices_[static_cast<size_t>(row)].otherDeletion = on;
            Update();
        });
        // What the card holds, to know whom it is about.
        int line = 3;
        for (int f = 0; f < PersonRecord::FieldCount; ++f) {
            if (kept.fields[f].empty()) {
                continue;
            }
            auto* label = new QLabel(PersonFieldLabel(f) + QLatin1Char(':'), page_);
            grid->addWidget(label, line, 0, Qt::AlignTop);
            grid->addWidget(ValueLabel(kept.fields[f], page_), line, 1, 1, 2);
            ++line;
        }
        grid->setRowStretch(line, 1);
        allHere_->setEnabled(false);
        allServer_->setEnabled(false);
        show();
        return;
    }

    heading_->setText(tr("%1: the fields that differ").arg(NameOf(h)));
    auto* here = new QLabel(tr("Here"), page_);
    auto* server = new QLabel(tr("On the server"), page_);
    QFont bold = here->font();
    bold.setBold(true);
    here->setFont(bold);
    server->setFont(bold);
    grid->addWidget(here, 0, 1);
    grid->addWidget(server, 0, 2);
    int line = 1;
    for (int f : h.differing) {
        const bool both =
            h.here.fields[f] != h.base.fields[f] && h.server.fields[f] != h.base.fields[f];
        auto* label = new QLabel(PersonFieldLabel(f) + QLatin1Char(':'), page_);
        label->setToolTip(both ? tr("Changed on both sides") : tr("Changed on one side"));
        if (both) {
            label->setFont(bold);
        }
        grid->addWidget(label, line, 0, Qt::AlignTop);
        auto* group = new QButtonGroup(page_);
        QRadioButton* sides[2];
        for (int s = 0; s < 2; ++s) {
            const std::string& value = s == 0 ? h.here.fields[f] : h.server.fields[f];
            auto* cell = new QWidget(page_);
            auto* stack = new QVBoxLayout(cell);
            stack->setContentsMargins(0, 0, 0, 0);
            sides[s] = new QRadioButton(tr("Keep this"), cell);
            sides[s]->setAccessibleName(
                (s == 0 ? tr("Keep %1 here: %2") : tr("Keep %1 from the server: %2"))
                    .arg(PersonFieldLabel(f), value.empty() ? tr("(empty)") : U(value)));
            group->addButton(sides[s]);
            // As wide as its text: a click beside it is no choice.
            stack->addWidget(sides[s], 0, Qt::AlignLeft);
            stack->addWidget(ValueLabel(value, cell));
            grid->addWidget(cell, line, 1 + s, Qt::AlignTop);
        }
        const Side chosen = choice.fields[f];
        if (chosen != Side::None) {
            sides[chosen == Side::Here ? 0 : 1]->setChecked(true);
        }
        for (int s = 0; s < 2; ++s) {
            connect(sides[s], &QRadioButton::toggled, this, [this, row, f, s](bool on) {
                if (on) {
                    choices_[static_cast<size_t>(row)].fields[f] =
                        s == 0 ? Side::Here : Side::Server;
                    Update();
                }
            });
        }
        keep_[f] = {sides[0], sides[1]};
        ++line;
    }
    grid->setRowStretch(line, 1);
    allHere_->setEnabled(true);
    allServer_->setEnabled(true);
    show();
}

void ConflictsDialog::ChooseAll(Side side) {
    for (const auto& [field, buttons] : keep_) {
        (side == Side::Here ? buttons.first : buttons.second)->setChecked(true);
    }
}

bool ConflictsDialog::Complete(size_t person) const {
    for (const auto& [field, side] : choices_[person].fields) {
        if (side == Side::None) {
            return false;
        }
    }
    return true;
}

void ConflictsDialog::Update() {
    int settled = 0;
    for (size_t i = 0; i < held_.size(); ++i) {
        const bool done = Complete(i);
        settled += done ? 1 : 0;
        QListWidgetItem* item = persons_->item(static_cast<int>(i));
        item->setIcon(style()->standardIcon(done ? QStyle::SP_DialogApplyButton
                                                 : QStyle::SP_MessageBoxWarning));
        item->setToolTip(done ? tr("Settled: OK keeps the choice")
                              : tr("A field changed on both sides waits for your choice"));
    }
    const int total = static_cast<int>(held_.size());
    if (settled == total) {
        summary_->setText(total == 1 ? tr("The person is settled.")
                                     : tr("All %1 persons are settled.").arg(total));
    } else {
        summary_->setText(
            tr("%1 of %2 persons settled. Choose a value for each field in bold; a person not "
               "settled stays held, and the sync leaves them as they are.")
                .arg(settled)
                .arg(total));
    }
}

std::vector<Settlement> ConflictsDialog::Settled() const {
    std::vector<Settlement> settled;
    for (size_t i = 0; i < held_.size(); ++i) {
        if (!Complete(i)) {
            continue;
        }
        const Held& h = held_[i];
        const Choice& choice = choices_[i];
        Settlement s;
        s.person = h.person;
        if (h.deletedOnServer || h.deletedHere) {
            s.byDeleting = choice.otherDeletion;
            s.fields = h.deletedHere ? h.server : h.here;
        } else {
            s.fields = h.here;
            for (const auto& [field, side] : choice.fields) {
                if (side == Side::Server) {
                    s.fields.fields[field] = h.server.fields[field];
                }
            }
        }
        settled.push_back(std::move(s));
    }
    return settled;
}

}  // namespace syncui
