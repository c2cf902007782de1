#pragma once

#include <string>
#include <string_view>

#include <QString>

// Phone numbers as the sheet and the search read them: the letters of a keypad and the country
// code in front of a number. No widgets.

// The keypad digit of an ASCII letter (ABC 2, DEF 3, GHI 4, JKL 5, MNO 6, PQRS 7, TUV 8, WXYZ 9,
// either case); 0 for anything else.
char KeypadDigit(QChar c);

// True when the number, before an extension written at its end (" x12", "ext. 12"), holds a
// letter that a dialler would not dial: "1-800-FLOWERS".
bool HasKeypadLetters(const QString& number);

// The number with each of those letters as its keypad digit, everything else as written:
// "1-800-FLOWERS x12" is "1-800-356-9377 x12".
QString WithKeypadDigits(const QString& number);

// How many leading digits of an international number are its country code (1 to 3): country
// codes are prefix-free, so the digits themselves tell.
int CountryCodeLength(std::string_view digits);

// The digits of a number written with a country code ("+49 170 123", "0049 170 123",
// "+49 (0)170 123") as dialled at home, with one trunk 0: "0170123". Empty for a number
// written without one, or with nothing after the country code.
std::string NationalDigits(std::string_view number);
