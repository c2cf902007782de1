#include "PhoneNumbers.h"

#include <QRegularExpression>

namespace {

// An extension at the end of a number: its letters are a marker, not a name to dial.
qsizetype ExtensionStart(const QString& number) {
    static const QRegularExpression extension(QStringLiteral("\\s*(?:ext\\.?|x)\\s*[0-9]+\\s*$"),
                                              QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch found = extension.match(number);
    return found.hasMatch() ? found.capturedStart() : number.size();
}

}  // namespace

char KeypadDigit(QChar c) {
    static const char keys[] = "22233344455566677778889999";
    const char16_t u = c.unicode();
    if (u >= 'a' && u <= 'z') {
        return keys[u - 'a'];
    }
    if (u >= 'A' && u <= 'Z') {
        return keys[u - 'A'];
    }
    return 0;
}

bool HasKeypadLetters(const QString& number) {
    const qsizetype end = ExtensionStart(number);
    for (qsizetype i = 0; i < end; ++i) {
        if (KeypadDigit(number[i]) != 0) {
            return true;
        }
    }
    return false;
}

QString WithKeypadDigits(const QString& number) {
    QString digits;
    const qsizetype end = ExtensionStart(number);
    qsizetype i = 0;
    while (i < end) {
        qsizetype run = i;
        while (run < end && KeypadDigit(number[run]) != 0) {
            ++run;
        }
        if (run == i) {
            digits += number[i++];
            continue;
        }
        // Seven letters name a whole local number: its digits are grouped as one, 3-4.
        const bool local = run - i == 7 && !(run < end && number[run].isDigit());
        for (qsizetype at = i; at < run; ++at) {
            if (local && at == i + 3) {
                digits += QLatin1Char('-');
            }
            digits += QLatin1Char(KeypadDigit(number[at]));
        }
        i = run;
    }
    return digits + number.mid(end);
}

int CountryCodeLength(std::string_view digits) {
    if (digits.empty()) {
        return 0;
    }
    const char first = digits[0];
    if (first == '1' || first == '7') {
        return 1;
    }
    if (digits.size() < 2) {
        return 0;
    }
    // The second digits that make a two-digit code, by zone; every other code has three.
    static const char* const twoDigit[] = {"07",      "0123469", "013456789", "12345678",
                                           "0123456", "",        "1246",      "0123458"};
    const int zone = first - '0';
    const bool two =
        zone >= 2 && std::string_view(twoDigit[zone - 2]).find(digits[1]) != std::string_view::npos;
    if (two) {
        return 2;
    }
    return digits.size() >= 3 ? 3 : 0;
}

std::string NationalDigits(std::string_view number) {
    size_t at = 0;
    while (at < number.size() && number[at] == ' ') {
        ++at;
    }
    bool international = false;
    if (at < number.size() && number[at] == '+') {
        international = true;
        ++at;
    } else if (number.substr(at, 2) == "00" && number.substr(at, 3) != "000") {
        international = true;
        at += 2;
    }
    if (!international) {
        return std::string();
    }
    std::string digits;
    std::string_view rest = number.substr(at);
    for (size_t i = 0; i < rest.size(); ++i) {
        // "(0)" is the trunk 0 written in: the national form adds its own.
        if (rest.substr(i, 3) == "(0)") {
            i += 2;
            continue;
        }
        if (rest[i] >= '0' && rest[i] <= '9') {
            digits += rest[i];
        }
    }
    const int code = CountryCodeLength(digits);
    if (code == 0 || digits.size() <= static_cast<size_t>(code)) {
        return std::string();
    }
    std::string national = digits.substr(static_cast<size_t>(code));
    // Where the trunk 0 belongs to the number (Italy's 06 for Rome) it is kept as it is.
    if (national[0] != '0') {
        national.insert(national.begin(), '0');
    }
    return national;
}
