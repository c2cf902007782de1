#include "ListModels.h"

#include <QCoreApplication>

#include "StoredText.h"

namespace {

QString Shown(std::string_view text) {
    return FromStoredText(text);
}

// A list row shows one line; the notes column shows the first line of a description.
QString FirstLine(std::string_view s) {
    return Shown(s.substr(0, s.find_first_of("\r\n")));
}

// The lists' headings, in the main view's words.
QString Heading(const char* text) {
    return QCoreApplication::translate("MainView", text);
}

}  // namespace

PersonListModel::PersonListModel(QObject* parent)
    : RowListModel({Heading(QT_TRANSLATE_NOOP("MainView", "Name")),
                    Heading(QT_TRANSLATE_NOOP("MainView", "Company")),
                    Heading(QT_TRANSLATE_NOOP("MainView", "Last Contact"))},
                   parent) {}

void PersonListModel::SetLastContact(int row, DateTime when) {
    if (row < 0 || row >= rowCount()) {
        return;
    }
    EditRows().SetLastContact(static_cast<size_t>(row), when);
    emit dataChanged(index(row, LastContactColumn), index(row, LastContactColumn),
                     {Qt::DisplayRole});
}

void PersonListModel::SetMarked(std::set<RecordId, std::less<>> persons, QIcon icon, QString tip) {
    if (persons == marked_ && tip == markTip_) {
        return;
    }
    marked_ = std::move(persons);
    markIcon_ = std::move(icon);
    markTip_ = std::move(tip);
    if (rowCount() > 0) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, 0),
                         {Qt::DecorationRole, Qt::ToolTipRole});
    }
}

QVariant PersonListModel::Cell(size_t row, int column, int role) const {
    const bool marked = column == 0 && !marked_.empty() && marked_.count(Rows().Id(row)) > 0;
    if (role == Qt::DecorationRole) {
        return marked ? QVariant(markIcon_) : QVariant();
    }
    if (column == LastContactColumn) {
        const DateTime last = Rows().LastContact(row);
        if (role == Qt::DisplayRole) {
            return QString::fromStdString(FormatDisplayDate(last));
        }
        if (role == Qt::ToolTipRole && last.IsValid()) {
            return QCoreApplication::translate("MainView", "Last contact: %1 %2")
                .arg(QString::fromStdString(FormatDisplayDate(last)),
                     QString::fromStdString(FormatDisplayTime(last)));
        }
        return QVariant();
    }
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole) {
        return QVariant();
    }
    const QString text =
        column == 0 ? FromStoredText(Rows().Name(row)) : Shown(Rows().Company(row));
    if (role == Qt::ToolTipRole && marked) {
        return text + QLatin1Char('\n') + markTip_;
    }
    return text;
}

ContactListModel::ContactListModel(QObject* parent)
    : RowListModel({Heading(QT_TRANSLATE_NOOP("MainView", "Date")),
                    Heading(QT_TRANSLATE_NOOP("MainView", "Time")),
                    Heading(QT_TRANSLATE_NOOP("MainView", "Contact Type")),
                    Heading(QT_TRANSLATE_NOOP("MainView", "Notes"))},
                   parent) {}

QVariant ContactListModel::Cell(size_t row, int column, int role) const {
    if (role == Qt::ToolTipRole && column == 3) {
        return FromStoredText(FromStoredLines(std::string(Rows().Notes(row))));
    }
    if (role != Qt::DisplayRole) {
        return QVariant();
    }
    switch (column) {
        case 0:
            return FromStoredText(FormatDisplayDate(Rows().When(row)));
        case 1:
            return FromStoredText(FormatDisplayTime(Rows().When(row)));
        case 2:
            return Shown(Rows().Type(row));
        default:
            return FirstLine(Rows().Notes(row));
    }
}
