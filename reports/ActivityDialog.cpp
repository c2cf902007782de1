#include "ActivityDialog.h"

#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>

#include "ActivityReport.h"
#include "DateTimeFields.h"
#include "DialogUnits.h"
#include "HelpViewer.h"
#include "MessageBox.h"

namespace reports {

namespace {

using platform::MessageIcon;

// Control numbers, for the pop-up help; after those of the other report dialogs.
enum Control {
    kFrom = 1051,
    kTo = 1052,
};

// The label comes marked in the reports::ActivityDialog context.
QDateEdit* AddMonthPicker(QWidget* parent, const platform::DialogUnits& units, const char* label,
                          int id, int y, const QDate& month) {
    auto* text = new QLabel(ActivityDialog::tr(label), parent);
    units.Place(text, 16, y + 2, 68, 8);
    auto* picker = new platform::DateField(parent);
    // Month and year only: the chart counts whole months.
    picker->setDisplayFormat(QStringLiteral("MMMM yyyy"));
    picker->setDateRange(QDate(100, 1, 1), QDate(9999, 12, 31));
    picker->setDate(month);
    platform::SetControlId(picker, id);
    units.Place(picker, 86, y, 84, 12);
    text->setBuddy(picker);
    return picker;
}

int MonthOfPicker(const QDateEdit* picker) {
    const QDate date = picker->date();
    return MonthNumber(date.year(), date.month());
}

}  // namespace

ActivityDialog::ActivityDialog(QWidget* owner, const std::string& path)
    : PersonPickDialog(owner, path, tr("Contact Activity"), 250, 216, 150,
                       QT_TRANSLATE_NOOP("reports::PersonPickDialog", "&Select All"),
                       QT_TRANSLATE_NOOP("reports::PersonPickDialog",
                                         "You must select at least one person whose contacts to "
                                         "chart."),
                       help::kActivityReportTopic) {
    const platform::DialogUnits units(font());
    auto* group = new QGroupBox(tr("Months To Chart"), this);
    units.Place(group, 7, 158, 172, 51);
    const QDate today = QDate::currentDate();
    const QDate thisMonth(today.year(), today.month(), 1);
    fromPicker_ =
        AddMonthPicker(this, units, QT_TR_NOOP("&From:"), kFrom, 173, thisMonth.addMonths(-11));
    toPicker_ = AddMonthPicker(this, units, QT_TR_NOOP("&To:"), kTo, 190, thisMonth);
    InstallPopups({{kFrom, 3013}, {kTo, 3014}});
}

bool ActivityDialog::CheckValues() {
    const int from = MonthOfPicker(fromPicker_);
    const int to = MonthOfPicker(toPicker_);
    QString refusal;
    if (to < from) {
        refusal =
            tr("The To month, %1, comes before the From month, %2. Choose a To month "
               "that is the From month or later.")
                .arg(ContactActivityReport::MonthName(to), ContactActivityReport::MonthName(from));
    } else if (to - from + 1 > kMostMonths) {
        refusal = tr("The chart covers at most %1 months. Choose a From month and a To month "
                     "closer together.")
                      .arg(kMostMonths);
    }
    if (refusal.isEmpty()) {
        return true;
    }
    platform::ShowMessage(this, refusal, tr("Contact Activity"), MessageIcon::Information);
    toPicker_->setFocus();
    return false;
}

void ActivityDialog::TakeValues() {
    span_ = {MonthOfPicker(fromPicker_), MonthOfPicker(toPicker_)};
}

std::optional<ReportRequest> ChooseActivity(QWidget* owner, const std::string& path,
                                            const std::vector<RecordId>& preselect) {
    ActivityDialog dialog(DialogOwner(owner), path);
    dialog.Preselect(preselect);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    ReportRequest request;
    request.kind = ReportKind::Activity;
    request.persons = dialog.Chosen();
    request.span = dialog.Span();
    ActivityRead reading = ActivityRead::Contacts;
    try {
        LoadActivity(path, request, reading);
    } catch (const std::exception& e) {
        platform::ShowDatabaseFailure(
            owner, e.what(),
            reading == ActivityRead::Contacts
                ? QT_TRANSLATE_NOOP("platform::MessageBox", "Error Loading Contacts List")
                : QT_TRANSLATE_NOOP("platform::MessageBox", "Error Loading Contact Types"),
            MessageIcon::Error);
        return std::nullopt;
    }
    return request;
}

}  // namespace reports
