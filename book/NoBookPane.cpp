#include "NoBookPane.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "DialogUnits.h"

NoBookPane::NoBookPane(QWidget* parent) : QWidget(parent) {
    const platform::DialogUnits du(font());
    auto* outer = new QVBoxLayout(this);
    outer->addStretch(1);
    auto* column = new QVBoxLayout;
    column->setSpacing(du.Y(6));
    auto* sentence = new QLabel(tr("No address book is open."), this);
    QFont larger = sentence->font();
    larger.setPointSizeF(larger.pointSizeF() * 1.3);
    sentence->setFont(larger);
    sentence->setAlignment(Qt::AlignHCenter);
    column->addWidget(sentence);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    // No mnemonics: Alt+N and Alt+O would take nothing the menus lack, and Alt+F, E, C, P, R,
    // V and H are the menu bar's.
    new_ = new QPushButton(tr("New Address Book..."), this);
    open_ = new QPushButton(tr("Open Address Book..."), this);
    for (QPushButton* button : {new_, open_}) {
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    buttons->addStretch(1);
    column->addLayout(buttons);
    recentTitle_ = new QLabel(tr("Opened last:"), this);
    recentTitle_->setAlignment(Qt::AlignHCenter);
    column->addWidget(recentTitle_);
    recentLayout_ = new QVBoxLayout;
    column->addLayout(recentLayout_);
    auto* centred = new QHBoxLayout;
    centred->addStretch(1);
    centred->addLayout(column);
    centred->addStretch(1);
    outer->addLayout(centred);
    outer->addStretch(2);
    connect(new_, &QPushButton::clicked, this, &NoBookPane::NewRequested);
    connect(open_, &QPushButton::clicked, this, &NoBookPane::OpenRequested);
    SetRecentBooks({});
}

void NoBookPane::SetRecentBooks(const QStringList& paths) {
    if (paths == paths_ && !links_.isEmpty()) {
        return;
    }
    paths_ = paths;
    qDeleteAll(links_);
    links_.clear();
    for (const QString& path : paths) {
        auto* link = new QLabel(this);
        link->setTextFormat(Qt::RichText);
        // The file's name as the link, its whole path beside it to tell two of a name apart.
        link->setText(tr("<a href=\"%1\">%2</a> &nbsp; %3")
                          .arg(QString::fromLatin1(QUrl::toPercentEncoding(path)),
                               QFileInfo(path).fileName().toHtmlEscaped(),
                               QDir::toNativeSeparators(path).toHtmlEscaped()));
        link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
        link->setFocusPolicy(Qt::TabFocus);
        link->setAlignment(Qt::AlignHCenter);
        link->setToolTip(tr("Open %1").arg(QDir::toNativeSeparators(path)));
        connect(link, &QLabel::linkActivated, this, [this, path] { emit RecentRequested(path); });
        recentLayout_->addWidget(link);
        links_.append(link);
    }
    recentTitle_->setVisible(!paths.isEmpty());
}
