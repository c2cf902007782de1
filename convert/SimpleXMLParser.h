#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

// The small XML reader of version-1 files. Bytes pass through unchanged: no encoding is applied,
// and a character reference yields the low 8 bits of its number.
namespace SimpleXMLParser {

class Element;
class Node;

class Attribute {
public:
    Attribute(std::string name, std::string value)
        : name_(std::move(name)), value_(std::move(value)) {}

    const std::string& Name() const { return name_; }
    const std::string& Value() const { return value_; }

private:
    std::string name_;
    std::string value_;
};

using NodeList = std::vector<std::unique_ptr<Node>>;
using AttributeList = std::vector<Attribute>;

class Node {
public:
    virtual ~Node() = default;
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;

    const std::string& Name() const { return name_; }
    const std::string& Text() const { return text_; }
    // Hands the text over, for readers that are done with the tree.
    std::string TakeText() { return std::move(text_); }

    // Both lists are empty for a comment.
    virtual const AttributeList& Attributes() const;
    virtual const NodeList& Children() const;
    // False when the node takes no children (a comment); the child is then dropped.
    virtual bool AddChild(std::unique_ptr<Node> child);

    virtual Element* AsElement() { return nullptr; }
    virtual const Element* AsElement() const { return nullptr; }

protected:
    Node(std::string name, std::string text) : name_(std::move(name)), text_(std::move(text)) {}

    std::string name_;
    std::string text_;

    friend class Parser;
};

class Element : public Node {
public:
    explicit Element(std::string name) : Node(std::move(name), std::string()) {}
    ~Element() override;

    const AttributeList& Attributes() const override;
    const NodeList& Children() const override;
    NodeList& Children();
    bool AddChild(std::unique_ptr<Node> child) override;
    void AddAttribute(Attribute attribute);
    // Gives back the spare room of the child list once the element is complete.
    void Tighten();
    void AppendText(const char* bytes, std::size_t length) { text_.append(bytes, length); }
    void AppendText(char byte) { text_ += byte; }

    Element* AsElement() override { return this; }
    const Element* AsElement() const override { return this; }

private:
    // Most elements of a file are fields with neither attributes nor children; they go without
    // the two lists, which keeps a large tree a good deal smaller.
    struct Lists {
        AttributeList attributes;
        NodeList children;
    };
    Lists& Made();

    std::unique_ptr<Lists> lists_;
};

class Comment : public Node {
public:
    explicit Comment(std::string text) : Node("!", std::move(text)) {}
};

// A syntax error, at the line and column (both from 1) where the parse stopped.
class Exception {
public:
    Exception(int line, int column) : line_(line), column_(column) {}
    int Line() const { return line_; }
    int Column() const { return column_; }

private:
    int line_;
    int column_;
};

// One parser serves one parse.
class Parser {
public:
    // Parses length bytes and returns the root element. Whatever follows the root is not read.
    // Throws Exception at the first syntax error.
    std::unique_ptr<Element> Parse(const char* text, std::size_t length);

    // The version named by the XML declaration; "1.0" when there is none.
    const std::string& Version() const { return version_; }
    // The encoding the XML declaration names; empty when it names none.
    const std::string& Encoding() const { return encoding_; }
    int Line() const { return line_; }
    int Column() const { return column_; }

private:
    static constexpr int kEnd = -1;

    int Peek();
    void Advance();
    [[noreturn]] void Fail() const;
    void Expect(char byte);
    void ExpectWord(const char* word);
    int SkipWhitespace();
    std::string ReadName();
    char ReadReference();
    std::string ReadQuoted(bool (*allowed)(int byte), bool firstMustBeLetter);
    void ReadDeclaration();
    std::string ReadComment();
    void ReadCData(Element& element);
    std::unique_ptr<Element> ReadStartTag(bool& empty);
    void ReadAttributeValue(std::string& value);
    void ReadContent(Element& root);

    const char* end_ = nullptr;
    const char* pos_ = nullptr;
    int line_ = 1;
    int column_ = 1;
    std::string version_ = "1.0";
    std::string encoding_;
};

}  // namespace SimpleXMLParser
