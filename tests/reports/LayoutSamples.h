#pragma once

#include <QString>
#include <string>
#include <vector>

#include "PageGeometry.h"
#include "PersonRecord.h"
#include "RecordingCanvas.h"

// Devices and people the layout tests share.

// Letter at 600 dpi whose printable area starts 75 units into the sheet.
inline reports::DeviceMetrics Letter600() {
    return {600, 600, 5100, 6600, 75, 75};
}

// A4 at 300 dpi, printable to the edge.
inline reports::DeviceMetrics A4At300() {
    return {300, 300, 2480, 3508, 0, 0};
}

// Where the reports draw at 10 pt with 0.5 in margins on a RecordingCanvas, worked out by hand.
struct Layout {
    int left, top, right, bottom;  // content
    int line;                      // pixel + pixel / 5
    int charWidth;                 // pixel / 2; bold draws one more per character
    int leftX, rightX;             // left + charWidth; leftX + (right - left) / 2
    int inch;                      // dpiX

    int BoldWidth(const QString& text) const {
        return static_cast<int>(text.size()) * (charWidth + 1);
    }
    int Width(const QString& text) const { return static_cast<int>(text.size()) * charWidth; }
    // x of bold text centred between content left and right.
    int CentredBold(const QString& text) const {
        return left + (right - left - BoldWidth(text)) / 2;
    }
};

// 0.5 in × 600 − 75 = 225 each side; 5100 − 300 − 75 = 4725; 6600 − 300 − 75 = 6225.
// 10 pt = 83 px (10 × 600 / 72), line 83 + 16 = 99, char 41, left x 266, right x 266 + 2250.
constexpr Layout kLetter600{225, 225, 4725, 6225, 99, 41, 266, 2516, 600};
// 0.5 in × 300 = 150; 2480 − 150 = 2330; 3508 − 150 = 3358. 10 pt = 41 px, line 41 + 8 = 49,
// char 20, left x 170, right x 170 + 1090.
constexpr Layout kA4At300{150, 150, 2330, 3358, 49, 20, 170, 1260, 300};

inline PersonRecord Person(const std::string& id, const std::string& first, const std::string& last,
                           const std::string& company = "") {
    PersonRecord p;
    p.id = id;
    p[PersonRecord::FName] = first;
    p[PersonRecord::LName] = last;
    p[PersonRecord::Company] = company;
    return p;
}

// n persons "Person 00", "Person 01", ... already in name order, ids "P00", "P01", ...
inline std::vector<PersonRecord> NumberedPersons(int n) {
    std::vector<PersonRecord> persons;
    for (int i = 0; i < n; ++i) {
        const std::string number = (i < 10 ? "0" : "") + std::to_string(i);
        persons.push_back(Person("P" + number, "Person", number));
    }
    return persons;
}

inline std::vector<std::string> IdsOf(const std::vector<PersonRecord>& persons) {
    std::vector<std::string> ids;
    for (const PersonRecord& p : persons) {
        ids.push_back(p.id);
    }
    return ids;
}
