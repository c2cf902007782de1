#pragma once

#include <QPointer>
#include <QSize>
#include <QWidget>

class QListWidget;
class QSplitter;
class QTextBrowser;
class QUrl;
class QToolButton;

namespace help {

// Where a window of the wanted client size goes over its owner: centred on the owner's frame,
// frame and all inside the available area, shrunk to fit where it must. Gives the client rectangle.
QRect PlaceOverOwner(const QSize& wanted, const QMargins& frame, const QRect& ownerFrame,
                     const QRect& available);

// The program's help window: the contents list on the left and the page on the right, with
// Back, Forward, Home and a button that shows or hides the contents.
class HelpWindow : public QWidget {
    Q_OBJECT

public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // Shows a page such as "html/contactdlg.htm" (an "#anchor" after it is kept).
    void ShowPage(const QString& page);
    void SetContentsShown(bool shown);
    bool ContentsShown() const;

    // Brings the window up in front, ready for the user. A window not yet shown opens over its
    // owner (else the active window), wholly on that window's screen.
    void Present(QWidget* owner = nullptr);

    // Makes the window a child of a modal dialog, so that the dialog does not block it, or (with
    // nullptr) a window of its own again. Keeps its place on the screen.
    void MoveTo(QWidget* host);

    QTextBrowser* Browser() const { return browser_; }
    QListWidget* Contents() const { return contents_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void PageChanged(const QUrl& source);
    void PlaceOver(QWidget* owner);

    QListWidget* contents_ = nullptr;
    QTextBrowser* browser_ = nullptr;
    QSplitter* splitter_ = nullptr;
    QSize wanted_;  // the first size: the contents whole beside the page
    QToolButton* contentsButton_ = nullptr;
    QPointer<QWidget> host_;
};

}  // namespace help
