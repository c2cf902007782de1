#include "HelpViewer.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QWhatsThis>
#include <QWidget>

#include "DialogUnits.h"
#include "HelpWindow.h"

// The pages are compiled into this static library; registering them here keeps the linker from
// dropping them from the program.
static void RegisterHelpPages() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(help);
        return true;
    }();
    (void)registered;
}

namespace help {

namespace {

const QString kIntroductionPage = QStringLiteral("html/Introduction.htm");

HelpRequestHandler& Handler() {
    static HelpRequestHandler handler;
    return handler;
}

// The one help window, made on first use. While a modal dialog is up it lives inside that
// dialog, which would otherwise block it.
HelpWindow* Window(bool contentsForNewWindow) {
    static QPointer<HelpWindow> window;
    RegisterHelpPages();
    if (!window) {
        window = new HelpWindow;
        window->SetContentsShown(contentsForNewWindow);
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, window, &QObject::deleteLater);
    }
    window->MoveTo(QApplication::activeModalWidget());
    return window;
}

void ShowPopupAt(QWidget* at, int popup, const QString& helpFile) {
    if (!at || popup == 0) {
        return;
    }
    // The click that asked in what's-this mode is answered: the mode ends, as it does when the
    // text is shown.
    QWhatsThis::leaveWhatsThisMode();
    if (Handler()) {
        HelpRequest request;
        request.kind = HelpRequest::Popup;
        request.widget = at;
        request.reference = helpFile;
        request.popup = popup;
        Handler()(request);
        return;
    }
    const QString text = PopupText(popup);
    if (!text.isEmpty()) {
        QWhatsThis::showText(at->mapToGlobal(at->rect().center()), text, at);
    }
}

// F1 and what's-this clicks on the controls of one dialog.
class PopupHelpFilter : public QObject {
public:
    PopupHelpFilter(QWidget* dialog, const QString& helpFile, const PopupTable& table)
        : QObject(dialog), dialog_(dialog), helpFile_(helpFile), table_(table) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        const bool key = type == QEvent::KeyPress || type == QEvent::ShortcutOverride;
        if (!key && type != QEvent::WhatsThis && type != QEvent::QueryWhatsThis) {
            return false;
        }
        if (!watched->isWidgetType() || !dialog_) {
            return false;
        }
        auto* widget = static_cast<QWidget*>(watched);
        if (widget != dialog_ && !dialog_->isAncestorOf(widget)) {
            return false;
        }
        if (key) {
            const auto* press = static_cast<QKeyEvent*>(event);
            if (press->key() != Qt::Key_F1 ||
                (press->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier ||
                widget != QApplication::focusWidget()) {
                return false;
            }
        }
        int popup = 0;
        QWidget* control = Resolve(widget, &popup);
        if (!control) {
            return false;
        }
        event->accept();
        if (type == QEvent::KeyPress || type == QEvent::WhatsThis) {
            ShowPopupAt(control, popup, helpFile_);
        }
        // A key override only claims F1 from the window's shortcuts; the key press follows.
        return true;
    }

private:
    // The nearest control, from the widget outwards, that has a pop-up in the table. A label
    // without a number of its own uses its buddy's.
    QWidget* Resolve(QWidget* widget, int* popup) const {
        for (QWidget* at = widget; at; at = at->parentWidget()) {
            const int id = platform::ControlId(at);
            if (id != 0) {
                *popup = PopupNumber(id, table_);
                return *popup != 0 ? at : nullptr;
            }
            if (const auto* label = qobject_cast<QLabel*>(at); label && label->buddy()) {
                *popup = PopupNumber(platform::ControlId(label->buddy()), table_);
                if (*popup != 0) {
                    return at;
                }
            }
            if (at == dialog_) {
                break;
            }
        }
        return nullptr;
    }

    QPointer<QWidget> dialog_;
    QString helpFile_;
    PopupTable table_;
};

}  // namespace

QString HelpFilePath() {
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath() + QDir::separator() +
                                    QStringLiteral("Tidemark.chm"));
}

QString TopicReference(const QString& topicPart) {
    return HelpFilePath() + topicPart;
}

std::vector<HelpTopic> ContentsTopics() {
    // The titles are the help window's own texts.
    return {
        {kIntroductionPage, HelpWindow::tr("Introduction")},
        {QStringLiteral("html/addrinfdlg.htm"), HelpWindow::tr("Adding and Editing Persons")},
        {QStringLiteral("html/contactdlg.htm"), HelpWindow::tr("Logging Contacts")},
        {QStringLiteral("html/userinfdlg.htm"), HelpWindow::tr("Your User Information")},
        {QStringLiteral("html/transfer.htm"), HelpWindow::tr("Exporting and Importing Text Files")},
        {QStringLiteral("html/vcard.htm"), HelpWindow::tr("Importing and Exporting vCard Files")},
        {QStringLiteral("html/sync.htm"),
         HelpWindow::tr("Keeping an Address Book in Step with a Server")},
        {QStringLiteral("html/addrrptdlg.htm"), HelpWindow::tr("Printing an Address Book")},
        {QStringLiteral("html/cntrptdlg.htm"), HelpWindow::tr("Printing Contacts")},
        {QStringLiteral("html/envrptdlg.htm"), HelpWindow::tr("Printing Envelopes")},
        {QStringLiteral("html/actrptdlg.htm"), HelpWindow::tr("Charting Contact Activity")},
    };
}

QString TopicPage(const QString& topicReference) {
    // "<folder>/Tidemark.chm::/html/contactdlg.htm>topic": the page lies between "::/" and the
    // window name after ">".
    const int start = topicReference.indexOf(QStringLiteral("::/"));
    if (start < 0) {
        return kIntroductionPage;
    }
    QString page = topicReference.mid(start + 3);
    const int window = page.indexOf(QLatin1Char('>'));
    if (window >= 0) {
        page.truncate(window);
    }
    QString anchor;
    const int hash = page.indexOf(QLatin1Char('#'));
    if (hash >= 0) {
        anchor = page.mid(hash);
        page.truncate(hash);
    }
    // Page names in a help file do not depend on letter case.
    for (const HelpTopic& topic : ContentsTopics()) {
        if (topic.page.compare(page.trimmed(), Qt::CaseInsensitive) == 0) {
            return anchor.size() > 1 ? topic.page + anchor : topic.page;
        }
    }
    return kIntroductionPage;
}

QString PageResourcePath(const QString& page) {
    RegisterHelpPages();
    return QStringLiteral(":/help/") + page;
}

// Hands a page request to the test handler when one is installed; true when it took it.
static bool Handled(HelpRequest::Kind kind, QWidget* owner, const QString& topicReference) {
    if (!Handler()) {
        return false;
    }
    HelpRequest request;
    request.kind = kind;
    request.widget = owner;
    request.reference = topicReference;
    Handler()(request);
    return true;
}

void ShowContents(QWidget* owner, const QString& topicReference) {
    if (Handled(HelpRequest::Contents, owner, topicReference)) {
        return;
    }
    HelpWindow* window = Window(true);
    window->SetContentsShown(true);
    window->ShowPage(TopicPage(topicReference));
    window->Present(owner);
}

void ShowTopic(QWidget* owner, const QString& topicReference) {
    if (Handled(HelpRequest::Topic, owner, topicReference)) {
        return;
    }
    HelpWindow* window = Window(false);
    window->ShowPage(TopicPage(topicReference));
    window->Present(owner);
}

int PopupNumber(int controlNumber, const PopupTable& table) {
    if (controlNumber == 0) {
        return 0;
    }
    for (const PopupPair& pair : table) {
        if (pair.control == 0 && pair.popup == 0) {
            break;
        }
        if (pair.control == controlNumber) {
            return pair.popup;
        }
    }
    return 0;
}

void ShowControlPopup(QWidget* control, const QString& helpFile, const PopupTable& table) {
    if (!control) {
        return;
    }
    ShowPopupAt(control, PopupNumber(platform::ControlId(control), table), helpFile);
}

void InstallPopupHelp(QWidget* dialog, const QString& helpFile, const PopupTable& table) {
    if (!dialog || !qApp) {
        return;
    }
    qApp->installEventFilter(new PopupHelpFilter(dialog, helpFile, table));
}

void SetHelpRequestHandler(HelpRequestHandler handler) {
    Handler() = std::move(handler);
}

}  // namespace help
