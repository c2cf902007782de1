#pragma once

#include <string>
#include <vector>

#include <QGroupBox>

#include "VCardSync.h"

class QFormLayout;
class QLabel;

namespace syncui {

// "More on the card": what a synced person's card holds beyond the book's fields (further
// e-mail addresses and phone numbers with their types, birthday, nicknames, notes, categories),
// read-only, under the details, kind by kind. An address or number is a link: mail or dial, as the
// buttons of the details do. Hidden for a person with nothing more, or not synced.
class CardExtrasPanel : public QGroupBox {
    Q_OBJECT
public:
    explicit CardExtrasPanel(QWidget* parent = nullptr);

    // Shows these (carddav::CardExtras of the person); none hides the panel.
    void ShowExtras(std::vector<transfer::vcard::CardExtra> extras);

    // The rows shown: "E-mail (home): ann@home.example".
    QStringList Rows() const;
    // The value labels, in the order of the rows.
    const std::vector<QLabel*>& Values() const { return values_; }

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

signals:
    void MailRequested(const QString& address);
    void DialRequested(const QString& number);

private:
    QFormLayout* form_ = nullptr;
    std::vector<QLabel*> labels_, values_;
};

}  // namespace syncui
