#include "SimpleXMLParser.h"

#include <cstring>

namespace SimpleXMLParser {

namespace {

bool IsWhitespace(int c) {
    return c == '\t' || c == '\n' || c == '\r' || c == ' ';
}

bool IsLetter(int c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsDigit(int c) {
    return c >= '0' && c <= '9';
}

bool IsNameStart(int c) {
    return IsLetter(c) || c == '_' || c == ':';
}

bool IsNameChar(int c) {
    return IsLetter(c) || IsDigit(c) || c == '-' || c == ':' || c == '.' || c == '_';
}

int HexValue(int c) {
    if (IsDigit(c)) {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

bool IsCDataChar(int c) {
    return c == '\t' || c == '\n' || c == '\r' || (c >= 32 && c <= 127);
}

const AttributeList kNoAttributes;
const NodeList kNoChildren;

}  // namespace

const AttributeList& Node::Attributes() const {
    return kNoAttributes;
}

const NodeList& Node::Children() const {
    return kNoChildren;
}

bool Node::AddChild(std::unique_ptr<Node>) {
    return false;
}

Element::~Element() {
    if (!lists_) {
        return;
    }
    // Taken apart without recursion, so that no depth of nesting can exhaust the stack.
    NodeList pending = std::move(lists_->children);
    while (!pending.empty()) {
        std::unique_ptr<Node> node = std::move(pending.back());
        pending.pop_back();
        Element* element = node ? node->AsElement() : nullptr;
        if (element && element->lists_) {
            for (std::unique_ptr<Node>& child : element->lists_->children) {
                pending.push_back(std::move(child));
            }
            element->lists_->children.clear();
        }
    }
}

const AttributeList& Element::Attributes() const {
    return lists_ ? lists_->attributes : kNoAttributes;
}

const NodeList& Element::Children() const {
    return lists_ ? lists_->children : kNoChildren;
}

NodeList& Element::Children() {
    return Made().children;
}

Element::Lists& Element::Made() {
    if (!lists_) {
        lists_ = std::make_unique<Lists>();
    }
    return *lists_;
}

bool Element::AddChild(std::unique_ptr<Node> child) {
    Made().children.push_back(std::move(child));
    return true;
}

void Element::Tighten() {
    if (lists_) {
        lists_->children.shrink_to_fit();
    }
}

void Element::AddAttribute(Attribute attribute) {
    Made().attributes.push_back(std::move(attribute));
}

// Reading. Carriage returns are skipped wherever bytes are read one at a time, but text that is
// kept is copied from the bytes themselves, so carriage returns stay in it. Lines and columns
// count the bytes consumed, so an error names the line of the byte that caused it.

int Parser::Peek() {
    while (pos_ < end_ && *pos_ == '\r') {
        ++pos_;
    }
    return pos_ < end_ ? static_cast<unsigned char>(*pos_) : kEnd;
}

void Parser::Advance() {
    // Only after a Peek that found a byte.
    if (*pos_ == '\n') {
        ++line_;
        column_ = 1;
    } else {
        ++column_;
    }
    ++pos_;
}

void Parser::Fail() const {
    throw Exception(line_, column_);
}

void Parser::Expect(char byte) {
    if (Peek() != static_cast<unsigned char>(byte)) {
        Fail();
    }
    Advance();
}

void Parser::ExpectWord(const char* word) {
    for (; *word; ++word) {
        Expect(*word);
    }
}

int Parser::SkipWhitespace() {
    int count = 0;
    while (IsWhitespace(Peek())) {
        Advance();
        ++count;
    }
    return count;
}

std::string Parser::ReadName() {
    if (!IsNameStart(Peek())) {
        Fail();
    }
    const char* start = pos_;
    Advance();
    const char* last = pos_;
    while (IsNameChar(Peek())) {
        Advance();
        last = pos_;
    }
    return std::string(start, last);
}

// After the "&": the one byte the reference stands for.
char Parser::ReadReference() {
    if (Peek() == '#') {
        Advance();
        // Only the low 8 bits count, so the sum is kept small and cannot overflow.
        unsigned value = 0;
        int digits = 0;
        if (Peek() == 'x') {
            Advance();
            for (int d; (d = HexValue(Peek())) >= 0; ++digits) {
                value = (value * 16 + static_cast<unsigned>(d)) & 0xFFu;
                Advance();
            }
        } else {
            for (int c; IsDigit(c = Peek()); ++digits) {
                value = (value * 10 + static_cast<unsigned>(c - '0')) & 0xFFu;
                Advance();
            }
        }
        if (digits == 0) {
            Fail();
        }
        Expect(';');
        return static_cast<char>(value);
    }
    const std::string name = ReadName();
    Expect(';');
    if (name == "lt") {
        return '<';
    }
    if (name == "gt") {
        return '>';
    }
    if (name == "amp") {
        return '&';
    }
    if (name == "apos") {
        return '\'';
    }
    if (name == "quot") {
        return '"';
    }
    Fail();
}

// A quoted value of the declaration: name characters, and for the encoding a letter first.
std::string Parser::ReadQuoted(bool (*allowed)(int byte), bool firstMustBeLetter) {
    const int quote = Peek();
    if (quote != '"' && quote != '\'') {
        Fail();
    }
    Advance();
    if (firstMustBeLetter ? !IsLetter(Peek()) : !allowed(Peek())) {
        Fail();
    }
    const char* start = pos_;
    Advance();
    const char* last = pos_;
    while (allowed(Peek())) {
        Advance();
        last = pos_;
    }
    Expect(static_cast<char>(quote));
    return std::string(start, last);
}

// After "<?xml": version, then optionally encoding (not kept), then "?>".
void Parser::ReadDeclaration() {
    if (SkipWhitespace() == 0) {
        Fail();
    }
    ExpectWord("version");
    SkipWhitespace();
    Expect('=');
    SkipWhitespace();
    version_ = ReadQuoted(IsNameChar, false);
    if (SkipWhitespace() > 0 && Peek() == 'e') {
        ExpectWord("encoding");
        SkipWhitespace();
        Expect('=');
        SkipWhitespace();
        encoding_ = ReadQuoted(IsNameChar, true);
        SkipWhitespace();
    }
    Expect('?');
    Expect('>');
}

// After "<!--": the bytes up to the first "--", which must close the comment.
std::string Parser::ReadComment() {
    const char* start = pos_;
    const char* dash = nullptr;  // the byte before, when it was a "-"
    for (;;) {
        const int c = Peek();
        if (c == kEnd) {
            Fail();
        }
        const char* here = pos_;
        Advance();
        if (c == '-') {
            if (dash) {
                Expect('>');
                return std::string(start, dash);
            }
            dash = here;
        } else {
            dash = nullptr;
        }
    }
}

// After "<![CDATA[": the bytes up to the first "]]>", appended unchanged.
void Parser::ReadCData(Element& element) {
    const char* start = pos_;
    const char* before1 = nullptr;  // positions of the last two bytes read
    const char* before2 = nullptr;
    int c1 = 0;
    int c2 = 0;
    for (;;) {
        const int c = Peek();
        if (c == kEnd || !IsCDataChar(c)) {
            Fail();
        }
        const char* here = pos_;
        Advance();
        if (c == '>' && c1 == ']' && c2 == ']') {
            element.AppendText(start, static_cast<std::size_t>(before2 - start));
            return;
        }
        c2 = c1;
        before2 = before1;
        c1 = c;
        before1 = here;
    }
}

// After a "<" that opens an element: the name, the attributes and "/>" or ">".
std::unique_ptr<Element> Parser::ReadStartTag(bool& empty) {
    auto element = std::make_unique<Element>(ReadName());
    for (;;) {
        const int spaces = SkipWhitespace();
        const int c = Peek();
        if (c == '/') {
            Advance();
            Expect('>');
            empty = true;
            return element;
        }
        if (c == '>') {
            Advance();
            empty = false;
            return element;
        }
        if (spaces == 0) {
            Fail();
        }
        std::string name = ReadName();
        SkipWhitespace();
        Expect('=');
        SkipWhitespace();
        std::string value;
        ReadAttributeValue(value);
        element->AddAttribute(Attribute(std::move(name), std::move(value)));
    }
}

void Parser::ReadAttributeValue(std::string& value) {
    const int quote = Peek();
    if (quote != '"' && quote != '\'') {
        Fail();
    }
    Advance();
    const char* start = pos_;
    for (;;) {
        if (pos_ == end_) {
            Fail();
        }
        const char c = *pos_;
        if (c == quote) {
            value.append(start, pos_);
            Advance();
            return;
        }
        if (c == '<') {
            Fail();
        }
        if (c == '&') {
            value.append(start, pos_);
            Advance();
            value += ReadReference();
            start = pos_;
        } else if (c == '\r') {
            ++pos_;
        } else {
            Advance();
        }
    }
}

// The content of root and of everything inside it, without recursion: open holds the elements
// whose end tags are still to come.
void Parser::ReadContent(Element& root) {
    std::vector<Element*> open{&root};
    while (!open.empty()) {
        Element& element = *open.back();
        // Character data up to the next markup, scanned in place: this is most of the file.
        const char* start = pos_;
        int c1 = 0;  // the last two bytes, for "]]>"
        int c2 = 0;
        for (;;) {
            if (pos_ == end_) {
                Fail();
            }
            const char c = *pos_;
            if (c == '<' || c == '&') {
                break;
            }
            if (c == '\r') {
                ++pos_;
                continue;
            }
            if (c == '>' && c1 == ']' && c2 == ']') {
                Fail();
            }
            c2 = c1;
            c1 = c;
            Advance();
        }
        element.AppendText(start, static_cast<std::size_t>(pos_ - start));
        if (*pos_ == '&') {
            Advance();
            element.AppendText(ReadReference());
            continue;
        }
        Advance();  // the "<"
        const int c = Peek();
        if (c == '/') {
            Advance();
            const std::string name = ReadName();
            if (name != element.Name()) {
                Fail();
            }
            SkipWhitespace();
            Expect('>');
            element.Tighten();
            open.pop_back();
        } else if (c == '!') {
            Advance();
            if (Peek() == '-') {
                Advance();
                Expect('-');
                element.AddChild(std::make_unique<Comment>(ReadComment()));
            } else {
                ExpectWord("[CDATA[");
                ReadCData(element);
            }
        } else if (IsNameStart(c)) {
            bool empty = false;
            std::unique_ptr<Element> child = ReadStartTag(empty);
            Element* inner = child.get();
            element.AddChild(std::move(child));
            if (!empty) {
                open.push_back(inner);
            }
        } else {
            Fail();
        }
    }
}

std::unique_ptr<Element> Parser::Parse(const char* text, std::size_t length) {
    end_ = text + length;
    pos_ = text;
    line_ = 1;
    column_ = 1;
    version_ = "1.0";
    encoding_.clear();

    // The declaration counts only at the very first byte.
    if (length >= 5 && text[0] == '<' && text[1] == '?' && (text[2] | 0x20) == 'x' &&
        (text[3] | 0x20) == 'm' && (text[4] | 0x20) == 'l') {
        for (int i = 0; i < 5; ++i) {
            Advance();
        }
        ReadDeclaration();
    }

    // Whitespace and comments, then the root.
    for (;;) {
        SkipWhitespace();
        if (Peek() != '<') {
            Fail();
        }
        Advance();
        if (Peek() != '!') {
            break;
        }
        Advance();
        Expect('-');
        Expect('-');
        ReadComment();
    }
    bool empty = false;
    std::unique_ptr<Element> root = ReadStartTag(empty);
    if (!empty) {
        ReadContent(*root);
    }
    // Whatever follows the root is not read.
    return root;
}

}  // namespace SimpleXMLParser
