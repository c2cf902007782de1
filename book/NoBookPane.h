#pragma once

#include <QStringList>
#include <QWidget>

class QLabel;
class QPushButton;
class QVBoxLayout;

// What the main view shows while no address book is open: the sentence that says so, the
// buttons that make or open one and the books opened last, as links.
class NoBookPane : public QWidget {
    Q_OBJECT
public:
    explicit NoBookPane(QWidget* parent = nullptr);

    // Most recent first; none hides the list.
    void SetRecentBooks(const QStringList& paths);
    QPushButton* NewButton() const { return new_; }
    QPushButton* OpenButton() const { return open_; }
    // The links of the recent books, in the order given.
    QList<QLabel*> RecentLinks() const { return links_; }

signals:
    void NewRequested();
    void OpenRequested();
    void RecentRequested(const QString& path);

private:
    QPushButton* new_ = nullptr;
    QPushButton* open_ = nullptr;
    QLabel* recentTitle_ = nullptr;
    QVBoxLayout* recentLayout_ = nullptr;
    QList<QLabel*> links_;
    QStringList paths_;
};
