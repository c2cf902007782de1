#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "SimpleXMLParser.h"
#include "V1Document.h"

namespace {

// Small documents that between them reach every part of the parser.
std::vector<std::string> Seeds() {
    return {
        "<?xml version=\"1.0\"?>\n<Tidemark Version=\"1\" Cr=\"1109667900\" St=\"NEW\" "
        "U=\"tok\">\n\t<User>\n\t\t<Title>Dr</Title>\n\t\t<HmPhone>1</HmPhone>\n\t</User>\n"
        "\t<Persons LastID=\"1\">\n\t\t<Person ID=\"1\">\n\t\t\t<FName>O&apos;Hara</FName>\n"
        "\t\t\t<Phone>2</Phone>\n\t\t</Person>\n\t</Persons>\n\t<Contacts LastID=\"1\">\n"
        "\t\t<Contact ID=\"1\">\n\t\t\t<PersonID>1</PersonID>\n\t\t\t<DateTime>2005-03-01 "
        "09:05:00</DateTime>\n\t\t\t<Description>a &lt;b&gt; &amp; &quot;c&quot;</Description>\n"
        "\t\t\t<ContactTypeID>1</ContactTypeID>\n\t\t</Contact>\n\t</Contacts>\n"
        "\t<ContactTypes LastID=\"1\">\n\t\t<ContactType ID=\"1\">\n\t\t\t<Description>Email"
        "</Description>\n\t\t</ContactType>\n\t</ContactTypes>\n</Tidemark>\n",
        "<?XML version='1.0' encoding='windows-1252' ?>\r\n<!-- c -->\r\n<a x='\"' y=\"'&#65;\">"
        "t&#x41;&#321;<![CDATA[<raw> ]] ]>]]>\r\n<b/><!-- d - e --><c></c ></a>\r\ntrailing",
        "<a><b><c><d><e>deep</e></d></c></b></a>",
        "<Tidemark><Persons><Person ID=\"2\"/><Person ID=\"2\"><LName>\xE9\xFF</LName></Person>"
        "</Persons></Tidemark>",
    };
}

// Bytes that open or close the parser's constructs, to splice into the seeds.
const char* const kTokens[] = {"<",  ">",         "&",   ";",      "</",  "/>",    "<!--", "-->",
                               "--", "<![CDATA[", "]]>", "&#",     "&#x", "&amp;", "\"",   "'",
                               "=",  "\r",        "\n",  "<?xml ", "?>",  "\x80",  "\xFF", "\0"};

std::string Mutate(const std::string& seed, std::mt19937& random) {
    std::string s = seed;
    const int edits = 1 + static_cast<int>(random() % 4);
    for (int i = 0; i < edits; ++i) {
        const std::size_t at = s.empty() ? 0 : random() % (s.size() + 1);
        switch (random() % 6) {
            case 0:  // flip a bit
                if (at < s.size()) {
                    s[at] = static_cast<char>(s[at] ^ (1 << (random() % 8)));
                }
                break;
            case 1:  // drop a run
                s.erase(at,
                        std::min<std::size_t>(random() % 8 + 1, s.size() - std::min(at, s.size())));
                break;
            case 2: {  // splice a token
                const char* token = kTokens[random() % (sizeof kTokens / sizeof *kTokens)];
                s.insert(at, token, std::max<std::size_t>(std::strlen(token), 1));
                break;
            }
            case 3:  // cut the end off
                s.resize(at);
                break;
            case 4: {  // copy a piece elsewhere
                const std::size_t from = s.empty() ? 0 : random() % s.size();
                s.insert(at, s.substr(from, random() % 16));
                break;
            }
            default:  // a random byte
                s.insert(at, 1, static_cast<char>(random() % 256));
                break;
        }
    }
    return s;
}

int Lines(const std::string& s) {
    return 1 + static_cast<int>(std::count(s.begin(), s.end(), '\n'));
}

// Mutated documents never crash the parser, never make it read outside the bytes it was given
// (each input is an exactly sized heap block, which AddressSanitizer guards) and always end
// with a tree or an error inside the text. Deterministic: the same inputs on every run.
TEST(ParserMutation, SurvivesMutatedDocuments) {
    std::mt19937 random(20050301);
    const std::vector<std::string> seeds = Seeds();
    const auto start = std::chrono::steady_clock::now();
    int parsed = 0;
    int failed = 0;
    for (int i = 0; i < 60000; ++i) {
        const std::string input = Mutate(seeds[static_cast<std::size_t>(i) % seeds.size()], random);
        std::unique_ptr<char[]> bytes(new char[std::max<std::size_t>(input.size(), 1)]);
        std::memcpy(bytes.get(), input.data(), input.size());
        try {
            SimpleXMLParser::Parser parser;
            auto root = parser.Parse(bytes.get(), input.size());
            ASSERT_NE(root, nullptr);
            EXPECT_FALSE(root->Name().empty());
            ++parsed;
        } catch (const SimpleXMLParser::Exception& e) {
            ASSERT_GE(e.Line(), 1) << i;
            ASSERT_LE(e.Line(), Lines(input)) << i;
            ASSERT_GE(e.Column(), 1) << i;
            ++failed;
        }
    }
    EXPECT_GT(parsed, 1000);
    EXPECT_GT(failed, 1000);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

// The loader over the same kind of input: every outcome is a loaded model, or an empty one and
// the line where the parser itself stops on the same text (up to its NUL).
TEST(ParserMutation, LoaderSurvivesMutatedDocuments) {
    std::mt19937 random(1109667900);
    const std::vector<std::string> seeds = Seeds();
    int loaded = 0;
    int failed = 0;
    for (int i = 0; i < 4000; ++i) {
        const std::string input = Mutate(seeds[static_cast<std::size_t>(i) % seeds.size()], random);
        std::optional<int> parserLine;
        try {
            SimpleXMLParser::Parser parser;
            parser.Parse(input.c_str(), std::strlen(input.c_str()));
        } catch (const SimpleXMLParser::Exception& e) {
            parserLine = e.Line();
        }
        V1Document document;
        const V1LoadResult result = document.Load(input.c_str());
        ASSERT_EQ(result.syntaxErrorLine, parserLine) << i;
        if (result.Loaded()) {
            ++loaded;
        } else {
            ASSERT_GE(*result.syntaxErrorLine, 1) << i;
            EXPECT_TRUE(document.persons.records.empty());
            ++failed;
        }
    }
    EXPECT_GT(loaded, 100);
    EXPECT_GT(failed, 100);
}

}  // namespace
