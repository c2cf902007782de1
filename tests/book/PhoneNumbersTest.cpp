// The letters of a keypad and the country code in front of a number, without a window.
#include <gtest/gtest.h>

#include <QString>

#include "PhoneNumbers.h"

TEST(KeypadLetters, EachLetterHasTheDigitOfItsKey) {
    const char* keys[] = {"ABC", "DEF", "GHI", "JKL", "MNO", "PQRS", "TUV", "WXYZ"};
    for (int key = 0; key < 8; ++key) {
        for (const char* letter = keys[key]; *letter; ++letter) {
            const char digit = static_cast<char>('2' + key);
            EXPECT_EQ(KeypadDigit(QLatin1Char(*letter)), digit) << *letter;
            EXPECT_EQ(KeypadDigit(QChar(QLatin1Char(*letter)).toLower()), digit) << *letter;
        }
    }
    for (QChar other : {QChar(u'0'), QChar(u'9'), QChar(u'-'), QChar(u'+'), QChar(u'é'),
                        QChar(u'@'), QChar(u' ')}) {
        EXPECT_EQ(KeypadDigit(other), 0) << other.unicode();
    }
}

TEST(KeypadLetters, NumbersWithLettersGetTheirDigitsAndKeepTheRest) {
    EXPECT_TRUE(HasKeypadLetters(QStringLiteral("1-800-FLOWERS")));
    EXPECT_EQ(WithKeypadDigits(QStringLiteral("1-800-FLOWERS")), QStringLiteral("1-800-356-9377"));
    EXPECT_EQ(WithKeypadDigits(QStringLiteral("+1 (800) GoFedEx")),
              QStringLiteral("+1 (800) 463-3339"));
    // Only a name of seven letters is grouped as the seven digits of a number are.
    EXPECT_EQ(WithKeypadDigits(QStringLiteral("0800 GOLF")), QStringLiteral("0800 4653"));
    EXPECT_EQ(WithKeypadDigits(QStringLiteral("555-FLOWERS9")), QStringLiteral("555-35693779"));
    // An "x" inside the name is a letter like the others.
    EXPECT_EQ(WithKeypadDigits(QStringLiteral("1-800-TAXI")), QStringLiteral("1-800-8294"));
    EXPECT_TRUE(HasKeypadLetters(QStringLiteral("1-800-TAXI")));
}

TEST(KeypadLetters, AnExtensionAtTheEndIsNoName) {
    for (const char* written :
         {"555-1234 x12", "555-1234x12", "555-1234 ext. 12", "555-1234 Ext 12", "555-1234 X 12"}) {
        const QString number = QString::fromLatin1(written);
        EXPECT_FALSE(HasKeypadLetters(number)) << written;
        EXPECT_EQ(WithKeypadDigits(number), number) << written;
    }
    EXPECT_TRUE(HasKeypadLetters(QStringLiteral("1-800-FLOWERS x12")));
    EXPECT_EQ(WithKeypadDigits(QStringLiteral("1-800-FLOWERS x12")),
              QStringLiteral("1-800-356-9377 x12"));
    // Letters after the digits of an extension are not one.
    EXPECT_TRUE(HasKeypadLetters(QStringLiteral("555-1234 x12b")));
    EXPECT_FALSE(HasKeypadLetters(QString()));
    EXPECT_FALSE(HasKeypadLetters(QStringLiteral("+49 (0)30 123-4567")));
}

TEST(CountryCodes, TheDigitsTellTheLengthOfTheCode) {
    EXPECT_EQ(CountryCodeLength("15551234"), 1);
    EXPECT_EQ(CountryCodeLength("74951234"), 1);
    EXPECT_EQ(CountryCodeLength("491701234"), 2);
    EXPECT_EQ(CountryCodeLength("442071234"), 2);
    EXPECT_EQ(CountryCodeLength("33612345"), 2);
    EXPECT_EQ(CountryCodeLength("20212345"), 2);
    EXPECT_EQ(CountryCodeLength("8613912345"), 2);
    EXPECT_EQ(CountryCodeLength("3531234567"), 3);  // Ireland, where 35 is no code
    EXPECT_EQ(CountryCodeLength("4201234567"), 3);  // the Czech Republic
    EXPECT_EQ(CountryCodeLength("8521234567"), 3);  // Hong Kong
    EXPECT_EQ(CountryCodeLength("9711234567"), 3);
    EXPECT_EQ(CountryCodeLength("2341234567"), 3);
    EXPECT_EQ(CountryCodeLength(""), 0);
    EXPECT_EQ(CountryCodeLength("4"), 0);
    EXPECT_EQ(CountryCodeLength("35"), 0);
}

TEST(CountryCodes, NumbersFromAbroadAsDialledAtHome) {
    EXPECT_EQ(NationalDigits("+49 170 1234567"), "01701234567");
    EXPECT_EQ(NationalDigits("  +49-170-1234567"), "01701234567");
    EXPECT_EQ(NationalDigits("0049 170 1234567"), "01701234567");
    EXPECT_EQ(NationalDigits("+49 (0)30 123-4567"), "0301234567");
    EXPECT_EQ(NationalDigits("+1 (555) 0110"), "05550110");
    EXPECT_EQ(NationalDigits("+353 1 234 5678"), "012345678");
    EXPECT_EQ(NationalDigits("+39 06 1234567"), "061234567");  // Rome keeps its 0
    EXPECT_EQ(NationalDigits("+49170"), "0170");
    // Not written from abroad, or nothing after the code.
    EXPECT_EQ(NationalDigits("0170 1234567"), "");
    EXPECT_EQ(NationalDigits("030 1234567"), "");
    EXPECT_EQ(NationalDigits("000 123"), "");
    EXPECT_EQ(NationalDigits("+49"), "");
    EXPECT_EQ(NationalDigits("+4"), "");
    EXPECT_EQ(NationalDigits(""), "");
}
