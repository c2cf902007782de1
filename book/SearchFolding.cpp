#include "SearchFolding.h"

#include <algorithm>
#include <iterator>
#include <vector>

#include <QChar>
#include <QList>

#include "StoredText.h"

namespace {

// Letters that keep no mark to drop, as they are typed on a plain keyboard; and the typographic
// quotes and dashes that old files hold where the user types ' " and -: apostrophes and single
// quotes, double quotes, hyphens, dashes and the minus sign.
const char* SpelledPlainly(char32_t c) {
    // Each letter as the spelling at its place.
    static constexpr std::u32string_view kLetters =
        U"ßæœøłđðþħıɨŧƀƒƶǥ\u02BC\u2018\u2019\u201B\u201C\u201D\u201E\u2010\u2011\u2012\u2013\u2014"
        U"\u2015\u2212";
    static constexpr const char* kSpelled[] = {
        "ss", "ae", "oe", "o", "l", "d",  "d",  "th", "h", "i", "i", "t", "b", "f", "z",
        "g",  "'",  "'",  "'", "'", "\"", "\"", "\"", "-", "-", "-", "-", "-", "-", "-"};
    static_assert(std::size(kSpelled) == kLetters.size());
    const size_t at = kLetters.find(c);
    return at == std::u32string_view::npos ? nullptr : kSpelled[at];
}

// One character through Qt's Unicode tables: compatibility decomposition, non-spacing marks
// dropped, case folded, then spelled plainly.
std::string FoldWithQt(char32_t c) {
    std::string out;
    const QString decomposed = QString::fromUcs4(&c, 1).normalized(QString::NormalizationForm_KD);
    for (const char32_t d : decomposed.toUcs4()) {
        const QChar::Category category = QChar::category(d);
        if (category == QChar::Mark_NonSpacing || category == QChar::Mark_Enclosing) {
            continue;
        }
        for (const char32_t f : QString::fromUcs4(&d, 1).toCaseFolded().toUcs4()) {
            if (const char* plain = SpelledPlainly(f)) {
                out += plain;
            } else {
                AppendUtf8(out, f);
            }
        }
    }
    return out;
}

// The characters of two UTF-8 bytes (Latin, Greek, Cyrillic, Hebrew, Arabic) are most of the
// non-ASCII text of an address book: folded once, on first use.
const std::vector<std::string>& TwoByteFolds() {
    static const std::vector<std::string> table = [] {
        std::vector<std::string> folds;
        folds.reserve(0x800 - 0x80);
        for (char32_t c = 0x80; c < 0x800; ++c) {
            folds.push_back(FoldWithQt(c));
        }
        return folds;
    }();
    return table;
}

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

void AppendFoldedCodePoint(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += LowerAscii(static_cast<char>(c));
    } else if (c < 0x800) {
        out += TwoByteFolds()[c - 0x80];
    } else if (const char* plain = SpelledPlainly(c)) {
        out += plain;
    } else if ((c >= 0x4E00 && c <= 0x9FFF) || (c >= 0x3400 && c <= 0x4DBF)) {
        // Han ideographs have neither case nor marks.
        AppendUtf8(out, c);
    } else {
        out += FoldWithQt(c);
    }
}

}  // namespace

void AppendFolded(std::string& out, const QString& text) {
    for (const char32_t c : text.toUcs4()) {
        AppendFoldedCodePoint(out, c);
    }
}

void AppendFolded(std::string& out, std::string_view stored) {
    const size_t start = out.size();
    // Most stored text is ASCII, lower-cased as it is in one pass.
    out.resize(start + stored.size());
    char* to = out.data() + start;
    unsigned char high = 0;
    for (const char c : stored) {
        high |= static_cast<unsigned char>(c);
        *to++ = LowerAscii(c);
    }
    if (high < 0x80) {
        return;
    }
    out.resize(start);
    for (const Utf8Char& c : Utf8Chars(stored)) {
        if (!c.valid) {
            // Not UTF-8: the field is Windows-1252, read whole as such.
            out.resize(start);
            AppendFolded(out, FromStoredText(stored));
            return;
        }
        AppendFoldedCodePoint(out, c.code);
    }
}

std::string FoldForSearch(std::string_view stored) {
    std::string out;
    AppendFolded(out, stored);
    return out;
}

std::string FoldForSearch(const QString& text) {
    std::string out;
    AppendFolded(out, text);
    return out;
}
