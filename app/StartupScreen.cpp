#include "StartupScreen.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include "Picture.h"

StartupScreen::StartupScreen(QWidget* parent, int milliseconds)
    // Above the main window that opens meanwhile, for as long as it is shown.
    : QDialog(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(this);
    auto* picture = new platform::PictureControl(this);
    picture->setFixedSize(320, 180);
    layout->addWidget(picture);
    auto* tagline = new QLabel(tr("KNOW WHEN AND HOW YOU KEEP IN TOUCH!"), this);
    QFont taglineFont(QStringLiteral("MS Sans Serif"));
    taglineFont.setBold(true);
    tagline->setFont(taglineFont);
    tagline->setAlignment(Qt::AlignCenter);
    layout->addWidget(tagline);
    auto* name = new QLabel(tr("Tidemark"), this);
    QFont nameFont = font();
    nameFont.setPointSize(nameFont.pointSize() * 2);
    nameFont.setBold(true);
    name->setFont(nameFont);
    name->setAlignment(Qt::AlignCenter);
    layout->addWidget(name);
    auto* version = new QLabel(tr("Version 2.02"), this);
    version->setAlignment(Qt::AlignCenter);
    layout->addWidget(version);
    setStyleSheet(QStringLiteral("StartupScreen { border: 1px solid palette(dark); }"));
    adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = rect();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    QTimer::singleShot(milliseconds, this, &QDialog::close);
}

void StartupScreen::keyPressEvent(QKeyEvent*) {
    close();
}

void StartupScreen::mousePressEvent(QMouseEvent*) {
    close();
}
