#include "HelpWindow.h"

#include <algorithm>

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QListWidget>
#include <QMargins>
#include <QScreen>
#include <QShortcut>
#include <QSplitter>
#include <QStyle>
#include <QTextBrowser>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include "HelpViewer.h"

namespace help {

namespace {

// The look of every page; the pages themselves carry only structure.
const char kPageStyle[] =
    "body { margin: 6px; }"
    "h1 { font-size: x-large; font-weight: bold; margin-bottom: 8px; }"
    "h2 { font-size: large; font-weight: bold; margin-top: 14px; margin-bottom: 4px; }"
    "p { margin-top: 4px; margin-bottom: 6px; }"
    "li { margin-bottom: 3px; }"
    "table { border-collapse: collapse; border-color: #b4bac4; margin-top: 4px; }"
    "th { text-align: left; background-color: #e4e8ee; padding: 3px;"
    " border: 1px solid #b4bac4; }"
    "td { padding: 3px; vertical-align: top; border: 1px solid #c8ccd4; }"
    "p.note { background-color: #f3f0dc; padding: 4px; }"
    "p.see { margin-top: 14px; }";

QString PagePath(const QString& page) {
    const int hash = page.indexOf(QLatin1Char('#'));
    return hash < 0 ? page : page.left(hash);
}

QToolButton* MakeButton(const QString& text, const QString& tip, const QKeySequence& key,
                        QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setText(text);
    // The tip, then the key in brackets.
    button->setToolTip(
        key.isEmpty() ? tip
                      : HelpWindow::tr("%1 (%2)").arg(tip, key.toString(QKeySequence::NativeText)));
    button->setAutoRaise(true);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    if (!key.isEmpty()) {
        button->setShortcut(key);
    }
    return button;
}

}  // namespace

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("helpWindow"));
    setWindowTitle(tr("Tidemark Help"));
    // The help stays open beside the program but never keeps it running on its own.
    setAttribute(Qt::WA_QuitOnClose, false);

    auto* back = MakeButton(tr("Back"), tr("Go back to the page before"),
                            QKeySequence(QKeySequence::Back), this);
    auto* forward = MakeButton(tr("Forward"), tr("Go forward again"),
                               QKeySequence(QKeySequence::Forward), this);
    auto* home = MakeButton(tr("Home"), tr("Show the introduction"), QKeySequence(), this);
    contentsButton_ =
        MakeButton(tr("Contents"), tr("Show or hide the list of topics"), QKeySequence(), this);
    contentsButton_->setCheckable(true);
    contentsButton_->setChecked(true);
    back->setEnabled(false);
    forward->setEnabled(false);

    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(4, 2, 4, 2);
    bar->setSpacing(2);
    bar->addWidget(contentsButton_);
    bar->addSpacing(8);
    bar->addWidget(back);
    bar->addWidget(forward);
    bar->addWidget(home);
    bar->addStretch(1);

    contents_ = new QListWidget;
    contents_->setObjectName(QStringLiteral("helpContents"));
    contents_->setSpacing(2);
    for (const HelpTopic& topic : ContentsTopics()) {
        auto* item = new QListWidgetItem(topic.title, contents_);
        item->setData(Qt::UserRole, topic.page);
        item->setToolTip(topic.title);
    }

    browser_ = new QTextBrowser;
    browser_->setObjectName(QStringLiteral("helpBrowser"));
    browser_->setOpenExternalLinks(true);
    browser_->document()->setDefaultStyleSheet(QString::fromLatin1(kPageStyle));
    browser_->setSearchPaths({QStringLiteral(":/help/html")});

    splitter_ = new QSplitter(Qt::Horizontal);
    splitter_->addWidget(contents_);
    splitter_->addWidget(browser_);
    splitter_->setStretchFactor(0, 0);
    splitter_->setStretchFactor(1, 1);
    splitter_->setChildrenCollapsible(false);
    // Wide enough for every title whole at the desktop's font, translated ones too.
    int widest = 0;
    for (int row = 0; row < contents_->count(); ++row) {
        widest = std::max(widest,
                          contents_->fontMetrics().horizontalAdvance(contents_->item(row)->text()));
    }
    const int margins = 2 * contents_->frameWidth() + 2 * contents_->spacing() +
                        contents_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) * 2 + 12;
    const int contentsWidth = std::max(210, widest + margins);
    splitter_->setSizes({contentsWidth, 590});

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(bar);
    layout->addWidget(splitter_, 1);
    wanted_ = QSize(contentsWidth + 590, 560);
    resize(wanted_);

    connect(contentsButton_, &QToolButton::toggled, contents_, &QWidget::setVisible);
    connect(back, &QToolButton::clicked, browser_, &QTextBrowser::backward);
    connect(forward, &QToolButton::clicked, browser_, &QTextBrowser::forward);
    connect(home, &QToolButton::clicked, this,
            [this] { ShowPage(QStringLiteral("html/Introduction.htm")); });
    connect(browser_, &QTextBrowser::backwardAvailable, back, &QWidget::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward, &QWidget::setEnabled);
    connect(browser_, &QTextBrowser::sourceChanged, this, &HelpWindow::PageChanged);
    connect(contents_, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        if (item) {
            ShowPage(item->data(Qt::UserRole).toString());
        }
    });
    connect(contents_, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { ShowPage(item->data(Qt::UserRole).toString()); });

    auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(close, &QShortcut::activated, this, &QWidget::close);
}

void HelpWindow::ShowPage(const QString& page) {
    const QUrl url(QStringLiteral("qrc") + PageResourcePath(page));
    if (browser_->source() == url) {
        return;
    }
    browser_->setSource(url);
}

void HelpWindow::SetContentsShown(bool shown) {
    contentsButton_->setChecked(shown);
}

bool HelpWindow::ContentsShown() const {
    return contentsButton_->isChecked();
}

QRect PlaceOverOwner(const QSize& wanted, const QMargins& frame, const QRect& ownerFrame,
                     const QRect& available) {
    const QSize extra(frame.left() + frame.right(), frame.top() + frame.bottom());
    const QSize size = wanted.boundedTo(available.size() - extra).expandedTo(QSize(1, 1));
    QRect outer(QPoint(0, 0), size + extra);
    outer.moveCenter(ownerFrame.isValid() ? ownerFrame.center() : available.center());
    // Right and bottom first, so that a window as large as the area keeps its title bar on it.
    outer.moveLeft(std::min(outer.left(), available.right() - outer.width() + 1));
    outer.moveTop(std::min(outer.top(), available.bottom() - outer.height() + 1));
    outer.moveLeft(std::max(outer.left(), available.left()));
    outer.moveTop(std::max(outer.top(), available.top()));
    return QRect(outer.topLeft() + QPoint(frame.left(), frame.top()), size);
}

void HelpWindow::PlaceOver(QWidget* owner) {
    QWidget* anchor = owner ? owner->window() : QApplication::activeModalWidget();
    if (!anchor) {
        anchor = QApplication::activeWindow();
    }
    if (anchor == this) {
        anchor = nullptr;
    }
    const QScreen* screen = anchor ? anchor->screen() : QGuiApplication::primaryScreen();
    if (!screen) {
        return;
    }
    // The window manager's frame is known only once a window is shown: the owner's is the
    // nearest guess, else a common title bar.
    QMargins frame(4, 30, 4, 4);
    QRect ownerFrame;
    if (anchor && anchor->isVisible()) {
        ownerFrame = anchor->frameGeometry();
        const QRect inner = anchor->geometry();
        if (ownerFrame.contains(inner) && ownerFrame != inner) {
            frame =
                QMargins(inner.left() - ownerFrame.left(), inner.top() - ownerFrame.top(),
                         ownerFrame.right() - inner.right(), ownerFrame.bottom() - inner.bottom());
        }
    }
    setGeometry(PlaceOverOwner(wanted_, frame, ownerFrame, screen->availableGeometry()));
}

void HelpWindow::Present(QWidget* owner) {
    if (!isVisible()) {
        PlaceOver(owner);
    }
    if (isMinimized()) {
        showNormal();
    } else {
        show();
    }
    raise();
    activateWindow();
}

void HelpWindow::MoveTo(QWidget* host) {
    if (host == parentWidget()) {
        return;
    }
    if (host_) {
        host_->removeEventFilter(this);
    }
    const bool wasShown = isVisible();
    const QRect place = geometry();
    setParent(host, Qt::Window);
    // A window not shown yet has no place of its own; Present gives it one.
    if (wasShown) {
        setGeometry(place);
    }
    host_ = host;
    if (host_) {
        host_->installEventFilter(this);
    }
    if (wasShown) {
        show();
    }
}

bool HelpWindow::eventFilter(QObject* watched, QEvent* event) {
    // A dialog that closes would take the help window with it; it stays, on its own.
    if (watched == host_ && event->type() == QEvent::Hide) {
        MoveTo(nullptr);
    }
    return QWidget::eventFilter(watched, event);
}

void HelpWindow::PageChanged(const QUrl& source) {
    const QString title = browser_->documentTitle();
    setWindowTitle(title.isEmpty() ? tr("Tidemark Help") : tr("Tidemark Help - %1").arg(title));
    // The browser reports the new source before it answers source() with it.
    const QString path = source.path();  // "/help/html/contactdlg.htm"
    for (int row = 0; row < contents_->count(); ++row) {
        QListWidgetItem* item = contents_->item(row);
        if (PageResourcePath(PagePath(item->data(Qt::UserRole).toString())) ==
            QLatin1Char(':') + path) {
            const QSignalBlocker quiet(contents_);
            contents_->setCurrentItem(item);
            return;
        }
    }
}

}  // namespace help
