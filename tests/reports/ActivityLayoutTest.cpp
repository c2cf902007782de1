// The contact activity chart on the recording canvas: Letter at 600 dpi, 10 pt, as the other
// layout tests (line 99, character 41, left x 266, right x 2516, content 225 to 4725 across and
// 225 to 6225 down).
#include <gtest/gtest.h>

#include <QImage>
#include <QLocale>
#include <QPainter>
#include <set>

#include "ActivityReport.h"
#include "LayoutSamples.h"
#include "RecordingCanvas.h"

using namespace reports;

namespace {

class ActivityLayout : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }
};

const RecordId kTelephone = "9DC618A3-8452-4D33-A70BDB1C91FE";
const RecordId kEmail = "03F6262A-4362-44A9-B770293650BB";
const std::map<RecordId, std::string> kTypes = {{kTelephone, "Telephone"}, {kEmail, "Email"}};

// 600 / 20: the hatch of every look on this device.
constexpr int kSpacing = 30;
// The chart's right end, the legend's and the lists' places, the same in every chart here.
constexpr int kRight = 4684;
constexpr int kLegendEntry = 1104;
constexpr int kListsTop = 5433;

ContactRecord Contact(const std::string& person, DateTime when, const RecordId& type) {
    static int next = 0;
    return {"c" + std::to_string(++next), person, when, "note", type};
}

DateTime At(int year, int month, int day, int hour = 12) {
    return DateTime::FromFields(year, month, day, hour, 0, 0);
}

MonthSpan Span(int fromYear, int fromMonth, int toYear, int toMonth) {
    return {MonthNumber(fromYear, fromMonth), MonthNumber(toYear, toMonth)};
}

std::vector<DrawCall> Joined(std::vector<std::vector<DrawCall>> pieces) {
    std::vector<DrawCall> all;
    for (const auto& piece : pieces) {
        all.insert(all.end(), piece.begin(), piece.end());
    }
    return all;
}

std::vector<DrawCall> OfKind(const std::vector<DrawCall>& calls, DrawCall::Kind kind) {
    std::vector<DrawCall> some;
    for (const DrawCall& c : calls) {
        if (c.kind == kind) {
            some.push_back(c);
        }
    }
    return some;
}

// The title and the page number.
std::vector<DrawCall> Furniture(const QString& title, int pageNumber = 1) {
    const Layout& l = kLetter600;
    const QString footer = QStringLiteral("Page %1").arg(pageNumber);
    return {DrawCall::Text(l.CentredBold(title), 225, title, true),
            DrawCall::Text(l.CentredBold(footer), 6126, footer, true)};
}

// The value axis from 0 to top in steps, its labels one character wide, and the base line.
std::vector<DrawCall> Scale(int left, int top, int baseline, int scaleTop, int step) {
    const auto y = [&](int v) { return baseline - v * (baseline - top) / scaleTop; };
    std::vector<DrawCall> calls = {DrawCall::Text(266, baseline - 49, QStringLiteral("0")),
                                   DrawCall::Line(left, top, left, baseline),
                                   DrawCall::Line(left, baseline, kRight, baseline)};
    for (int v = step; v <= scaleTop; v += step) {
        calls.push_back(DrawCall::GridLine(left, y(v), kRight, y(v)));
        const QString label = QString::number(v);
        calls.push_back(
            DrawCall::Text(left - 41 - 41 * static_cast<int>(label.size()), y(v) - 49, label));
    }
    return calls;
}

// A legend entry in the first row.
std::vector<DrawCall> LegendEntry(int column, int top, const QString& text, int look) {
    const int x = 266 + column * kLegendEntry;
    return {DrawCall::Filled(QRect(x, top + 12, 198, 74),
                             ContactActivityReport::LookFill(look, kSpacing)),
            DrawCall::Text(x + 239, top, text)};
}

TEST_F(ActivityLayout, BarsStackedByTypeOverMonthsAcrossAYearEnd) {
    const std::vector<PersonRecord> persons = {Person("B", "Bob", "Zane"),
                                               Person("A", "Ann", "Lee")};
    const std::vector<ContactRecord> contacts = {
        Contact("A", At(2023, 11, 3), kTelephone),
        Contact("A", At(2023, 11, 30, 23), kTelephone),
        Contact("B", At(2023, 11, 1, 0), kEmail),
        Contact("A", At(2024, 1, 2), kEmail),
        Contact("A", At(2024, 1, 15), kEmail),
        Contact("A", At(2024, 1, 31, 23), kEmail),
        Contact("B", At(2024, 1, 20), kTelephone),
        Contact("B", At(2024, 2, 29), kEmail),
        // Not counted: outside the months, no readable date, a person not chosen.
        Contact("A", At(2023, 10, 31, 23), kEmail),
        Contact("B", At(2024, 3, 1, 0), kEmail),
        Contact("A", DateTime(), kEmail),
        Contact("X", At(2024, 1, 5), kEmail),
    };
    RecordingCanvas canvas;
    ContactActivityReport report(canvas, Letter600(), persons, contacts, kTypes,
                                 Span(2023, 11, 2024, 2));
    ASSERT_EQ(report.PageCount(), 1);
    EXPECT_EQ(report.Total(), 8);
    // Email has more contacts: at the bottom and first in the legend.
    ASSERT_EQ(report.Bands().size(), 2u);
    EXPECT_EQ(report.Bands()[0].name, QStringLiteral("Email"));
    EXPECT_EQ(report.Bands()[0].perMonth, (std::vector<int>{1, 0, 3, 1}));
    EXPECT_EQ(report.Bands()[1].name, QStringLiteral("Telephone"));
    EXPECT_EQ(report.Bands()[1].perMonth, (std::vector<int>{2, 0, 1, 0}));
    EXPECT_EQ(report.ScaleTop(), 4);
    EXPECT_EQ(report.ScaleStep(), 1);

    // Axis at 266 + "4" + a character: 348; the chart 4336 wide in six slots of 722, the four
    // months in the middle from 1072, bars of 481 centred in their slots. One legend row: the
    // legend at 5433 - 99 - 123 = 5211, the base line three lines above, 4392 high from 522:
    // 1098 a contact.
    const int base = 4914;
    const auto y = [&](int v) { return base - 1098 * v; };
    const auto bar = [&](int month, int from, int to, int look) {
        return DrawCall::Filled(QRect(1192 + 722 * month, y(to), 481, y(from) - y(to)),
                                ContactActivityReport::LookFill(look, kSpacing));
    };
    const auto label = [&](int month, int line, const QString& text) {
        const int width = 41 * static_cast<int>(text.size());
        return DrawCall::Text(1072 + 722 * month + (722 - width) / 2, base + 24 + 99 * line, text);
    };
    const auto total = [&](int month, int count) {
        return DrawCall::Text(1072 + 722 * month + 340, y(count) - 99, QString::number(count));
    };
    EXPECT_TRUE(SameCalls(
        DrawnPage(report, 0),
        Joined({Furniture(QStringLiteral("CONTACT ACTIVITY November 2023 - February 2024")),
                Scale(348, 522, base, 4, 1),
                {bar(0, 0, 1, 0), bar(0, 1, 3, 1), total(0, 3), bar(2, 0, 3, 0), bar(2, 3, 4, 1),
                 total(2, 4), bar(3, 0, 1, 0), total(3, 1)},
                {label(0, 0, "Nov"), label(0, 1, "2023"), label(1, 0, "Dec"), label(2, 0, "Jan"),
                 label(2, 1, "2024"), label(3, 0, "Feb")},
                LegendEntry(0, 5211, "Email", 0),
                LegendEntry(1, 5211, "Telephone", 1),
                {DrawCall::Text(266, kListsTop, QStringLiteral("Busiest months"), true),
                 DrawCall::Text(266, 5532, QStringLiteral("January 2024")),
                 DrawCall::Text(1209, 5532, QStringLiteral("4")),
                 DrawCall::Text(266, 5631, QStringLiteral("November 2023")),
                 DrawCall::Text(1209, 5631, QStringLiteral("3")),
                 DrawCall::Text(266, 5730, QStringLiteral("February 2024")),
                 DrawCall::Text(1209, 5730, QStringLiteral("1")),
                 DrawCall::Text(2516, kListsTop, QStringLiteral("Most contacted"), true),
                 DrawCall::Text(2516, 5532, QStringLiteral("Lee, Ann")),
                 DrawCall::Text(3459, 5532, QStringLiteral("5")),
                 DrawCall::Text(2516, 5631, QStringLiteral("Zane, Bob")),
                 DrawCall::Text(3459, 5631, QStringLiteral("3"))}})));
}

TEST_F(ActivityLayout, MonthsWithoutAContactDrawTheAxesAndSaySo) {
    RecordingCanvas canvas;
    ContactActivityReport report(canvas, Letter600(), {Person("A", "Ann", "Lee")},
                                 {Contact("A", At(2023, 12, 31, 23), kEmail)}, kTypes,
                                 Span(2024, 1, 2024, 3));
    ASSERT_EQ(report.PageCount(), 1);
    EXPECT_EQ(report.ScaleTop(), 0);
    EXPECT_TRUE(report.Bands().empty());
    // No legend row: the base line at 5433 - 99 - 297; three months from 1433.
    const int base = 5037;
    const QString none = QStringLiteral("No contacts with these persons in these months.");
    const int noneWidth = 41 * static_cast<int>(none.size());
    EXPECT_TRUE(SameCalls(
        DrawnPage(report, 0),
        Joined({Furniture(QStringLiteral("CONTACT ACTIVITY January 2024 - March 2024")),
                {DrawCall::Text(266, base - 49, QStringLiteral("0")),
                 DrawCall::Line(348, 522, 348, base), DrawCall::Line(348, base, kRight, base),
                 DrawCall::Text(348 + (4336 - noneWidth) / 2, 522 + (base - 522 - 99) / 2, none),
                 DrawCall::Text(1433 + 299, base + 24, QStringLiteral("Jan")),
                 DrawCall::Text(1433 + 279, base + 123, QStringLiteral("2024")),
                 DrawCall::Text(2155 + 299, base + 24, QStringLiteral("Feb")),
                 DrawCall::Text(2877 + 299, base + 24, QStringLiteral("Mar"))}})));

    // Nobody chosen counts nothing either.
    ContactActivityReport nobody(canvas, Letter600(), {}, {Contact("A", At(2024, 2, 1), kEmail)},
                                 kTypes, Span(2024, 1, 2024, 3));
    EXPECT_EQ(nobody.Total(), 0);
    EXPECT_EQ(nobody.PageCount(), 1);
}

TEST_F(ActivityLayout, TheScaleRisesInRoundSteps) {
    const std::pair<int, int> steps[] = {{0, 0},    {1, 1},    {5, 1},     {6, 2},
                                         {10, 2},   {11, 5},   {25, 5},    {26, 10},
                                         {100, 20}, {101, 50}, {999, 200}, {1001, 500}};
    for (const auto& [most, step] : steps) {
        EXPECT_EQ(ContactActivityReport::ScaleStepFor(most), step) << most;
    }

    // One busy month among a year of quiet ones: 37 contacts reach a top of 40 in steps of
    // 10, and the bar stands 37/40 of the chart high.
    std::vector<ContactRecord> contacts;
    for (int i = 0; i < 37; ++i) {
        contacts.push_back(Contact("A", At(2024, 6, 1 + i % 28), kTelephone));
    }
    RecordingCanvas canvas;
    ContactActivityReport report(canvas, Letter600(), {Person("A", "Ann", "Lee")}, contacts, kTypes,
                                 Span(2024, 1, 2024, 12));
    EXPECT_EQ(report.ScaleStep(), 10);
    EXPECT_EQ(report.ScaleTop(), 40);
    const ContactActivityReport::Chart& chart = report.Geometry();
    // Two-digit labels: the axis at 266 + 82 + 41.
    EXPECT_EQ(chart.left, 389);
    const std::vector<DrawCall> page = DrawnPage(report, 0);
    std::vector<DrawCall> grid;
    for (const DrawCall& c : OfKind(page, DrawCall::Kind::Line)) {
        if (c.faint) {
            grid.push_back(c);
        }
    }
    ASSERT_EQ(grid.size(), 4u);
    const std::vector<DrawCall> fills = OfKind(page, DrawCall::Kind::Fill);
    // The bar and the legend's swatch.
    ASSERT_EQ(fills.size(), 2u);
    const int height = chart.baseline - chart.top;
    EXPECT_EQ(fills[0].box.top(), chart.baseline - 37 * height / 40);
    EXPECT_EQ(fills[0].box.top() + fills[0].box.height(), chart.baseline);
    // Twelve months in twelve slots: June is the sixth.
    const int start = chart.left + (kRight - chart.left - 12 * chart.slot) / 2;
    EXPECT_EQ(fills[0].box.left(), start + 5 * chart.slot + (chart.slot - chart.bar) / 2);
}

TEST_F(ActivityLayout, ALongTypeNameIsCutWithinItsLegendEntry) {
    const RecordId odd = "AAAAAAAA-0000-0000-000000000001";
    const std::map<RecordId, std::string> types = {
        {kTelephone, "Telephone"}, {odd, "Visits to the harbour office about the mooring fees"}};
    RecordingCanvas canvas;
    ContactActivityReport report(
        canvas, Letter600(), {Person("A", "Ann", "Lee")},
        {Contact("A", At(2024, 1, 5), odd), Contact("A", At(2024, 1, 6), odd),
         Contact("A", At(2024, 1, 7), kTelephone)},
        types, Span(2024, 1, 2024, 1));
    // The entry is 1104 wide: after the swatch and a gap 824 are left, and a gap before the
    // next entry: 20 characters, 19 of them and the ellipsis.
    const QString cut = QStringLiteral("Visits to the harbo") + QChar(0x2026);
    std::vector<DrawCall> legend;
    for (const DrawCall& c : DrawnPage(report, 0)) {
        if (c.kind == DrawCall::Kind::Text && c.y == 5211) {
            legend.push_back(c);
        }
    }
    EXPECT_TRUE(SameCalls(
        legend, {DrawCall::Text(505, 5211, cut),
                 DrawCall::Text(266 + kLegendEntry + 239, 5211, QStringLiteral("Telephone"))}));
    EXPECT_LT(505 + 41 * static_cast<int>(cut.size()), 266 + kLegendEntry);
}

TEST_F(ActivityLayout, ListsRankByCountTiesByMonthAndByName) {
    // Six persons of one count but one; months of two counts.
    std::vector<PersonRecord> persons = {Person("F", "Fay", "Fox"),  Person("D", "Dan", "Dell"),
                                         Person("E", "Eve", "Eads"), Person("C", "Cy", "Cole"),
                                         Person("B", "Bea", "Best"), Person("A", "Al", "Ames")};
    std::vector<ContactRecord> contacts;
    const int months[] = {3, 1, 5, 2, 4, 6};  // one contact of each person, in these months
    for (int p = 0; p < 6; ++p) {
        contacts.push_back(Contact(persons[p].id, At(2024, months[p], 10), kEmail));
    }
    // Dell gets one more, in May: May leads, Dell leads.
    contacts.push_back(Contact("D", At(2024, 5, 20), kTelephone));
    RecordingCanvas canvas;
    ContactActivityReport report(canvas, Letter600(), persons, contacts, kTypes,
                                 Span(2024, 1, 2024, 6));
    const auto texts = [](const std::vector<ContactActivityReport::Ranked>& rows) {
        std::vector<std::pair<std::string, int>> out;
        for (const auto& row : rows) {
            out.emplace_back(row.text.toStdString(), row.count);
        }
        return out;
    };
    using Rows = std::vector<std::pair<std::string, int>>;
    EXPECT_EQ(texts(report.BusiestMonths()), (Rows{{"May 2024", 2},
                                                   {"January 2024", 1},
                                                   {"February 2024", 1},
                                                   {"March 2024", 1},
                                                   {"April 2024", 1}}));
    EXPECT_EQ(texts(report.MostContacted()), (Rows{{"Dell, Dan", 2},
                                                   {"Ames, Al", 1},
                                                   {"Best, Bea", 1},
                                                   {"Cole, Cy", 1},
                                                   {"Eads, Eve", 1}}));
}

TEST_F(ActivityLayout, MoreTypesThanLooksGatherTheFewestUnderOther) {
    // Ten types, type k with k + 1 contacts in March, and two contacts of a type the file no
    // longer has.
    std::map<RecordId, std::string> types;
    std::vector<ContactRecord> contacts;
    for (int k = 0; k < 10; ++k) {
        const RecordId id = "T" + std::to_string(k);
        types[id] = "Type " + std::to_string(k);
        for (int n = 0; n <= k; ++n) {
            contacts.push_back(Contact("A", At(2024, 3, 1 + n), id));
        }
    }
    contacts.push_back(Contact("A", At(2024, 3, 20), "GONE"));
    contacts.push_back(Contact("A", At(2024, 4, 20), "GONE"));
    RecordingCanvas canvas;
    ContactActivityReport report(canvas, Letter600(), {Person("A", "Ann", "Lee")}, contacts, types,
                                 Span(2024, 3, 2024, 4));
    ASSERT_EQ(report.Bands().size(), static_cast<size_t>(ContactActivityReport::kLooks));
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(report.Bands()[i].name, QStringLiteral("Type %1").arg(9 - i));
        EXPECT_EQ(report.Bands()[i].look, i);
    }
    // Types 0, 1 and 2 (1 + 2 + 3) and the two of the lost type.
    const ContactActivityReport::Band& other = report.Bands().back();
    EXPECT_EQ(other.name, QStringLiteral("Other"));
    EXPECT_EQ(other.look, ContactActivityReport::kLooks - 1);
    EXPECT_EQ(other.perMonth, (std::vector<int>{7, 1}));
    EXPECT_EQ(report.Total(), 57);

    // March's bar from the bottom up in the legend's order, each band touching the next; the
    // legend in two rows of four.
    const std::vector<DrawCall> fills = OfKind(DrawnPage(report, 0), DrawCall::Kind::Fill);
    std::vector<DrawCall> march, swatches;
    for (const DrawCall& c : fills) {
        (c.box.width() == 198 ? swatches : march).push_back(c);
    }
    march.erase(
        std::remove_if(march.begin(), march.end(),
                       [&](const DrawCall& c) { return c.box.left() != march[0].box.left(); }),
        march.end());
    ASSERT_EQ(march.size(), 8u);
    ASSERT_EQ(swatches.size(), 8u);
    std::sort(march.begin(), march.end(),
              [](const DrawCall& a, const DrawCall& b) { return a.box.top() > b.box.top(); });
    for (size_t i = 0; i < march.size(); ++i) {
        EXPECT_EQ(march[i].fill, ContactActivityReport::LookFill(report.Bands()[i].look, kSpacing))
            << i;
        EXPECT_EQ(swatches[i].fill, march[i].fill) << i;
        EXPECT_EQ(swatches[i].box.left(), 266 + static_cast<int>(i % 4) * kLegendEntry) << i;
        if (i > 0) {
            EXPECT_EQ(march[i].box.top() + march[i].box.height(), march[i - 1].box.top()) << i;
        }
    }
    EXPECT_EQ(march.front().box.top() + march.front().box.height(), report.Geometry().baseline);
    EXPECT_EQ(march.back().box.top(), report.ValueY(56));
    EXPECT_EQ(swatches[4].box.top(), swatches[0].box.top() + report.Geometry().rowHeight);
}

TEST_F(ActivityLayout, EveryLookReadsApartWithoutColour) {
    // Each hatch once; the two looks without one far apart in grey.
    std::set<int> hatches;
    std::vector<int> plainGreys;
    for (int look = 0; look < ContactActivityReport::kLooks; ++look) {
        const Fill fill = ContactActivityReport::LookFill(look, kSpacing);
        if (fill.pattern == Qt::SolidPattern) {
            plainGreys.push_back(qGray(fill.color.rgb()));
        } else {
            EXPECT_TRUE(hatches.insert(fill.pattern).second) << look;
            EXPECT_EQ(fill.spacing, kSpacing);
        }
    }
    ASSERT_EQ(plainGreys.size(), 2u);
    EXPECT_GT(std::abs(plainGreys[0] - plainGreys[1]), 80);
}

TEST_F(ActivityLayout, ALongSpanGoesOnOverPagesOnOneScale) {
    // 36 months where 21 fit across: two pages of 18, the lists on the second.
    std::vector<ContactRecord> contacts = {
        Contact("A", At(2022, 1, 5), kEmail), Contact("A", At(2023, 7, 5), kEmail),
        Contact("A", At(2023, 7, 6), kEmail), Contact("A", At(2024, 12, 5), kTelephone)};
    RecordingCanvas canvas;
    ContactActivityReport report(canvas, Letter600(), {Person("A", "Ann", "Lee")}, contacts, kTypes,
                                 Span(2022, 1, 2024, 12));
    ASSERT_EQ(report.PageCount(), 2);
    EXPECT_EQ(report.Pages()[0].first, 0);
    EXPECT_EQ(report.Pages()[0].count, 18);
    EXPECT_EQ(report.Pages()[1].first, 18);
    EXPECT_EQ(report.Pages()[1].count, 18);
    const ContactActivityReport::Chart& chart = report.Geometry();
    EXPECT_EQ(chart.slot, (kRight - chart.left) / 18);
    EXPECT_GE(chart.slot, 164 + 41);

    const auto texts = [](const std::vector<DrawCall>& calls) {
        std::set<QString> all;
        for (const DrawCall& c : calls) {
            all.insert(c.text);
        }
        return all;
    };
    const std::vector<DrawCall> first = DrawnPage(report, 0);
    const std::vector<DrawCall> second = DrawnPage(report, 1);
    EXPECT_EQ(texts(first).count(QStringLiteral("Busiest months")), 0u);
    EXPECT_EQ(texts(second).count(QStringLiteral("Busiest months")), 1u);
    EXPECT_EQ(texts(second).count(QStringLiteral("Page 2")), 1u);
    // The same scale on both pages, and the year under the second page's first month (July
    // 2023) as well as under January.
    const auto grid = [](const std::vector<DrawCall>& calls) {
        std::vector<int> ys;
        for (const DrawCall& c : calls) {
            if (c.kind == DrawCall::Kind::Line && c.faint) {
                ys.push_back(c.y);
            }
        }
        return ys;
    };
    EXPECT_EQ(grid(first), grid(second));
    EXPECT_EQ(texts(second).count(QStringLiteral("2023")), 1u);
    EXPECT_EQ(texts(second).count(QStringLiteral("2024")), 1u);
    EXPECT_EQ(texts(first).count(QStringLiteral("2022")), 1u);
    EXPECT_EQ(texts(first).count(QStringLiteral("2023")), 1u);
    // July 2023's bar of two is the first on the second page.
    const std::vector<DrawCall> bars = OfKind(second, DrawCall::Kind::Fill);
    const int start = chart.left + (kRight - chart.left - 18 * chart.slot) / 2;
    bool julyFound = false;
    for (const DrawCall& c : bars) {
        if (c.box.left() == start + (chart.slot - chart.bar) / 2) {
            julyFound = true;
            EXPECT_EQ(c.box.top(), report.ValueY(2));
        }
    }
    EXPECT_TRUE(julyFound);
}

// The hatch is worked out line by line: it stays inside its rectangle and the outline closes
// it, so that two areas side by side stay apart in black and white.
TEST(ActivityCanvas, AHatchStaysInsideItsOutlinedRectangle) {
    for (Qt::BrushStyle pattern : {Qt::HorPattern, Qt::VerPattern, Qt::BDiagPattern,
                                   Qt::FDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern}) {
        QImage image(200, 200, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            PainterCanvas canvas(&painter);
            canvas.FillRect(QRect(40, 50, 100, 80), {QColor(255, 255, 0), pattern, 10});
        }
        int dark = 0;
        int yellow = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QRgb pixel = image.pixel(x, y);
                const bool inside = x >= 40 && x <= 140 && y >= 50 && y <= 130;
                if (!inside) {
                    ASSERT_EQ(pixel, qRgb(255, 255, 255)) << pattern << " at " << x << ", " << y;
                } else if (qGray(pixel) < 100) {
                    ++dark;
                } else if (pixel == qRgb(255, 255, 0)) {
                    ++yellow;
                }
            }
        }
        // The outline alone is about 360 pixels; a hatch adds several hundred more.
        EXPECT_GT(dark, 700) << pattern;
        EXPECT_GT(yellow, 3000) << pattern;
        // The corners are outlined.
        EXPECT_LT(qGray(image.pixel(40, 50)), 100) << pattern;
        EXPECT_LT(qGray(image.pixel(140, 130)), 100) << pattern;
    }
}

}  // namespace
