#include "Report.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

#include "ActivityReport.h"
#include "AddressBook.h"
#include "StoredText.h"

namespace reports {

namespace {

constexpr int kEntryLines = 8;

// The value on a line through time: before 30 December 1899 the value is negative while its
// fraction still counts the time forward, so raw values of one such day run backwards.
double Chronological(DateTime when) {
    const double day = std::trunc(when.Value());
    return day + std::fabs(when.Value() - day);
}

}  // namespace

QString ReportText(const std::string& stored) {
    return FromStoredText(FromStoredLines(stored));
}

std::string TrimmedRight(const std::string& text) {
    size_t end = text.size();
    while (end > 0 && std::isspace(static_cast<unsigned char>(text[end - 1]))) {
        --end;
    }
    return text.substr(0, end);
}

std::string TrimmedBoth(const std::string& text) {
    const std::string right = TrimmedRight(text);
    size_t start = 0;
    while (start < right.size() && std::isspace(static_cast<unsigned char>(right[start]))) {
        ++start;
    }
    return right.substr(start);
}

QString ListedName(const PersonRecord& p) {
    using P = PersonRecord;
    // The list's rule on the fields as they print, without their outer blanks.
    return FromStoredText(PersonDisplayName(TrimmedBoth(p[P::FName]), TrimmedBoth(p[P::LName]),
                                            TrimmedBoth(p[P::Company])));
}

bool HasPersonName(const PersonRecord& p) {
    return !TrimmedBoth(p[PersonRecord::FName]).empty() ||
           !TrimmedBoth(p[PersonRecord::LName]).empty();
}

QString CityLine(const PersonRecord& p) {
    using P = PersonRecord;
    const std::string city = TrimmedBoth(p[P::City]);
    const std::string state = TrimmedBoth(p[P::State]);
    const std::string zip = TrimmedBoth(p[P::Zip]);
    // The separators only between parts that are there: no lone ",".
    std::string line = city.empty() || state.empty() ? city + state : city + ", " + state;
    line = line.empty() || zip.empty() ? line + zip : line + " " + zip;
    return FromStoredText(line);
}

QString ReportName(ReportKind kind) {
    switch (kind) {
        case ReportKind::AddressBook:
            return Report::tr("Address Book");
        case ReportKind::Contacts:
            return Report::tr("Contacts");
        case ReportKind::Envelopes:
            return Report::tr("Envelopes");
        case ReportKind::Activity:
            return Report::tr("Contact Activity");
        case ReportKind::None:
            break;
    }
    return QString();
}

ColumnLines::ColumnLines(const PageCanvas& canvas, int width)
    : canvas_(canvas), width_(std::max(1, width)) {}

void ColumnLines::Line(const QString& text) {
    if (!text.isEmpty()) {
        lines_ << canvas_.ElidedText(text, width_);
    }
}

void ColumnLines::Wrapped(const QString& text) {
    if (!text.isEmpty()) {
        lines_ << canvas_.WrappedLines(text, width_);
    }
}

QStringList ColumnLines::Lines(int most) const {
    if (lines_.size() <= most) {
        return lines_;
    }
    QStringList shown = lines_.mid(0, std::max(0, most));
    if (!shown.isEmpty()) {
        // What is left out is marked where the column ends.
        shown.back() = canvas_.ElidedText(shown.back() + QChar(0x2026), width_);
    }
    return shown;
}

int ColumnLines::Draw(PageCanvas& canvas, int x, int y, int lineHeight, int most) const {
    const QStringList shown = Lines(most);
    for (const QString& text : shown) {
        canvas.DrawText(x, y, text);
        y += lineHeight;
    }
    return static_cast<int>(shown.size());
}

// ---- Report

Report::Report(PageCanvas& measure, const DeviceMetrics& device)
    : measure_(measure), device_(device) {
    content_ = ComputeContent(device_, margins_);
}

FontChoice Report::Font() const {
    return {faceName_, FontPixelSize(pointSize_, device_.dpiY)};
}

void Report::Measure(PageCanvas& canvas) {
    canvas.UseFonts(Font());
    lineHeight_ = canvas.LineHeight();
    charWidth_ = canvas.AverageCharWidth();
    leftX_ = LeftColumn(content_, charWidth_);
    rightX_ = RightColumn(content_, charWidth_);
}

void Report::Relayout() {
    content_ = ComputeContent(device_, margins_);
    Measure(measure_);
    Paginate(measure_);
}

void Report::SetMargins(int left, int top, int right, int bottom) {
    margins_.left = left * 0.001;
    margins_.top = top * 0.001;
    margins_.right = right * 0.001;
    margins_.bottom = bottom * 0.001;
    Relayout();
}

void Report::SetDevice(const DeviceMetrics& device) {
    device_ = device;
    Relayout();
}

void Report::SetPointSize(int pointSize) {
    pointSize_ = pointSize;
    Relayout();
}

void Report::SetFont(const QString& face, int pointSize) {
    faceName_ = face;
    pointSize_ = pointSize;
    Relayout();
}

void Report::SortByName(std::vector<PersonRecord>& persons) {
    // The main list's order; equal names keep their order.
    SortPersonRecords(persons);
}

void Report::DrawPage(PageCanvas& canvas, int index) {
    if (index < 0 || index >= pageCount_) {
        return;
    }
    // The drawing device's own measure of the fonts, so text and lines match what it draws.
    Measure(canvas);
    DrawHeader(canvas, index);
    DrawBody(canvas, index);
    DrawFooter(canvas, index + 1);
    DrawFrame(canvas);
    canvas.SetBold(false);
    // Back to the measure pagination was made with, for the columns a caller may read.
    Measure(measure_);
}

void Report::DrawCentered(PageCanvas& canvas, int y, const QString& text) {
    const int width = canvas.TextWidth(text);
    canvas.DrawText(content_.left + (content_.right - content_.left - width) / 2, y, text);
}

void Report::DrawFooter(PageCanvas& canvas, int pageNumber) {
    canvas.SetBold(true);
    DrawCentered(canvas, content_.bottom - lineHeight_, tr("Page %1").arg(pageNumber));
    canvas.SetBold(false);
}

void Report::DrawFrame(PageCanvas&) {}

// ---- AddressBookReport

AddressBookReport::AddressBookReport(PageCanvas& measure, const DeviceMetrics& device,
                                     std::vector<PersonRecord> persons)
    : Report(measure, device), persons_(std::move(persons)) {
    SortByName(persons_);
    Relayout();
}

void AddressBookReport::Paginate(PageCanvas&) {
    pages_.clear();
    const ContentRect& c = Content();
    const int line = LineHeight();
    const int entry = kEntryLines * line;
    int position = c.top + 2 * line;
    for (int i = 0; i < static_cast<int>(persons_.size()); ++i) {
        position += entry;
        if (pages_.empty() || (position >= c.bottom && !pages_.back().empty())) {
            if (!pages_.empty()) {
                position = c.top + 2 * line + entry;
            }
            pages_.emplace_back();
        }
        pages_.back().push_back(i);
    }
    SetPageCount(static_cast<int>(pages_.size()));
}

void AddressBookReport::DrawHeader(PageCanvas& canvas, int) {
    canvas.SetBold(true);
    DrawCentered(canvas, Content().top, Report::tr("ADDRESS BOOK"));
    canvas.SetBold(false);
}

void AddressBookReport::DrawFrame(PageCanvas& canvas) {
    const ContentRect& c = Content();
    const int inch = Device().dpiX;
    canvas.DrawLine(c.left, c.top, c.left, c.bottom);
    canvas.DrawLine(c.right, c.top, c.right, c.bottom);
    canvas.DrawLine(c.left, c.top, c.left + inch, c.top);
    canvas.DrawLine(c.right, c.top, c.right - inch, c.top);
    canvas.DrawLine(c.left, c.bottom, c.left + inch, c.bottom);
    canvas.DrawLine(c.right, c.bottom, c.right - inch, c.bottom);
}

void AddressBookReport::DrawBody(PageCanvas& canvas, int index) {
    int y = Content().top + 2 * LineHeight();
    for (int person : pages_[index]) {
        DrawEntry(canvas, persons_[person], y);
        y += kEntryLines * LineHeight();
    }
}

void AddressBookReport::DrawEntry(PageCanvas& canvas, const PersonRecord& p, int y) {
    using P = PersonRecord;
    const int line = LineHeight();
    const int left = LeftColumnX();
    const int right = RightColumnX();
    const int gap = AverageCharWidth();
    const auto text = [](const std::string& value) { return FromStoredText(TrimmedBoth(value)); };
    // Only what has a value, each column within its width; the seven lines above the entry's
    // line are all an entry has.
    ColumnLines names(canvas, right - gap - left);
    names.Line(ListedName(p));
    // A person without a name is listed under the company already.
    if (!text(p[P::Company]).isEmpty() && HasPersonName(p)) {
        names.Line(Report::tr("Company: %1").arg(text(p[P::Company])));
    }
    if (!text(p[P::Position]).isEmpty()) {
        names.Line(Report::tr("Position: %1").arg(text(p[P::Position])));
    }
    names.Wrapped(FromStoredText(TrimmedBoth(FromStoredLines(p[P::Addr]))));
    names.Line(CityLine(p));
    names.Draw(canvas, left, y, line, kEntryLines - 1);

    const QString phone = text(p[P::WkPhone]);
    const QString extension = text(p[P::WkExt]);
    QString work;
    if (!phone.isEmpty()) {
        work = extension.isEmpty() ? Report::tr("Work Phone: %1").arg(phone)
                                   : Report::tr("Work Phone: %1 Ext. %2").arg(phone, extension);
    } else if (!extension.isEmpty()) {
        work = Report::tr("Work Phone: Ext. %1").arg(extension);
    }
    const auto row = [&](const char* label, P::Field field) {
        const QString value = text(p[field]);
        return value.isEmpty() ? QString() : Report::tr(label).arg(value);
    };
    ColumnLines numbers(canvas, Content().right - gap - right);
    numbers.Line(row(QT_TRANSLATE_NOOP("reports::Report", "Home Phone: %1"), P::HmPhone));
    numbers.Line(work);
    numbers.Line(row(QT_TRANSLATE_NOOP("reports::Report", "Pager: %1"), P::Pager));
    numbers.Line(row(QT_TRANSLATE_NOOP("reports::Report", "Cel Phone: %1"), P::CelPhone));
    numbers.Line(row(QT_TRANSLATE_NOOP("reports::Report", "Fax: %1"), P::WkFax));
    numbers.Line(row(QT_TRANSLATE_NOOP("reports::Report", "E-Mail: %1"), P::Email));
    numbers.Line(row(QT_TRANSLATE_NOOP("reports::Report", "Web Page: %1"), P::WebPage));
    numbers.Draw(canvas, right, y, line, kEntryLines - 1);
    canvas.DrawLine(left, y + 7 * line, Content().right - gap, y + 7 * line);
}

// ---- ContactsReport

ContactsReport::ContactsReport(PageCanvas& measure, const DeviceMetrics& device,
                               std::vector<PersonRecord> persons,
                               std::vector<ContactRecord> contacts, DateTime beginning,
                               DateTime ending)
    : Report(measure, device),
      persons_(std::move(persons)),
      contacts_(std::move(contacts)),
      beginning_(beginning),
      ending_(ending) {
    SortByName(persons_);
    // Newest first, whatever order they came in.
    std::stable_sort(contacts_.begin(), contacts_.end(),
                     [](const ContactRecord& a, const ContactRecord& b) {
                         return Chronological(a.when) > Chronological(b.when);
                     });
    Relayout();
}

int ContactsReport::MiddleColumnX() const {
    return LeftColumnX() + (RightColumnX() - LeftColumnX()) / 2 + AverageCharWidth();
}

int ContactsReport::DescriptionWidth() const {
    return Content().right - RightColumnX();
}

int ContactsReport::PersonWidth() const {
    return MiddleColumnX() - AverageCharWidth() - LeftColumnX();
}

int ContactsReport::TimeWidth() const {
    return RightColumnX() - AverageCharWidth() - MiddleColumnX();
}

QString ContactsReport::RowTime(DateTime when) {
    DateTime::Fields f;
    if (!when.ToFields(f)) {
        return QString();
    }
    const int hour12 = f.hour % 12 == 0 ? 12 : f.hour % 12;
    char text[64];
    std::snprintf(text, sizeof text, "%02d/%02d/%02d %02d:%02d%s", f.month, f.day, f.year % 100,
                  hour12, f.minute, f.hour < 12 ? "AM" : "PM");
    return QString::fromLatin1(text);
}

void ContactsReport::Paginate(PageCanvas& canvas) {
    pages_.assign(1, {});
    const ContentRect& c = Content();
    const int line = LineHeight();
    int position = c.top + 4 * line;
    // The most a row on a page of its own can take: it ends above the page number.
    const int mostLines = std::max(1, (c.bottom - c.top - 4 * line - 1) / std::max(1, line) - 1);
    for (int p = 0; p < static_cast<int>(persons_.size()); ++p) {
        for (int k = 0; k < static_cast<int>(contacts_.size()); ++k) {
            const ContactRecord& contact = contacts_[k];
            if (contact.personId != persons_[p].id || !contact.when.IsValid() ||
                Chronological(contact.when) < Chronological(beginning_) ||
                Chronological(contact.when) > Chronological(ending_)) {
                continue;
            }
            // A description longer than a page is cut where the page ends.
            const int lines = std::min(
                static_cast<int>(
                    canvas.WrappedLines(ReportText(contact.description), DescriptionWidth())
                        .size()),
                mostLines);
            const int height = lines * line + line;
            position += height;
            if (position >= c.bottom && !pages_.back().empty()) {
                pages_.emplace_back();
                position = c.top + 4 * line + height;
            }
            pages_.back().push_back({p, k, height, lines});
        }
    }
    SetPageCount(static_cast<int>(pages_.size()));
}

void ContactsReport::DrawHeader(PageCanvas& canvas, int) {
    const ContentRect& c = Content();
    const int line = LineHeight();
    canvas.SetBold(true);
    DrawCentered(canvas, c.top,
                 Report::tr("CONTACTS %1 - %2")
                     .arg(FromStoredText(FormatDisplayDate(beginning_)),
                          FromStoredText(FormatDisplayDate(ending_))));
    const int y = c.top + 2 * line;
    canvas.DrawText(LeftColumnX(), y, canvas.ElidedText(Report::tr("Person"), PersonWidth()));
    canvas.DrawText(MiddleColumnX(), y, canvas.ElidedText(Report::tr("Date / Time"), TimeWidth()));
    canvas.DrawText(RightColumnX(), y,
                    canvas.ElidedText(Report::tr("Description"), DescriptionWidth()));
    canvas.SetBold(false);
    canvas.DrawLine(LeftColumnX(), y, c.right, y);
}

void ContactsReport::DrawBody(PageCanvas& canvas, int index) {
    const ContentRect& c = Content();
    int y = c.top + 3 * LineHeight();
    QString lastName;
    for (const Row& row : pages_[index]) {
        const ContactRecord& contact = contacts_[row.contact];
        const QString name = ListedName(persons_[row.person]);
        // A run of one person's contacts shows the name once a page.
        if (name != lastName) {
            canvas.DrawText(LeftColumnX(), y, canvas.ElidedText(name, PersonWidth()));
            lastName = name;
        }
        canvas.DrawText(MiddleColumnX(), y, canvas.ElidedText(RowTime(contact.when), TimeWidth()));
        const int textHeight = row.height - LineHeight();
        QString description = ReportText(contact.description);
        ColumnLines lines(canvas, DescriptionWidth());
        lines.Wrapped(description);
        if (lines.Count() > row.lines) {
            description = lines.Lines(row.lines).join(QLatin1Char('\n'));
        }
        canvas.DrawTextBox(QRect(RightColumnX(), y, DescriptionWidth(), textHeight), description,
                           true, QRect(RightColumnX(), y, DescriptionWidth(), textHeight));
        y += row.height;
    }
}

// ---- EnvelopeReport

EnvelopeReport::EnvelopeReport(PageCanvas& measure, const DeviceMetrics& device,
                               std::vector<PersonRecord> persons, PersonRecord user,
                               EnvelopeOptions options)
    : Report(measure, device),
      persons_(std::move(persons)),
      user_(std::move(user)),
      options_(options) {
    SortByName(persons_);
    Relayout();
}

void EnvelopeReport::Paginate(PageCanvas&) {
    SetPageCount(static_cast<int>(persons_.size()));
}

QString EnvelopeReport::RecipientName(const PersonRecord& p) const {
    using P = PersonRecord;
    // Without a name the envelope goes to the company.
    if (!HasPersonName(p)) {
        return ListedName(p);
    }
    std::string name =
        TrimmedBoth((options_.recipientTitle ? TrimmedRight(p[P::Title]) + " " : std::string()) +
                    TrimmedBoth(p[P::FName]));
    name = name.empty() ? p[P::LName] : name + " " + p[P::LName];
    return FromStoredText(TrimmedBoth(name));
}

QString EnvelopeReport::CityLine(const PersonRecord& person) {
    return reports::CityLine(person);
}

int EnvelopeReport::RecipientTop() const {
    const ContentRect& c = Content();
    return (c.bottom - c.top) / 2 + LineHeight();
}

void EnvelopeReport::DrawHeader(PageCanvas& canvas, int) {
    using P = PersonRecord;
    const int line = LineHeight();
    const int x = LeftColumnX();
    const auto text = [](const std::string& value) { return FromStoredText(TrimmedBoth(value)); };
    ColumnLines from(canvas, RightColumnX() - AverageCharWidth() - x);
    from.Line(FromStoredText(
        TrimmedBoth((options_.returnTitle ? user_[P::Title] + " " : std::string()) +
                    TrimmedRight(user_[P::FName]) + " " + TrimmedRight(user_[P::LName]))));
    if (options_.returnPosition) {
        from.Line(text(user_[P::Position]));
    }
    if (options_.returnCompany) {
        from.Line(text(user_[P::Company]));
    }
    from.Wrapped(FromStoredText(TrimmedBoth(FromStoredLines(user_[P::Addr]))));
    from.Line(CityLine(user_));
    // Above the recipient's block.
    from.Draw(canvas, x, Content().top, line, (RecipientTop() - Content().top) / std::max(1, line));
}

void EnvelopeReport::DrawBody(PageCanvas& canvas, int index) {
    using P = PersonRecord;
    const PersonRecord& p = persons_[index];
    const int line = LineHeight();
    const ContentRect& c = Content();
    const QString city = CityLine(p);
    const int x = std::max(c.left, RightColumnX() - canvas.TextWidth(city) / 2);
    const int y = RecipientTop();
    const auto text = [](const std::string& value) { return FromStoredText(TrimmedBoth(value)); };
    ColumnLines to(canvas, c.right - x);
    to.Line(RecipientName(p));
    if (options_.recipientPosition) {
        to.Line(text(p[P::Position]));
    }
    // A person without a name is addressed by the company already.
    if (options_.recipientCompany && HasPersonName(p)) {
        to.Line(text(p[P::Company]));
    }
    to.Wrapped(FromStoredText(TrimmedBoth(FromStoredLines(p[P::Addr]))));
    to.Line(city);
    to.Draw(canvas, x, y, line, (c.bottom - y) / std::max(1, line));
}

}  // namespace reports

namespace reports {

std::unique_ptr<Report> BuildReport(const ReportRequest& request, PageCanvas& measure,
                                    const DeviceMetrics& device, const ReportSettings& settings) {
    std::unique_ptr<Report> report;
    switch (request.kind) {
        case ReportKind::AddressBook:
            report = std::make_unique<AddressBookReport>(measure, device, request.persons);
            break;
        case ReportKind::Contacts:
            report =
                std::make_unique<ContactsReport>(measure, device, request.persons, request.contacts,
                                                 request.beginning, request.ending);
            break;
        case ReportKind::Envelopes:
            report = std::make_unique<EnvelopeReport>(measure, device, request.persons,
                                                      request.user, request.options);
            break;
        case ReportKind::Activity:
            report = std::make_unique<ContactActivityReport>(
                measure, device, request.persons, request.contacts, request.types, request.span);
            break;
        case ReportKind::None:
            return nullptr;
    }
    report->SetMargins(settings.marginLeft, settings.marginTop, settings.marginRight,
                       settings.marginBottom);
    report->SetFont(settings.faceName, settings.pointSize);
    return report;
}

}  // namespace reports
