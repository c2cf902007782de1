#include "CardExtrasPanel.h"

#include <algorithm>

#include <QDate>
#include <QFormLayout>
#include <QLabel>
#include <QLocale>
#include <QTextDocumentFragment>
#include <QUrl>

namespace syncui {

using transfer::vcard::CardExtra;

namespace {

QString U(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<int>(s.size()));
}

QString KindName(CardExtra::Kind kind) {
    switch (kind) {
        case CardExtra::Kind::Email:
            return CardExtrasPanel::tr("E-Mail");
        case CardExtra::Kind::Phone:
            return CardExtrasPanel::tr("Phone");
        case CardExtra::Kind::Birthday:
            return CardExtrasPanel::tr("Birthday");
        case CardExtra::Kind::Nickname:
            return CardExtrasPanel::tr("Nickname");
        case CardExtra::Kind::Note:
            return CardExtrasPanel::tr("Notes");
        case CardExtra::Kind::Categories:
            return CardExtrasPanel::tr("Categories");
    }
    return QString();
}

// A birthday in the locale's words where it is a whole date ("1980-04-12", "19800412"); as
// written otherwise ("--0412", a year unknown).
QString Birthday(const QString& value) {
    const QString day = value.section(QLatin1Char('T'), 0, 0);
    for (const char* format : {"yyyy-MM-dd", "yyyyMMdd"}) {
        const QDate date = QDate::fromString(day, QLatin1String(format));
        if (date.isValid()) {
            return QLocale().toString(date, QLocale::LongFormat);
        }
    }
    return value;
}

}  // namespace

CardExtrasPanel::CardExtrasPanel(QWidget* parent) : QGroupBox(tr("More on the card"), parent) {
    setObjectName(QStringLiteral("cardExtras"));
    setToolTip(
        tr("What the card on the server holds beyond the fields of the book: read-only "
           "here, kept as it is by every sync"));
    form_ = new QFormLayout(this);
    form_->setRowWrapPolicy(QFormLayout::WrapLongRows);
    hide();
}

void CardExtrasPanel::ShowExtras(std::vector<CardExtra> extras) {
    // By kind, each kind in the card's order: servers write the lines in orders of their own.
    std::stable_sort(extras.begin(), extras.end(), [](const CardExtra& a, const CardExtra& b) {
        return static_cast<int>(a.kind) < static_cast<int>(b.kind);
    });
    while (form_->rowCount() > 0) {
        form_->removeRow(0);
    }
    labels_.clear();
    values_.clear();
    for (const CardExtra& extra : extras) {
        QString name = KindName(extra.kind);
        if (!extra.types.empty()) {
            name += QStringLiteral(" (%1)").arg(U(extra.types));
        }
        const QString value = U(extra.value);
        auto* label = new QLabel(name + QLatin1Char(':'), this);
        auto* shown = new QLabel(this);
        shown->setWordWrap(true);
        shown->setAccessibleName(name);
        if (extra.kind == CardExtra::Kind::Email || extra.kind == CardExtra::Kind::Phone) {
            const bool mail = extra.kind == CardExtra::Kind::Email;
            shown->setTextFormat(Qt::RichText);
            shown->setText(QStringLiteral("<a href=\"%1\">%2</a>")
                               .arg(QString::fromLatin1(QUrl::toPercentEncoding(value)),
                                    value.toHtmlEscaped()));
            shown->setTextInteractionFlags(Qt::TextBrowserInteraction);
            shown->setToolTip(mail ? tr("Write to %1").arg(value) : tr("Dial %1").arg(value));
            connect(shown, &QLabel::linkActivated, this, [this, mail, value] {
                if (mail) {
                    emit MailRequested(value);
                } else {
                    emit DialRequested(value);
                }
            });
        } else {
            shown->setTextFormat(Qt::PlainText);
            shown->setTextInteractionFlags(Qt::TextSelectableByMouse);
            QString text = value;
            text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
            shown->setText(extra.kind == CardExtra::Kind::Birthday ? Birthday(text) : text);
        }
        form_->addRow(label, shown);
        labels_.push_back(label);
        values_.push_back(shown);
    }
    setVisible(!extras.empty());
    updateGeometry();
}

QStringList CardExtrasPanel::Rows() const {
    QStringList rows;
    for (size_t i = 0; i < labels_.size(); ++i) {
        const QString value =
            values_[i]->textFormat() == Qt::RichText
                ? QTextDocumentFragment::fromHtml(values_[i]->text()).toPlainText()
                : values_[i]->text();
        rows << labels_[i]->text() + QLatin1Char(' ') + value;
    }
    return rows;
}

int CardExtrasPanel::heightForWidth(int width) const {
    return layout() ? layout()->totalHeightForWidth(width) : sizeHint().height();
}

}  // namespace syncui
