#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "SimpleXMLParser.h"

using SimpleXMLParser::Element;
using SimpleXMLParser::Exception;
using SimpleXMLParser::Parser;

namespace {

std::unique_ptr<Element> Parse(const std::string& text) {
    Parser parser;
    return parser.Parse(text.data(), text.size());
}

// The line of the syntax error, or 0 when the text parses.
int ErrorLine(const std::string& text) {
    try {
        Parse(text);
        return 0;
    } catch (const Exception& e) {
        return e.Line();
    }
}

bool Parses(const std::string& text) {
    return ErrorLine(text) == 0;
}

// The text of the root of <a>...</a>.
std::string RootText(const std::string& content) {
    return Parse("<a>" + content + "</a>")->Text();
}

const Element& ChildElement(const Element& parent, std::size_t index) {
    const Element* child = parent.Children().at(index)->AsElement();
    EXPECT_NE(child, nullptr);
    return *child;
}

TEST(ParserDeclaration, AcceptsTheFormsVersionOneAndOthersWrite) {
    EXPECT_TRUE(Parses("<?xml version=\"1.0\"?>\n<Tidemark/>"));
    EXPECT_TRUE(Parses("<?XML version='1.0'?><Tidemark/>"));
    EXPECT_TRUE(Parses("<?XmL version = \"1.0\" ?><Tidemark/>"));
    EXPECT_TRUE(Parses("<?xml version=\"1.0\" encoding=\"windows-1252\"?><Tidemark/>"));
    EXPECT_TRUE(Parses("<?xml version='1.0' encoding='UTF-8' ?><Tidemark/>"));
    EXPECT_TRUE(Parses("<Tidemark/>"));
}

TEST(ParserDeclaration, KeepsTheVersionAndIgnoresTheEncoding) {
    const std::string text = "<?xml version=\"1.1\" encoding=\"ISO-8859-1\"?><a>\xE9</a>";
    Parser parser;
    EXPECT_EQ(parser.Version(), "1.0");
    auto root = parser.Parse(text.data(), text.size());
    EXPECT_EQ(parser.Version(), "1.1");
    EXPECT_EQ(root->Text(), "\xE9");
}

TEST(ParserDeclaration, RefusesOtherPseudoAttributesAndMalformedValues) {
    EXPECT_EQ(ErrorLine("<?xml version=\"1.0\" standalone=\"yes\"?><a/>"), 1);
    EXPECT_EQ(ErrorLine("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?><a/>"), 1);
    EXPECT_EQ(ErrorLine("<?xml encoding=\"UTF-8\"?><a/>"), 1);
    EXPECT_EQ(ErrorLine("<?xml?><a/>"), 1);
    EXPECT_EQ(ErrorLine("<?xmlversion=\"1.0\"?><a/>"), 1);
    EXPECT_EQ(ErrorLine("<?xml Version=\"1.0\"?><a/>"), 1);
    EXPECT_EQ(ErrorLine("<?xml version=\"1.0'?><a/>"), 1);
    EXPECT_EQ(ErrorLine("<?xml version=\"\"?><a/>"), 1);
    EXPECT_EQ(ErrorLine("<?xml version=\"1 0\"?><a/>"), 1);
    EXPECT_EQ(ErrorLine("<?xml version=\"1.0\" encoding=\"8bit\"?><a/>"), 1);
    EXPECT_EQ(ErrorLine("<?xml version=\"1.0\"encoding=\"UTF-8\"?><a/>"), 1);
    EXPECT_EQ(ErrorLine("<?xml version=\"1.0\"?"), 1);
}

TEST(ParserDeclaration, CountsOnlyAtTheVeryFirstByte) {
    EXPECT_EQ(ErrorLine(" <?xml version=\"1.0\"?><a/>"), 1);
    EXPECT_EQ(ErrorLine("\n\n<?xml version=\"1.0\"?>\n<a/>"), 3);
    EXPECT_EQ(ErrorLine("\xEF\xBB\xBF<?xml version=\"1.0\"?>\n<a/>"), 1);
    EXPECT_EQ(ErrorLine("<!-- written by hand -->\n<?xml version=\"1.0\"?>\n<a/>"), 2);
}

TEST(ParserReferences, DecodeToOneByte) {
    EXPECT_EQ(RootText("&#65;"), "A");
    EXPECT_EQ(RootText("&#x41;"), "A");
    EXPECT_EQ(RootText("&#x4a;&#x4A;"), "JJ");
    EXPECT_EQ(RootText("&#321;"), "A");  // 321 is 256 + 65
    EXPECT_EQ(RootText("&#233;"), "\xE9");
    // 99999999999999999999 is 255 modulo 256; no overflow on the way.
    EXPECT_EQ(RootText("&#99999999999999999999;"), "\xFF");
    EXPECT_EQ(RootText("&#xFFFFFFFFFFFFFFFFFFFF41;"), "A");
    EXPECT_EQ(RootText("&lt;&gt;&amp;&apos;&quot;"), "<>&'\"");
    EXPECT_EQ(RootText("a&amp;b"), "a&b");
}

TEST(ParserReferences, RefuseWhatIsNotDefined) {
    EXPECT_EQ(ErrorLine("<a>&#X41;</a>"), 1);
    EXPECT_EQ(ErrorLine("<a>&nbsp;</a>"), 1);
    EXPECT_EQ(ErrorLine("<a>&AMP;</a>"), 1);
    EXPECT_EQ(ErrorLine("<a>&amp</a>"), 1);
    EXPECT_EQ(ErrorLine("<a>&#;</a>"), 1);
    EXPECT_EQ(ErrorLine("<a>&#x;</a>"), 1);
    EXPECT_EQ(ErrorLine("<a>&;</a>"), 1);
    EXPECT_EQ(ErrorLine("<a>a & b</a>"), 1);
}

TEST(ParserAttributes, KeepTheOtherQuoteAndDecodeReferences) {
    auto root = Parse("<a one='say \"hi\"' two=\"it's\" three = \"&lt;&#65;&amp;\" one=\"x\"/>");
    const auto& attributes = root->Attributes();
    ASSERT_EQ(attributes.size(), 4u);
    EXPECT_EQ(attributes[0].Name(), "one");
    EXPECT_EQ(attributes[0].Value(), "say \"hi\"");
    EXPECT_EQ(attributes[1].Value(), "it's");
    EXPECT_EQ(attributes[2].Name(), "three");
    EXPECT_EQ(attributes[2].Value(), "<A&");
    // A repeated name is a second entry, in document order.
    EXPECT_EQ(attributes[3].Name(), "one");
    EXPECT_EQ(attributes[3].Value(), "x");
}

TEST(ParserAttributes, RefuseMarkupAndMissingPieces) {
    EXPECT_EQ(ErrorLine("<a b=\"x<y\"/>"), 1);
    EXPECT_EQ(ErrorLine("<a b/>"), 1);
    EXPECT_EQ(ErrorLine("<a b=/>"), 1);
    EXPECT_EQ(ErrorLine("<a b=x/>"), 1);
    EXPECT_EQ(ErrorLine("<a b=\"1\"c=\"2\"/>"), 1);
    EXPECT_EQ(ErrorLine("<a b=\"1/>"), 1);
    EXPECT_EQ(ErrorLine("<a b='1\"/>"), 1);
    EXPECT_EQ(ErrorLine("<a/ >"), 1);
    EXPECT_EQ(ErrorLine("<a x='1'"), 1);
}

TEST(ParserContent, KeepsTextWhitespaceAndHighBytesUnchanged) {
    auto root = Parse("<a>\n\t<b> x \xE4\xF6\xFC </b>\n\t<c/>\n</a>");
    EXPECT_EQ(root->Text(), "\n\t\n\t\n");
    ASSERT_EQ(root->Children().size(), 2u);
    EXPECT_EQ(ChildElement(*root, 0).Name(), "b");
    EXPECT_EQ(ChildElement(*root, 0).Text(), " x \xE4\xF6\xFC ");
    EXPECT_EQ(ChildElement(*root, 1).Name(), "c");
    EXPECT_TRUE(ChildElement(*root, 1).Children().empty());
}

TEST(ParserContent, SkipsCarriageReturnsInMarkupButKeepsThemInText) {
    auto root = Parse("<a\r\n  x='1'\r\n>line one\r\nline two<b\r/>\r</a\r\n>");
    EXPECT_EQ(root->Attributes().at(0).Value(), "1");
    EXPECT_EQ(root->Text(), "line one\r\nline two\r");
    EXPECT_EQ(ChildElement(*root, 0).Name(), "b");
}

TEST(ParserContent, AppendsCDataAndRefusesBytesOutsideIt) {
    EXPECT_EQ(RootText("x<![CDATA[<b>&amp; ]] ]>]]>y"), "x<b>&amp; ]] ]>y");
    EXPECT_EQ(RootText("<![CDATA[]]>"), "");
    EXPECT_EQ(ErrorLine("<a><![CDATA[caf\xE9]]></a>"), 1);
    EXPECT_EQ(ErrorLine("<a><![CDATA[\x80]]></a>"), 1);
    EXPECT_EQ(ErrorLine("<a><![CDATA[\x01]]></a>"), 1);
    EXPECT_EQ(ErrorLine("<a><![CDATA[open</a>"), 1);
    EXPECT_EQ(ErrorLine("<a><![cdata[x]]></a>"), 1);
    EXPECT_EQ(ErrorLine("<a>x]]>y</a>"), 1);
    EXPECT_TRUE(Parses("<a>x]] >y]</a>"));
}

TEST(ParserContent, KeepsCommentsAsChildren) {
    auto root = Parse("<!-- before --><a>x<!-- one - two -->y<!---->z</a>");
    EXPECT_EQ(root->Text(), "xyz");
    ASSERT_EQ(root->Children().size(), 2u);
    const auto& comment = *root->Children()[0];
    EXPECT_EQ(comment.AsElement(), nullptr);
    EXPECT_EQ(comment.Name(), "!");
    EXPECT_EQ(comment.Text(), " one - two ");
    EXPECT_TRUE(comment.Attributes().empty());
    EXPECT_TRUE(comment.Children().empty());
    EXPECT_EQ(root->Children()[1]->Text(), "");

    SimpleXMLParser::Comment lone("text");
    EXPECT_FALSE(lone.AddChild(std::make_unique<Element>("b")));
    EXPECT_TRUE(lone.Children().empty());

    EXPECT_EQ(ErrorLine("<a><!-- a -- b --></a>"), 1);
    EXPECT_EQ(ErrorLine("<a><!-- open </a>"), 1);
    EXPECT_EQ(ErrorLine("<a><!- x --></a>"), 1);
}

TEST(ParserContent, RefusesOtherMarkupAndWrongEndTags) {
    EXPECT_EQ(ErrorLine("<a><?pi x?></a>"), 1);
    EXPECT_EQ(ErrorLine("<a><!DOCTYPE a></a>"), 1);
    EXPECT_EQ(ErrorLine("<a>< b/></a>"), 1);
    EXPECT_EQ(ErrorLine("<a><1/></a>"), 1);
    EXPECT_EQ(ErrorLine("<a></A>"), 1);
    EXPECT_EQ(ErrorLine("<a><b></a></b>"), 1);
    EXPECT_EQ(ErrorLine("<a></a x>"), 1);
    EXPECT_TRUE(Parses("<a></a \n >"));
    EXPECT_TRUE(Parses("<_x:y.z-1></_x:y.z-1>"));
    EXPECT_EQ(ErrorLine("<a\xE9/>"), 1);
}

TEST(ParserDocument, IgnoresWhateverFollowsTheRoot) {
    EXPECT_TRUE(Parses("<a/>\n<!-- fine -->\n"));
    EXPECT_TRUE(Parses("<a></a>not xml at all <<< &&& ]]>"));
    EXPECT_TRUE(Parses("<a/><b>"));
}

TEST(ParserDocument, NeedsARootElement) {
    EXPECT_EQ(ErrorLine(""), 1);
    EXPECT_EQ(ErrorLine("   "), 1);
    EXPECT_EQ(ErrorLine("plain text"), 1);
    EXPECT_EQ(ErrorLine("<!-- only a comment -->"), 1);
    EXPECT_EQ(ErrorLine("SQLite format 3"), 1);
}

TEST(ParserDocument, NamesTheLineOfTheError) {
    EXPECT_EQ(ErrorLine("<a>\n<b>\n&bogus;\n</b>\n</a>"), 3);
    EXPECT_EQ(ErrorLine("<a>\r\n<b>\r\n</c>\r\n</a>"), 3);
    EXPECT_EQ(ErrorLine("<a>\n\n\n\n"), 5);  // the end of the text, on the last line
    EXPECT_EQ(ErrorLine("<a\n\n  b=\"x<\"/>"), 3);
    try {
        Parse("<a>\n  &x;</a>");
        FAIL() << "parsed";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Line(), 2);
        EXPECT_EQ(e.Column(), 6);  // just past the unknown name and its ";"
    }
}

TEST(ParserDocument, ReadsNoFurtherThanTheLengthGiven) {
    const std::string text = "<a>xy</a>";
    Parser parser;
    EXPECT_THROW(parser.Parse(text.data(), text.size() - 1), Exception);
}

TEST(ParserDocument, SurvivesDeepNesting) {
    const int depth = 200000;
    std::string text;
    for (int i = 0; i < depth; ++i) {
        text += "<a>";
    }
    for (int i = 0; i < depth; ++i) {
        text += "</a>";
    }
    auto root = Parse(text);
    int levels = 1;
    for (const Element* e = root.get(); !e->Children().empty(); e = e->Children()[0]->AsElement()) {
        ++levels;
    }
    EXPECT_EQ(levels, depth);
    root.reset();  // taken apart without recursion
    text.resize(text.size() - 4);
    EXPECT_NE(ErrorLine(text), 0);
}

}  // namespace
