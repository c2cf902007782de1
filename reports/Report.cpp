#include "Report.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

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
    // Byte by byte, as the names are stored; equal names keep their order.
    std::stable_sort(persons.begin(), persons.end(),
                     [](const PersonRecord& a, const PersonRecord& b) {
                         return a.DisplayName() < b.DisplayName();
                     });
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
    const auto text = [](const std::string& value) { return FromStoredText(value); };
    canvas.DrawText(left, y, text(TrimmedRight(p[P::FName]) + " " + p[P::LName]));
    canvas.DrawText(left, y + line, Report::tr("Company: %1").arg(text(p[P::Company])));
    canvas.DrawText(left, y + 2 * line, Report::tr("Position: %1").arg(text(p[P::Position])));
    // The address takes the lines it needs, but never the room of the entry below: what does
    // not fit above the separating line is cut off.
    const QString address = ReportText(p[P::Addr]);
    const int addressTop = y + 3 * line;
    const int addressHeight = std::max(line, canvas.TextHeight(address, right - left, false));
    const QRect clip(left, y, right - left, 7 * line);
    canvas.DrawTextBox(QRect(left, addressTop, right - left, addressHeight), address, false, clip);
    const std::string city =
        TrimmedRight(TrimmedRight(TrimmedRight(p[P::City]) + ", " + p[P::State]) + " " + p[P::Zip]);
    const int cityTop = addressTop + addressHeight;
    canvas.DrawTextBox(QRect(left, cityTop, right - left, line), text(city), false, clip);

    const QString rows[] = {
        Report::tr("Home Phone: %1").arg(text(p[P::HmPhone])),
        Report::tr("Work Phone: %1 Ext. %2").arg(text(p[P::WkPhone]), text(p[P::WkExt])),
        Report::tr("Pager: %1").arg(text(p[P::Pager])),
        Report::tr("Cel Phone: %1").arg(text(p[P::CelPhone])),
        Report::tr("Fax: %1").arg(text(p[P::WkFax])),
        Report::tr("E-Mail: %1").arg(text(p[P::Email])),
        Report::tr("Web Page: %1").arg(text(p[P::WebPage]))};
    int rowY = y;
    for (const QString& row : rows) {
        canvas.DrawText(right, rowY, row);
        rowY += line;
    }
    canvas.DrawLine(left, y + 7 * line, Content().right - AverageCharWidth(), y + 7 * line);
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
    for (int p = 0; p < static_cast<int>(persons_.size()); ++p) {
        for (int k = 0; k < static_cast<int>(contacts_.size()); ++k) {
            const ContactRecord& contact = contacts_[k];
            if (contact.personId != persons_[p].id || !contact.when.IsValid() ||
                Chronological(contact.when) < Chronological(beginning_) ||
                Chronological(contact.when) > Chronological(ending_)) {
                continue;
            }
            const int height =
                canvas.TextHeight(ReportText(contact.description), DescriptionWidth(), true) + line;
            position += height;
            if (position >= c.bottom && !pages_.back().empty()) {
                pages_.emplace_back();
                position = c.top + 4 * line + height;
            }
            pages_.back().push_back({p, k, height});
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
    canvas.DrawText(LeftColumnX(), y, Report::tr("Person"));
    canvas.DrawText(MiddleColumnX(), y, Report::tr("Date / Time"));
    canvas.DrawText(RightColumnX(), y, Report::tr("Description"));
    canvas.SetBold(false);
    canvas.DrawLine(LeftColumnX(), y, c.right, y);
}

void ContactsReport::DrawBody(PageCanvas& canvas, int index) {
    using P = PersonRecord;
    const ContentRect& c = Content();
    int y = c.top + 3 * LineHeight();
    QString lastName;
    for (const Row& row : pages_[index]) {
        const PersonRecord& person = persons_[row.person];
        const ContactRecord& contact = contacts_[row.contact];
        const QString name =
            FromStoredText(TrimmedRight(TrimmedRight(person[P::FName]) + " " + person[P::LName]));
        // A run of one person's contacts shows the name once a page.
        if (name != lastName) {
            canvas.DrawText(LeftColumnX(), y, name);
            lastName = name;
        }
        canvas.DrawText(MiddleColumnX(), y, RowTime(contact.when));
        const int textHeight = row.height - LineHeight();
        canvas.DrawTextBox(QRect(RightColumnX(), y, DescriptionWidth(), textHeight),
                           ReportText(contact.description), true,
                           QRect(RightColumnX(), y, DescriptionWidth(), textHeight));
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
    std::string name =
        TrimmedBoth((options_.recipientTitle ? TrimmedRight(p[P::Title]) + " " : std::string()) +
                    TrimmedBoth(p[P::FName]));
    name = name.empty() ? p[P::LName] : name + " " + p[P::LName];
    return FromStoredText(TrimmedBoth(name));
}

QString EnvelopeReport::CityLine(const PersonRecord& p) {
    using P = PersonRecord;
    std::string city = TrimmedBoth(p[P::City]);
    if (!p[P::State].empty()) {
        city += ", " + p[P::State];
    }
    city = TrimmedBoth(TrimmedBoth(city) + " " + p[P::Zip]);
    return FromStoredText(city);
}

void EnvelopeReport::DrawHeader(PageCanvas& canvas, int) {
    using P = PersonRecord;
    const int line = LineHeight();
    const int x = LeftColumnX();
    int y = Content().top;
    const std::string name = (options_.returnTitle ? user_[P::Title] + " " : std::string()) +
                             TrimmedRight(user_[P::FName]) + " " + TrimmedRight(user_[P::LName]);
    canvas.DrawText(x, y, FromStoredText(name));
    y += line;
    if (options_.returnPosition) {
        canvas.DrawText(x, y, FromStoredText(user_[P::Position]));
        y += line;
    }
    if (options_.returnCompany) {
        canvas.DrawText(x, y, FromStoredText(user_[P::Company]));
        y += line;
    }
    const QString address = ReportText(user_[P::Addr]);
    const int width = RightColumnX() - x;
    const int height = std::max(line, canvas.TextHeight(address, width, false));
    const QRect page(Content().left, Content().top, Content().right - Content().left,
                     Content().bottom - Content().top);
    canvas.DrawTextBox(QRect(x, y, width, height), address, false, page);
    y += height;
    canvas.DrawText(x, y,
                    FromStoredText(TrimmedRight(
                        TrimmedRight(TrimmedRight(user_[P::City]) + ", " + user_[P::State]) + " " +
                        user_[P::Zip])));
}

void EnvelopeReport::DrawBody(PageCanvas& canvas, int index) {
    using P = PersonRecord;
    const PersonRecord& p = persons_[index];
    const int line = LineHeight();
    const ContentRect& c = Content();
    const QString city = CityLine(p);
    const int x = RightColumnX() - canvas.TextWidth(city) / 2;
    int y = (c.bottom - c.top) / 2 + line;
    canvas.DrawText(x, y, RecipientName(p));
    y += line;
    if (options_.recipientPosition) {
        canvas.DrawText(x, y, FromStoredText(p[P::Position]));
        y += line;
    }
    if (options_.recipientCompany) {
        canvas.DrawText(x, y, FromStoredText(p[P::Company]));
        y += line;
    }
    const QString address = ReportText(p[P::Addr]);
    const int width = c.right - x;
    const int height = std::max(line, canvas.TextHeight(address, width, false));
    canvas.DrawTextBox(QRect(x, y, width, height), address, false,
                       QRect(c.left, c.top, c.right - c.left, c.bottom - c.top));
    canvas.DrawText(x, y + height, city);
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
        case ReportKind::None:
            return nullptr;
    }
    report->SetMargins(settings.marginLeft, settings.marginTop, settings.marginRight,
                       settings.marginBottom);
    report->SetFont(settings.faceName, settings.pointSize);
    return report;
}

}  // namespace reports
