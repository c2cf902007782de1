#include "ConverterDialog.h"

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>

#include <algorithm>
#include <limits>

#include "ConvertMessage.h"
#include "DialogUnits.h"
#include "FileDialog.h"

namespace {

// The layout's sizes were made for a narrower font than most desktops use; a text grows to show
// all of its lines rather than be cut off.
QLabel* AddText(QWidget* parent, const QString& text, QRect rect, bool wrap = true) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(wrap);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    if (wrap) {
        rect.setHeight(std::max(rect.height(), label->heightForWidth(rect.width())));
    } else {
        rect.setWidth(std::max(rect.width(), label->sizeHint().width()));
        rect.setHeight(std::max(rect.height(), label->sizeHint().height()));
    }
    label->setGeometry(rect);
    return label;
}

QPixmap DrawIcon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size / 32.0;
    // An address book with a tide line across it.
    p.setPen(QPen(QColor(0x1f, 0x3a, 0x5f), 1.5 * s));
    p.setBrush(QColor(0xf4, 0xef, 0xe1));
    p.drawRoundedRect(QRectF(5 * s, 3 * s, 22 * s, 26 * s), 2.5 * s, 2.5 * s);
    p.setBrush(QColor(0x1f, 0x3a, 0x5f));
    p.drawRect(QRectF(5 * s, 3 * s, 4 * s, 26 * s));
    QPainterPath wave;
    wave.moveTo(9 * s, 20 * s);
    wave.cubicTo(13 * s, 16 * s, 17 * s, 24 * s, 21 * s, 20 * s);
    wave.cubicTo(23 * s, 18 * s, 25 * s, 18 * s, 27 * s, 19 * s);
    wave.lineTo(27 * s, 27 * s);
    wave.lineTo(9 * s, 27 * s);
    wave.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x2b, 0x7a, 0xb8));
    p.drawPath(wave);
    p.setPen(QPen(QColor(0x1f, 0x3a, 0x5f), 1.5 * s));
    p.drawLine(QPointF(12 * s, 9 * s), QPointF(24 * s, 9 * s));
    p.drawLine(QPointF(12 * s, 13 * s), QPointF(21 * s, 13 * s));
    return pixmap;
}

}  // namespace

QIcon ConverterIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64}) {
        icon.addPixmap(DrawIcon(size));
    }
    return icon;
}

ConverterDialog::ConverterDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
    setWindowTitle(tr("Tidemark Import Tool (Version 1 to Version 2)"));
    setWindowIcon(ConverterIcon());
    const platform::DialogUnits du(font());
    setFixedSize(du.X(255), du.Y(157));

    // In tab order.
    closeButton_ = platform::PlaceButton(
        this, du, QT_TRANSLATE_NOOP("platform::DialogButton", "Cl&ose"), 1, 146, 135, 50, 14);
    closeButton_->setObjectName(QStringLiteral("close"));
    closeButton_->setDefault(true);
    aboutButton_ =
        platform::PlaceButton(this, du, QT_TRANSLATE_NOOP("platform::DialogButton", "&About..."),
                              57664, 197, 135, 50, 14);
    aboutButton_->setObjectName(QStringLiteral("about"));
    AddText(this, tr("Database To Convert:"), du.Rect(13, 104, 71, 12), false);
    fileEdit_ = new QLineEdit(this);
    fileEdit_->setMaxLength(std::numeric_limits<int>::max());
    fileEdit_->setObjectName(QStringLiteral("fileName"));
    platform::SetControlId(fileEdit_, 1000);
    fileEdit_->setAccessibleName(tr("Database To Convert"));
    fileEdit_->setGeometry(du.Rect(13, 117, 191, 12));
    browseButton_ = platform::PlaceButton(
        this, du, QT_TRANSLATE_NOOP("platform::DialogButton", "Browse..."), 1001, 210, 115, 37, 14);
    browseButton_->setObjectName(QStringLiteral("browse"));
    AddText(this,
            tr("Thank you for upgrading to Version 2 of Tidemark. This will assist you "
               "in converting Version 1 databases to the new database format."),
            du.Rect(13, 11, 228, 20));
    convertButton_ = platform::PlaceButton(
        this, du, QT_TRANSLATE_NOOP("platform::DialogButton", "&Convert"), 1002, 14, 136, 50, 14);
    convertButton_->setObjectName(QStringLiteral("convert"));
    AddText(this,
            tr("Simply type in the old database name into the edit box below, or use "
               "the button to the right to browse for the database you wish to "
               "convert."),
            du.Rect(14, 40, 214, 25));
    AddText(this,
            tr("The original database will be saved with the same name, but the "
               "extension \"org\" added to it. The converted database will be named "
               "with the same name as the original database."),
            du.Rect(13, 72, 224, 28));
    // Enter on a focused button presses that button, as it always has in this window.
    for (QPushButton* button : {closeButton_, aboutButton_, browseButton_, convertButton_}) {
        button->setAutoDefault(true);
    }

    convertButton_->setEnabled(false);
    connect(fileEdit_, &QLineEdit::textChanged, this, [this](const QString& text) {
        fileName_ = text;
        convertButton_->setEnabled(!text.isEmpty());
    });
    connect(closeButton_, &QPushButton::clicked, this, [this] { done(1); });
    connect(aboutButton_, &QPushButton::clicked, this, &ConverterDialog::ShowAbout);
    connect(browseButton_, &QPushButton::clicked, this, &ConverterDialog::Browse);
    connect(convertButton_, &QPushButton::clicked, this, &ConverterDialog::Convert);
    // Enter in the file field converts the file named there instead of pressing Close.
    fileEdit_->installEventFilter(this);

    // Centred on the screen it opens on.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), size());
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

bool ConverterDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == fileEdit_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            if (convertButton_->isEnabled()) {
                Convert();
            }
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void ConverterDialog::reject() {
    // Esc, and the close box through QDialog's close event, end the window as Close does.
    done(1);
}

void ConverterDialog::Browse() {
    platform::FileDialogRequest request;
    request.owner = this;
    request.kind = platform::FileDialogKind::Open;
    request.initialPath = fileName_;
    request.filters = QStringList{tr("Tidemark (*.tch)")};
    request.defaultSuffix = QStringLiteral("tch");
    request.confirmOverwrite = true;
    if (const std::optional<QString> path = platform::AskFileName(request)) {
        fileName_ = *path;
        fileEdit_->setText(*path);
    }
}

void ConverterDialog::Convert() {
    struct WaitCursor {
        WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
        ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    } wait;
    ConvertOutcome outcome;
    try {
        outcome = ::Convert(QFile::encodeName(fileName_).toStdString());
    } catch (const std::exception& e) {
        // What the conversion did not foresee still reaches the user.
        outcome = ConvertOutcome{
            ConvertResult::Failed,
            {ConvertMessage{QString::fromLocal8Bit(e.what()), tr("Error Converting Database"),
                            ConvertIcon::Error, ConvertMessageOwner::Window}}};
    }
    ShowConvertMessages(this, outcome.messages);
    lastResult_ = outcome.result;
}

void ConverterDialog::ShowAbout() {
    QWidget* owner = QApplication::activeWindow();
    ConverterAboutDialog about(owner ? owner : this);
    about.exec();
}

ConverterAboutDialog::ConverterAboutDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
    setWindowTitle(tr("About Tidemark Import Tool"));
    const platform::DialogUnits du(font());
    setFixedSize(du.X(235), du.Y(55));
    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("icon"));
    const QRect iconRect = du.Rect(11, 17, 20, 20);
    icon->setPixmap(ConverterIcon().pixmap(32, 32));
    icon->setGeometry(QRect(iconRect.topLeft(), QSize(32, 32)));
    AddText(this, tr("Tidemark Import Tool v1.0"), du.Rect(40, 10, 130, 8), false);
    AddText(this, tr("Turns version-1 files into version-2 databases."), du.Rect(40, 25, 130, 16));
    auto* ok = platform::PlaceButton(this, du, QT_TRANSLATE_NOOP("platform::DialogButton", "OK"), 1,
                                     178, 7, 50, 16);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, [this] { done(1); });
}
