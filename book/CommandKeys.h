#pragma once

#include <functional>

#include <QObject>

class MainView;

// The keys and clicks of the main view's lists and search field that stand for commands: in a
// list Insert adds, Delete deletes (once, however long the key is held), Enter, F2, Ctrl
// pressed and released alone, and a double click edit; in the search field Enter opens the
// person found, Down goes into the list and Esc clears it. Each command is offered as the menus
// offer it, and carried out by run.
class CommandKeys : public QObject {
public:
    using Run = std::function<void(int command)>;

    // Watches the view's lists and search field for as long as the view lives.
    static void Install(MainView& view, Run run);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CommandKeys(MainView& view, Run run);
    // Runs the command if the view's state offers it.
    void Send(int command);
    bool ListKey(bool persons, QEvent* event);
    bool SearchKey(QEvent* event);

    MainView& view_;
    Run run_;
    const QObject* search_;
    const QObject* persons_;
    const QObject* contacts_;
    bool ctrlAlone_ = false;
};
