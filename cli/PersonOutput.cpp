#include "PersonOutput.h"

#include <QJsonArray>
#include <QRegularExpression>

#include "StoredText.h"

namespace {

const char* const kCaptions[PersonRecord::FieldCount] = {
    QT_TRANSLATE_NOOP("PersonOutput", "Title"),
    QT_TRANSLATE_NOOP("PersonOutput", "First name"),
    QT_TRANSLATE_NOOP("PersonOutput", "Last name"),
    QT_TRANSLATE_NOOP("PersonOutput", "Company"),
    QT_TRANSLATE_NOOP("PersonOutput", "Position"),
    QT_TRANSLATE_NOOP("PersonOutput", "Address"),
    QT_TRANSLATE_NOOP("PersonOutput", "City"),
    QT_TRANSLATE_NOOP("PersonOutput", "State"),
    QT_TRANSLATE_NOOP("PersonOutput", "Zip"),
    QT_TRANSLATE_NOOP("PersonOutput", "Home phone"),
    QT_TRANSLATE_NOOP("PersonOutput", "Work phone"),
    QT_TRANSLATE_NOOP("PersonOutput", "Extension"),
    QT_TRANSLATE_NOOP("PersonOutput", "Mobile phone"),
    QT_TRANSLATE_NOOP("PersonOutput", "Pager"),
    QT_TRANSLATE_NOOP("PersonOutput", "Work fax"),
    QT_TRANSLATE_NOOP("PersonOutput", "E-mail"),
    QT_TRANSLATE_NOOP("PersonOutput", "Web page"),
};

QString Stored(std::string_view text) {
    QString shown = FromStoredText(text);
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return shown;
}

QJsonArray ContactsJson(const ContactRowList& contacts) {
    QJsonArray array;
    for (size_t row = 0; row < contacts.size(); ++row) {
        QJsonObject contact;
        contact[QLatin1String("id")] = Stored(contacts.Id(row));
        contact[QLatin1String("when")] =
            QString::fromStdString(FormatStoredTimeStamp(contacts.When(row)));
        contact[QLatin1String("type")] = Stored(contacts.Type(row));
        contact[QLatin1String("notes")] = Stored(contacts.Notes(row));
        array.append(contact);
    }
    return array;
}

}  // namespace

QString PersonOutput::Caption(PersonRecord::Field field) {
    return tr(kCaptions[field]);
}

QString PersonOutput::OneLine(const std::string& stored) {
    QString text = FromStoredText(stored);
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    for (QChar& c : text) {
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            c = QLatin1Char(' ');
        }
    }
    return text;
}

QString PersonOutput::ListLine(const PersonRecord& person) {
    const QStringList columns = {
        OneLine(person.id),
        OneLine(person.DisplayName()),
        OneLine(person[PersonRecord::Company]),
        OneLine(person[PersonRecord::Email]),
        OneLine(WorkPhoneText(person[PersonRecord::WkPhone], person[PersonRecord::WkExt])),
    };
    return columns.join(QLatin1Char('\t'));
}

QJsonObject PersonOutput::Json(const PersonRecord& person) {
    QJsonObject object;
    object[QLatin1String("id")] = Stored(person.id);
    object[QLatin1String("name")] = Stored(person.DisplayName());
    for (int f = 0; f < PersonRecord::FieldCount; ++f) {
        const auto field = static_cast<PersonRecord::Field>(f);
        object[QLatin1String(PersonRecord::ColumnName(field))] = Stored(person[field]);
    }
    return object;
}

QJsonObject PersonOutput::Json(const PersonRecord& person, const ContactRowList& contacts) {
    QJsonObject object = Json(person);
    object[QLatin1String("contacts")] = ContactsJson(contacts);
    return object;
}

QString PersonOutput::Text(const PersonRecord& person, const ContactRowList& contacts) {
    QString text = Stored(person.DisplayName()) + QLatin1Char('\n');
    for (int f = 0; f < PersonRecord::FieldCount; ++f) {
        const auto field = static_cast<PersonRecord::Field>(f);
        const QString value = Stored(person[field]);
        if (value.trimmed().isEmpty()) {
            continue;
        }
        // The lines of an address stay under one another, after the caption.
        const QString caption = Caption(field) + QLatin1Char(':');
        const QString indent(caption.size() + 1, QLatin1Char(' '));
        QString shown = value;
        shown.replace(QLatin1Char('\n'), QLatin1Char('\n') + indent);
        text += caption + QLatin1Char(' ') + shown + QLatin1Char('\n');
    }
    text += tr("Record id: %1").arg(Stored(person.id)) + QLatin1Char('\n');
    if (contacts.empty()) {
        return text;
    }
    text += QLatin1Char('\n') + tr("Contacts:") + QLatin1Char('\n');
    for (size_t row = 0; row < contacts.size(); ++row) {
        const ContactRow contact = contacts[row];
        const QString when = QString::fromStdString(FormatStoredTimeStamp(contact.when)).left(16);
        text +=
            QStringLiteral("%1\t%2\t%3\n").arg(when, Stored(contact.type), OneLine(contact.notes));
    }
    return text;
}

QStringList PersonOutput::EmailAddresses(const std::string& stored) {
    static const QRegularExpression separators(QStringLiteral("[,;\\s]+"));
    return FromStoredText(stored).split(separators, Qt::SkipEmptyParts);
}
