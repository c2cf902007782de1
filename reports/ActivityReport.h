#pragma once

#include <map>
#include <string>
#include <vector>

#include "Report.h"

namespace reports {

// "CONTACT ACTIVITY <from> - <to>": a bar a month of the contacts with the chosen persons,
// stacked by contact type, with a legend; under the chart the busiest months and the persons
// contacted most. Contacts without a readable date are not counted.
//
// A span wider than a page's months goes on over more pages, the months shared out evenly and
// every page on the same scale; the two lists close the last page.
class ContactActivityReport : public Report {
public:
    // The looks of the bands. With more types than looks, the last look is "Other", the types
    // with the fewest contacts gathered in it.
    static constexpr int kLooks = 8;
    // The months and persons listed under the chart.
    static constexpr int kListed = 5;
    // A short span keeps bars as wide as this many months would have them.
    static constexpr int kFewestSlots = 6;

    // One band of the bars and its legend entry: a type, or "Other".
    struct Band {
        QString name;
        int look = 0;
        std::vector<int> perMonth;  // along the span
        int total = 0;
    };
    struct Ranked {
        QString text;
        int count = 0;
    };
    // The months of the span one page charts.
    struct PageMonths {
        int first = 0;  // index along the span
        int count = 0;
    };
    // Where the chart lies on the current metrics, in device units.
    struct Chart {
        int left = 0;  // the value axis
        int right = 0;
        int top = 0;       // the scale's top value
        int baseline = 0;  // zero
        int slot = 0;      // the width a month takes
        int bar = 0;       // the width of its bar, centred in the slot
        int legendTop = 0;
        int legendColumns = 1;
        int legendEntry = 0;  // the width of one legend entry
        int rowHeight = 0;    // of the legend
        int swatchWidth = 0;
        int swatchHeight = 0;
        int listsTop = 0;
    };

    ContactActivityReport(PageCanvas& measure, const DeviceMetrics& device,
                          std::vector<PersonRecord> persons, std::vector<ContactRecord> contacts,
                          std::map<RecordId, std::string> types, MonthSpan span);

    const MonthSpan& Span() const { return span_; }
    const std::vector<PersonRecord>& Persons() const { return persons_; }
    // Bottom to top in each bar, and the legend's order: the most contacts first.
    const std::vector<Band>& Bands() const { return bands_; }
    // The contacts of the month at the index along the span, and of the whole span.
    int MonthTotal(int index) const { return monthTotals_[index]; }
    int Total() const { return total_; }
    // Most first; months of a count earliest first, persons of a count in the list's order.
    const std::vector<Ranked>& BusiestMonths() const { return busiest_; }
    const std::vector<Ranked>& MostContacted() const { return most_; }
    // The value axis: its top and the step between its lines; both 0 without a contact.
    int ScaleTop() const { return scaleTop_; }
    int ScaleStep() const { return scaleStep_; }
    const std::vector<PageMonths>& Pages() const { return pages_; }
    const Chart& Geometry() const { return chart_; }
    // The y of a value on the axis.
    int ValueY(int value) const;

    // 1, 2 or 5 times a power of ten: the smallest step that reaches most in five steps or
    // fewer; 0 for nothing.
    static int ScaleStepFor(int most);
    // The look's colour and hatch, its lines spacing apart.
    static Fill LookFill(int look, int spacing);
    // "March 2024" and "Mar" in the user's language.
    static QString MonthName(int monthNumber);
    static QString ShortMonthName(int monthNumber);

protected:
    void Paginate(PageCanvas& canvas) override;
    void DrawHeader(PageCanvas& canvas, int index) override;
    void DrawBody(PageCanvas& canvas, int index) override;
    void DrawFrame(PageCanvas&) override {}

private:
    void Count(const std::vector<ContactRecord>& contacts,
               const std::map<RecordId, std::string>& types);
    void Rank(const std::vector<int>& perPerson);
    int HatchSpacing() const;
    void DrawScale(PageCanvas& canvas);
    void DrawBars(PageCanvas& canvas, const PageMonths& page);
    void DrawLegend(PageCanvas& canvas);
    void DrawList(PageCanvas& canvas, int x, const QString& heading,
                  const std::vector<Ranked>& rows);

    std::vector<PersonRecord> persons_;
    MonthSpan span_;
    std::vector<Band> bands_;
    std::vector<int> monthTotals_;
    int total_ = 0;
    std::vector<Ranked> busiest_;
    std::vector<Ranked> most_;
    int scaleTop_ = 0;
    int scaleStep_ = 0;
    std::vector<PageMonths> pages_;
    Chart chart_;
};

}  // namespace reports
