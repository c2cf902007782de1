#include "ContextMenus.h"

#include <vector>

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMenu>
#include <QPushButton>
#include <QTreeView>

#include "Commands.h"
#include "MainView.h"
#include "ValueActions.h"

ContextMenus* ContextMenus::Install(MainView& view, ActionOf actionOf) {
    return new ContextMenus(view, std::move(actionOf));
}

ContextMenus::ContextMenus(MainView& view, ActionOf actionOf)
    : QObject(&view), view_(view), actionOf_(std::move(actionOf)) {
    std::vector<QWidget*> controls = {view.PersonList(), view.ContactList(),
                                      view.PersonList()->header(), view.ContactList()->header()};
    for (int id : {book::kHomePhoneButton, book::kWorkPhoneButton, book::kPagerButton,
                   book::kCelPhoneButton, book::kEmailButton, book::kWebPageButton}) {
        controls.push_back(view.Control(id));
    }
    for (QWidget* control : controls) {
        control->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(control, &QWidget::customContextMenuRequested, this, [this, control](QPoint pos) {
            QMenu* menu = MenuFor(control, pos);
            if (menu == nullptr) {
                return;
            }
            // A list's menu is asked for on its viewport's coordinates.
            QWidget* origin = control;
            if (auto* list = qobject_cast<QAbstractScrollArea*>(control)) {
                origin = list->viewport();
            }
            menu->exec(origin->mapToGlobal(pos));
            delete menu;
        });
    }
}

void ContextMenus::AddCommands(QMenu* menu, std::initializer_list<int> commands) {
    for (int command : commands) {
        if (QAction* action = actionOf_ ? actionOf_(command) : nullptr) {
            menu->addAction(action);
        }
    }
}

void ContextMenus::AddValueAction(QMenu* menu, const QString& text,
                                  std::initializer_list<int> buttons) {
    // The first button that has a value; none greys the entry.
    QPushButton* chosen = nullptr;
    for (int id : buttons) {
        auto* button = qobject_cast<QPushButton*>(view_.Control(id));
        if (button && button->isEnabled()) {
            chosen = button;
            break;
        }
    }
    QAction* action = menu->addAction(text);
    action->setEnabled(chosen != nullptr);
    if (chosen) {
        const QString value = chosen->property("value").toString();
        action->setText(text + QLatin1Char('\t') + value);
        connect(action, &QAction::triggered, chosen, &QPushButton::click);
    }
}

QMenu* ContextMenus::MenuFor(QWidget* control, const QPoint& pos) {
    QTreeView* persons = view_.PersonList();
    QTreeView* contacts = view_.ContactList();
    auto* menu = new QMenu(control);
    if (control == persons || control == contacts) {
        auto* list = static_cast<QTreeView*>(control);
        const QModelIndex at = list->indexAt(pos);
        if (at.isValid()) {
            list->setCurrentIndex(at);
        }
        if (control == persons) {
            AddCommands(menu, {cmd::kAddPerson, cmd::kEditPerson, cmd::kDeletePerson});
            menu->addSeparator();
            AddValueAction(menu, tr("&Call"),
                           {book::kHomePhoneButton, book::kWorkPhoneButton, book::kCelPhoneButton,
                            book::kPagerButton});
            AddValueAction(menu, tr("&Mail"), {book::kEmailButton});
            AddValueAction(menu, tr("Open &Web Page"), {book::kWebPageButton});
            AddCommands(menu, {cmd::kLogLastCall});
        } else {
            AddCommands(menu, {cmd::kAddContact, cmd::kEditContact, cmd::kDeleteContact});
            menu->addSeparator();
            AddCommands(menu, {cmd::kLogLastCall});
        }
        return menu;
    }
    if (control == persons->header() || control == contacts->header()) {
        const bool forPersons = control == persons->header();
        struct Order {
            const char* text;
            int column;
            bool current;
        };
        const bool byLast = view_.PersonsByLastContact();
        std::vector<Order> orders;
        if (forPersons) {
            orders.push_back({QT_TR_NOOP("Sort by &Name"), 0,
                              !byLast && view_.PersonSortOrder() == PersonOrder::ByName});
            orders.push_back({QT_TR_NOOP("Sort by &Company"), 1,
                              !byLast && view_.PersonSortOrder() == PersonOrder::ByCompany});
            if (view_.LastContactColumnShown()) {
                orders.push_back({QT_TR_NOOP("Sort by &Last Contact"), 2, byLast});
            }
        } else {
            orders.push_back(
                {QT_TR_NOOP("Sort by &Date"), 0, view_.ContactSortOrder() == ContactOrder::ByDate});
            orders.push_back({QT_TR_NOOP("Sort by Contact &Type"), 2,
                              view_.ContactSortOrder() == ContactOrder::ByType});
        }
        for (const Order& order : orders) {
            QAction* action = menu->addAction(tr(order.text));
            action->setCheckable(true);
            action->setChecked(order.current);
            const int column = order.column;
            // The order already shown stays as it is, not turned round.
            if (order.current) {
                continue;
            }
            connect(action, &QAction::triggered, &view_, [this, forPersons, column] {
                if (forPersons) {
                    view_.SortPersonsBy(column);
                } else {
                    view_.SortContactsBy(column);
                }
            });
        }
        return menu;
    }
    if (auto* button = qobject_cast<QPushButton*>(control)) {
        const QString value = button->property("value").toString();
        QAction* copy = menu->addAction(tr("&Copy"));
        copy->setEnabled(!value.isEmpty());
        connect(copy, &QAction::triggered, this,
                [value] { QGuiApplication::clipboard()->setText(value); });
        return menu;
    }
    delete menu;
    return nullptr;
}
