#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ReportDialogs.h"

namespace reports {

// "Contact Activity": the persons whose contacts are charted and the months from and to which
// they are, at most kMostMonths; the last twelve months at first.
class ActivityDialog : public PersonPickDialog {
    Q_OBJECT
public:
    static constexpr int kMostMonths = 120;

    ActivityDialog(QWidget* owner, const std::string& path);

    // After OK.
    const MonthSpan& Span() const { return span_; }
    QDateEdit* FromPicker() const { return fromPicker_; }
    QDateEdit* ToPicker() const { return toPicker_; }

protected:
    bool CheckValues() override;
    void TakeValues() override;

private:
    QDateEdit* fromPicker_;
    QDateEdit* toPicker_;
    MonthSpan span_;
};

// Reports, Contact Activity: the dialog, then the chosen persons' contacts within the months
// and the contact types, read from the file. Nothing when the dialog was cancelled or a read
// failed (the failure has been shown). preselect: the persons selected when the dialog opens.
std::optional<ReportRequest> ChooseActivity(QWidget* owner, const std::string& path,
                                            const std::vector<RecordId>& preselect = {});

}  // namespace reports
