#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Import.h"
#include "LineTokenizer.h"
#include "TransferCoreTestSupport.h"

namespace {

using transfer::LineTokenizer;
using transfer_test::Fields;
using Ending = LineTokenizer::Ending;

struct Row {
    char separator;
    char encloser;
    std::string line;
    std::vector<std::string> fields;
};

void Check(const std::vector<Row>& rows) {
    for (const Row& row : rows) {
        SCOPED_TRACE("line [" + row.line + "] separator [" + std::string(1, row.separator) +
                     "] encloser [" + std::string(1, row.encloser) + "]");
        EXPECT_EQ(Fields(LineTokenizer(row.separator, row.encloser), row.line), row.fields);
    }
}

TEST(LineTokenizer, TrimsWhiteSpaceAtTheEndsBeforeEachField) {
    Check({
        {',', '"', "a,b,c", {"a", "b", "c"}},
        {',', '"', " \t\v\fa,\r\n b\f\v\r\n", {"a", "b"}},
        // Only the line's ends are trimmed: the blank before a separator stays.
        {',', '"', "a ,b", {"a ", "b"}},
        {',', '"', "Mary Ann, van Dyke", {"Mary Ann", "van Dyke"}},
        {',', '"', "", {}},
        {',', '"', " \t\r\n", {}},
        // White space that is the separator is never trimmed: each tab ends a field.
        {'\t', '"', "a\t\tb", {"a", "", "b"}},
        {'\t', '"', "\ta\tb", {"", "a", "b"}},
        {'\t', '"', " a\t \t\t\"b\"\t", {"a", "", "", "b"}},
        {' ', '"', "a  b", {"a", "", "b"}},
        {' ', '"', "\ta b\t", {"a", "b"}},
    });
}

TEST(LineTokenizer, TabSeparatedRunsOfEmptyFieldsKeepEveryColumn) {
    // As mail programs export: most fields empty, the tab as separator.
    const std::string line =
        "Ann\t\t\tLee\t\t\t\t\tann@example.com\t\t\"Head of Sales\"\t\t\tnotes";
    const std::vector<std::string> fields = Fields(LineTokenizer('\t', '"'), line);
    ASSERT_EQ(fields.size(), 14u);
    EXPECT_EQ(fields[0], "Ann");
    EXPECT_EQ(fields[3], "Lee");
    EXPECT_EQ(fields[8], "ann@example.com");
    EXPECT_EQ(fields[10], "Head of Sales");
    EXPECT_EQ(fields[13], "notes");
    for (size_t i : {1, 2, 4, 5, 6, 7, 9, 11, 12}) {
        EXPECT_EQ(fields[i], "") << i;
    }
}

TEST(LineTokenizer, SeparatorsAtTheEndsAndInARow) {
    Check({
        {',', '"', ",a", {"", "a"}},
        {',', '"', "a,", {"a"}},
        {',', '"', "Smith,,John", {"Smith", "", "John"}},
        {',', '"', ",,", {"", ""}},
        {';', '"', "a;b,c;d", {"a", "b,c", "d"}},
        {'|', '"', "a|b", {"a", "b"}},
        {' ', '"', "a b", {"a", "b"}},
    });
}

TEST(LineTokenizer, EnclosedFields) {
    Check({
        {',', '"', "\"a,b\",c", {"a,b", "c"}},
        {',', '"', "\"say \"\"hi\"\"\",x", {"say \"hi\"", "x"}},
        {',', '"', "\"\"\"worker\"\"\"", {"\"worker\""}},
        {',', '"', "\"\",x", {"", "x"}},
        {',', '"', "\"\"", {""}},
        {',', '"', "x,\"\"", {"x", ""}},
        {',', '"', "\"\",\"\",\"\"", {"", "", ""}},
        {',', '"', "\"\"\"\"", {"\""}},
        {',', '"', "\" padded \",x", {" padded ", "x"}},
        {',', '"', "\"line 1\r\nline 2\",x", {"line 1\r\nline 2", "x"}},
        {',', '\'', "'O''Brien','a,b'", {"O'Brien", "a,b"}},
        {';', '\'', "'a;b';\"c\"", {"a;b", "\"c\""}},
        // Without an encloser quotes are text like any other.
        {',', '\0', "\"a,b\",c", {"\"a", "b\"", "c"}},
        // An encloser inside a plain field is text.
        {',', '"', "ab\"cd,e", {"ab\"cd", "e"}},
    });
}

TEST(LineTokenizer, TextAfterTheClosingEncloserContinuesTheField) {
    Check({
        {',', '"', "\"ab\"cd,e", {"abcd", "e"}},
        {',', '"', "\"ab\" ,c", {"ab ", "c"}},
        {';', '"', "\"a\"b;\"c\"", {"ab", "c"}},
    });
}

TEST(LineTokenizer, EscapesInsideEnclosedFields) {
    Check({
        {',', '"', "\"\\a\\b\\f\\n\\r\\t\\v\",x", {"\a\b\f\n\r\t\v", "x"}},
        {',', '"', "\"\\101\"", {"A"}},
        {',', '"', "\"\\1011\"", {"A1"}},
        // Three octal digits make up to 511: the byte is what is left modulo 256.
        {',', '"', "\"\\777\"", {"\xFF"}},
        {',', '"', "\"\\400\"", {std::string(1, '\0')}},
        {',', '"', "\"\\1x\"", {"\x01x"}},
        {',', '"', "\"a\\1\",b", {"a\x01", "b"}},
        {',', '"', "\"\\12z\"", {"\nz"}},
        {',',
         '"',
         "\"\\18\"",
         {"\x01"
          "8"}},
        {',', '"', "\"a\\\"b\",c", {"a\"b", "c"}},
        {',', '"', "\"a\\,b\",c", {"a,b", "c"}},
        {',', '"', "\"a\\\\b\",c", {"a\\b", "c"}},
        {',', '"', "\"\\q\"", {"q"}},
        // No escapes in a plain field.
        {',', '"', "a\\tb,c", {"a\\tb", "c"}},
    });
}

TEST(LineTokenizer, TellsHowEachFieldEnded) {
    const LineTokenizer tokenizer(',', '"');
    struct EndingRow {
        std::string line;
        std::string field;
        Ending ending;
        std::string rest;
    };
    const EndingRow rows[] = {
        {"\"abc", "abc", Ending::Open, ""},     {"\"a,b", "a,b", Ending::Open, ""},
        {"\"abc\"", "abc", Ending::Closed, ""}, {"\"abc\",d", "abc", Ending::Closed, "d"},
        {"\"\",d", "", Ending::Closed, "d"},    {"\"ab\"cd,e", "abcd", Ending::Closed, "e"},
        {"abc,d", "abc", Ending::Plain, "d"},   {"\"say \"\"hi", "say \"hi", Ending::Open, ""},
    };
    for (const EndingRow& row : rows) {
        SCOPED_TRACE(row.line);
        std::string_view line = row.line;
        std::string field;
        Ending ending = Ending::Plain;
        ASSERT_TRUE(tokenizer.NextField(line, field, ending));
        EXPECT_EQ(field, row.field);
        EXPECT_EQ(ending, row.ending);
        EXPECT_EQ(line, row.rest);
    }
}

TEST(LikeliestSeparator, TheOneGivingMostFields) {
    struct SeparatorRow {
        std::string line;
        char separator;
    };
    const SeparatorRow rows[] = {
        {"a,b,c", ','},
        {"a;b;c", ';'},
        {"a\tb\tc", '\t'},
        {"a|b|c", '|'},
        {"a;b,c;d", ';'},
        {"a|b|c;d,e", '|'},
        // Ties go to the first in the order comma, semicolon, tab, pipe.
        {"a,b;c", ','},
        {"a;b\tc", ';'},
        {"a\tb|c", '\t'},
        {"abc", ','},
        {"", ','},
        // Separators inside quotes do not count.
        {"\"a;b;c\",d", ','},
        {"\"x,y,z\";b;c", ';'},
        {"\"Last, First\"|\"Company, Inc\"|c", '|'},
    };
    for (const SeparatorRow& row : rows) {
        SCOPED_TRACE(row.line);
        EXPECT_EQ(transfer::LikeliestSeparator(row.line, '"'), row.separator);
    }
}

}  // namespace
