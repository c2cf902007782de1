#include "RecentFileList.h"

#include <QAction>
#include <QMenu>

#include "RecentFiles.h"

namespace {

int CommandOf(const QAction* action) {
    bool ok = false;
    const int command = action->data().toInt(&ok);
    return ok ? command : 0;
}

QAction* FindCommand(const QMenu* menu, int command) {
    const auto actions = menu->actions();
    for (QAction* action : actions) {
        if (CommandOf(action) == command) {
            return action;
        }
    }
    return nullptr;
}

// A menu text shows "&&" as one ampersand; the path must show as it is.
QString MenuText(int k, const QString& path) {
    QString shown = path;
    shown.replace(QLatin1Char('&'), QLatin1String("&&"));
    return QStringLiteral("&%1 %2").arg(k).arg(shown);
}

}  // namespace

void RecentFileList::Attach(QMenu* menu) {
    menu_ = menu;
    emptyText_ = tr("(empty)");
    if (menu != nullptr) {
        if (const QAction* first = FindCommand(menu, kFirstCommand)) {
            emptyText_ = first->text();
        }
    }
}

bool RecentFileList::ReadFromSettings(const QString& productKey) {
    recent::StoredList stored;
    if (!recent::ReadStoredList(productKey, &stored)) {
        return false;
    }
    maximum_ = stored.maximum;
    entries_ = stored.entries;
    return UpdateMenu();
}

bool RecentFileList::WriteToSettings(const QString& productKey) const {
    return recent::WriteStoredList(productKey, recent::StoredList{maximum_, entries_});
}

void RecentFileList::Add(const QString& path) {
    if (!recent::Keepable(path)) {
        return;
    }
    entries_.removeIf([&](const QString& e) { return e.compare(path, Qt::CaseInsensitive) == 0; });
    while (entries_.size() >= maximum_) {
        entries_.removeFirst();
    }
    entries_.append(path);
    UpdateMenu();
}

void RecentFileList::MoveToTop(int command) {
    const int index = IndexOf(command);
    if (index >= 0) {
        entries_.append(entries_.takeAt(index));
    }
    UpdateMenu();
}

void RecentFileList::Remove(int command) {
    const int index = IndexOf(command);
    if (index >= 0) {
        entries_.removeAt(index);
    }
    UpdateMenu();
}

bool RecentFileList::UpdateMenu() {
    if (menu_.isNull()) {
        return false;
    }
    QMenu* menu = menu_.data();

    // The list's items go, wherever an earlier maximum left them; the first of them, item
    // 57616, marks the place of the new ones.
    const auto actions = menu->actions();
    qsizetype place = actions.size();
    qsizetype goneBefore = 0;
    for (qsizetype i = 0; i < actions.size(); ++i) {
        const int command = CommandOf(actions.at(i));
        if (command == kFirstCommand && place == actions.size()) {
            place = i;
        }
        if (command < kFirstCommand || command > kLastCommand) {
            continue;
        }
        if (i < place) {
            ++goneBefore;
        }
        QAction* action = actions.at(i);
        menu->removeAction(action);
        // A command may be running from this very item; it goes once control is back.
        if (action->parent() == menu) {
            action->deleteLater();
        }
    }
    QAction* before = menu->actions().value(place - goneBefore, nullptr);

    auto insert = [&](const QString& text, int command) {
        auto* action = new QAction(text, menu);
        action->setData(command);
        menu->insertAction(before, action);
        return action;
    };

    if (entries_.isEmpty()) {
        insert(emptyText_, kFirstCommand)->setEnabled(false);
        return true;
    }
    const int n = static_cast<int>(entries_.size());
    for (int k = 1; k <= n; ++k) {
        insert(MenuText(k, entries_.at(n - k)), kFirstCommand + k - 1);
    }
    return true;
}

QString RecentFileList::PathOf(int command) const {
    const int index = IndexOf(command);
    return index >= 0 ? entries_.at(index) : QString();
}

QStringList RecentFileList::Entries() const {
    QStringList recentFirst(entries_.rbegin(), entries_.rend());
    return recentFirst;
}

int RecentFileList::IndexOf(int command) const {
    const int k = command - kFirstCommand + 1;
    const int n = static_cast<int>(entries_.size());
    if (k < 1 || k > n) {
        return -1;
    }
    return n - k;
}
