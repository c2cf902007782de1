#pragma once

#include <functional>

#include <QCoreApplication>
#include <QObject>
#include <QPoint>

class MainView;
class QAction;
class QMenu;
class QWidget;

// The right-click menus of the main view. The person and contact lists offer the commands of
// their menus with the very actions of the menu bar, so that what is greyed there is greyed here
// too; for a person also the calls, mail and web page of the value buttons and Log Last Call.
// The value buttons offer Copy; the list headers offer the orders the headers sort by.
class ContextMenus : public QObject {
    Q_DECLARE_TR_FUNCTIONS(ContextMenus)

public:
    // The menu bar's action of a command, null for one it lacks.
    using ActionOf = std::function<QAction*(int command)>;

    // Watches the view's lists, headers and value buttons for as long as the view lives.
    static ContextMenus* Install(MainView& view, ActionOf actionOf);

    // The menu a right click at pos (in the control's coordinates) opens, or null where there is
    // none; the caller shows and deletes it. A click on a list row selects that row first.
    QMenu* MenuFor(QWidget* control, const QPoint& pos);

private:
    ContextMenus(MainView& view, ActionOf actionOf);
    void AddCommands(QMenu* menu, std::initializer_list<int> commands);
    void AddValueAction(QMenu* menu, const QString& text, std::initializer_list<int> buttons);

    MainView& view_;
    ActionOf actionOf_;
};
