#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "PageCanvas.h"
#include "PageGeometry.h"
#include "ReportData.h"

namespace reports {

// A printed report: laid out in pages for one device and drawn page by page on a canvas in
// that device's units. Pagination runs at construction and whenever the device, the margins or
// the font change; drawing never changes it.
class Report {
    // The printed texts of every report.
    Q_DECLARE_TR_FUNCTIONS(reports::Report)

public:
    virtual ~Report() = default;
    Report(const Report&) = delete;
    Report& operator=(const Report&) = delete;

    // Margins in thousandths of an inch, as page setup gives them.
    void SetMargins(int left, int top, int right, int bottom);
    void SetDevice(const DeviceMetrics& device);
    void SetPointSize(int pointSize);
    void SetFont(const QString& face, int pointSize);

    int PageCount() const { return pageCount_; }
    // Draws page index (from 0) on the canvas; nothing for an index out of range.
    void DrawPage(PageCanvas& canvas, int index);

    const ContentRect& Content() const { return content_; }
    const DeviceMetrics& Device() const { return device_; }
    const Margins& MarginsInInches() const { return margins_; }
    int PointSize() const { return pointSize_; }
    const QString& FaceName() const { return faceName_; }
    FontChoice Font() const;
    int LeftColumnX() const { return leftX_; }
    int RightColumnX() const { return rightX_; }
    int LineHeight() const { return lineHeight_; }
    int AverageCharWidth() const { return charWidth_; }

protected:
    // measure: where pagination measures; the report keeps it for its whole life.
    Report(PageCanvas& measure, const DeviceMetrics& device);

    // Sorts the persons as the main list does.
    static void SortByName(std::vector<PersonRecord>& persons);

    // Fills the pages for the current metrics and sets the page count.
    virtual void Paginate(PageCanvas& canvas) = 0;
    virtual void DrawHeader(PageCanvas& canvas, int index) = 0;
    virtual void DrawBody(PageCanvas& canvas, int index) = 0;
    virtual void DrawFooter(PageCanvas& canvas, int pageNumber);
    virtual void DrawFrame(PageCanvas& canvas);

    void SetPageCount(int count) { pageCount_ = count; }
    // Re-measures on the measuring canvas and paginates again.
    void Relayout();

    // The text centred between content left and right with its top at y, in the current font.
    void DrawCentered(PageCanvas& canvas, int y, const QString& text);

private:
    void Measure(PageCanvas& canvas);

    PageCanvas& measure_;
    DeviceMetrics device_;
    Margins margins_;
    ContentRect content_;
    int pointSize_ = 10;
    QString faceName_ = QStringLiteral("Times New Roman");
    int lineHeight_ = 0;
    int charWidth_ = 0;
    int leftX_ = 0;
    int rightX_ = 0;
    int pageCount_ = 0;
};

// Text of the database as drawn: its line breaks plain LF.
QString ReportText(const std::string& stored);
// The text without white space at its end, or at both ends.
std::string TrimmedRight(const std::string& text);
std::string TrimmedBoth(const std::string& text);

// The name a report prints a person under: the main list's display name.
QString ListedName(const PersonRecord& person);
// False for a person with neither first nor last name, whom the company names.
bool HasPersonName(const PersonRecord& person);
// City, state and ZIP code on one line, each separator only between parts that are there.
QString CityLine(const PersonRecord& person);
// "Address Book", "Contacts", "Envelopes", "Contact Activity": the name of the report, as its
// document's title.
QString ReportName(ReportKind kind);

// The lines of one column of a report, each within the column's width: a line too wide is cut
// with an ellipsis, a wrapped text broken into lines; empty texts take no line.
class ColumnLines {
public:
    ColumnLines(const PageCanvas& canvas, int width);
    void Line(const QString& text);
    void Wrapped(const QString& text);
    int Count() const { return static_cast<int>(lines_.size()); }
    // At most most lines; where lines are left out the last shown ends with an ellipsis.
    QStringList Lines(int most) const;
    // Draws them from x, y down; returns the lines drawn.
    int Draw(PageCanvas& canvas, int x, int y, int lineHeight, int most) const;

private:
    const PageCanvas& canvas_;
    int width_;
    QStringList lines_;
};

// "ADDRESS BOOK": eight lines per person, two columns, a frame, "Page %d" under each page.
class AddressBookReport : public Report {
public:
    AddressBookReport(PageCanvas& measure, const DeviceMetrics& device,
                      std::vector<PersonRecord> persons);

    const std::vector<PersonRecord>& Persons() const { return persons_; }
    // Per page, the persons on it (indices into Persons()).
    const std::vector<std::vector<int>>& Pages() const { return pages_; }

protected:
    void Paginate(PageCanvas& canvas) override;
    void DrawHeader(PageCanvas& canvas, int index) override;
    void DrawBody(PageCanvas& canvas, int index) override;
    void DrawFrame(PageCanvas& canvas) override;

private:
    void DrawEntry(PageCanvas& canvas, const PersonRecord& person, int y);

    std::vector<PersonRecord> persons_;
    std::vector<std::vector<int>> pages_;
};

// "CONTACTS <from> - <to>": the contacts with the chosen persons within the dates.
class ContactsReport : public Report {
public:
    struct Row {
        int person;   // index into Persons()
        int contact;  // index into the contacts given
        int height;   // the description's height plus one line
        int lines;    // the description's lines shown
    };

    ContactsReport(PageCanvas& measure, const DeviceMetrics& device,
                   std::vector<PersonRecord> persons, std::vector<ContactRecord> contacts,
                   DateTime beginning, DateTime ending);

    const std::vector<PersonRecord>& Persons() const { return persons_; }
    const std::vector<std::vector<Row>>& Pages() const { return pages_; }
    int MiddleColumnX() const;

    // "%m/%d/%y %I:%M%p": the date and time column's form.
    static QString RowTime(DateTime when);

protected:
    void Paginate(PageCanvas& canvas) override;
    void DrawHeader(PageCanvas& canvas, int index) override;
    void DrawBody(PageCanvas& canvas, int index) override;
    void DrawFrame(PageCanvas&) override {}

private:
    int DescriptionWidth() const;
    int PersonWidth() const;
    int TimeWidth() const;

    std::vector<PersonRecord> persons_;
    std::vector<ContactRecord> contacts_;
    DateTime beginning_;
    DateTime ending_;
    std::vector<std::vector<Row>> pages_;
};

// One envelope per person: the user's return address at the top left, the recipient's address
// around the middle of the page.
class EnvelopeReport : public Report {
public:
    EnvelopeReport(PageCanvas& measure, const DeviceMetrics& device,
                   std::vector<PersonRecord> persons, PersonRecord user, EnvelopeOptions options);

    const std::vector<PersonRecord>& Persons() const { return persons_; }
    // The recipient's name and city lines, as printed: without a first or last name, the
    // company.
    QString RecipientName(const PersonRecord& person) const;
    static QString CityLine(const PersonRecord& person);

protected:
    void Paginate(PageCanvas& canvas) override;
    void DrawHeader(PageCanvas& canvas, int index) override;
    void DrawBody(PageCanvas& canvas, int index) override;
    void DrawFooter(PageCanvas&, int) override {}
    void DrawFrame(PageCanvas&) override {}

private:
    // The recipient's first line: half the content's height and a line down.
    int RecipientTop() const;

    std::vector<PersonRecord> persons_;
    PersonRecord user_;
    EnvelopeOptions options_;
};

}  // namespace reports

namespace reports {

// The report a request asks for, laid out for the device with the margins (thousandths of an
// inch) and the font. Nothing for ReportKind::None.
struct ReportSettings {
    int marginLeft = 500;
    int marginTop = 500;
    int marginRight = 500;
    int marginBottom = 500;
    QString faceName = QStringLiteral("Times New Roman");
    int pointSize = 10;
};
std::unique_ptr<Report> BuildReport(const ReportRequest& request, PageCanvas& measure,
                                    const DeviceMetrics& device, const ReportSettings& settings);

}  // namespace reports
