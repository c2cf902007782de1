#include "VCardLines.h"

#include <algorithm>
#include <cstring>

#include "LineTokenizer.h"
#include "TextEncoding.h"

namespace transfer::vcard {

namespace {

constexpr size_t kLineBytes = 75;
constexpr size_t kBlockBytes = 4096;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool IsContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

std::string_view TrimmedRight(std::string_view text) {
    while (!text.empty() && IsLineSpace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool IsCardEndText(std::string_view text) {
    Line line;
    return ParseLine(text, line) && IsCardEnd(line);
}

// Ends the line that starts at begin in out: folded at 75 bytes, never inside a UTF-8
// character, each continuation starting with a blank that counts in its line. In a
// quoted-printable value the continuations follow soft breaks instead, where the reader takes
// them: after the colon it finds, quotes toggling as it scans.
void Fold(std::string& out, size_t begin, bool quotedPrintable, size_t valueStart) {
    // A line that starts with a blank would go on the one before: it continues an empty line.
    const bool blankFirst = out.size() > begin && IsBlank(out[begin]);
    if (!blankFirst && out.size() - begin <= kLineBytes) {
        out += "\r\n";
        return;
    }
    const std::string line = out.substr(begin);
    out.resize(begin);
    size_t softFrom = std::string::npos;
    bool quoted = false;
    for (size_t i = 0; quotedPrintable && i < line.size(); ++i) {
        if (line[i] == '"') {
            quoted = !quoted;
        } else if (line[i] == ':' && !quoted) {
            softFrom = std::max(i + 1, valueStart - begin);
            break;
        }
    }
    size_t at = 0;
    size_t room = kLineBytes;
    if (blankFirst) {
        out += "\r\n ";
        room = kLineBytes - 1;
    }
    while (line.size() - at > room) {
        if (softFrom != std::string::npos && at + room - 1 >= softFrom) {
            const size_t lowest = std::max(at + 1, softFrom);
            size_t cut = at + room - 1;
            size_t moved = cut;
            if (line[moved - 1] == '=') {
                moved -= 1;
            } else if (moved >= 2 && line[moved - 2] == '=') {
                moved -= 2;
            }
            while (moved > lowest && IsContinuationByte(line[moved])) {
                --moved;
            }
            if (moved >= lowest) {
                cut = moved;
            }
            // The last piece must not read as the card's end, which ends no soft break.
            while (line.size() - cut <= kLineBytes && cut > lowest &&
                   IsCardEndText(std::string_view(line).substr(cut))) {
                --cut;
            }
            out.append(line, at, cut - at);
            out += "=\r\n";
            at = cut;
            room = kLineBytes;
        } else {
            size_t cut = at + room;
            while (cut > at && IsContinuationByte(line[cut])) {
                --cut;
            }
            // A piece that ends in "=" could pass for a soft break.
            while (quotedPrintable && cut > at + 1 && line[cut - 1] == '=') {
                --cut;
            }
            if (cut == at) {
                cut = at + room;
            }
            out.append(line, at, cut - at);
            out += "\r\n ";
            at = cut;
            room = kLineBytes - 1;
        }
    }
    out.append(line, at, std::string::npos);
    out += "\r\n";
}

}  // namespace

void AppendLineHead(std::string& out, const Line& line) {
    if (!line.group.empty()) {
        out += line.group;
        out += '.';
    }
    out += line.name;
    for (const Parameter& parameter : line.parameters) {
        out += ';';
        out += parameter.name;
        if (parameter.hasValue) {
            out += '=';
            out += parameter.value;
        }
    }
    out += ':';
}

// ---------------------------------------------------------------------------------------------
// Lines

bool StartsWithWord(std::string_view text, std::string_view upper) {
    return text.size() >= upper.size() && IsWord(text.substr(0, upper.size()), upper);
}

std::string_view Unquoted(std::string_view word) {
    word = Trim(word);
    while (!word.empty() && word.front() == '"') {
        word.remove_prefix(1);
    }
    while (!word.empty() && word.back() == '"') {
        word.remove_suffix(1);
    }
    return word;
}

ParameterValues::ParameterValues(std::string_view value) : rest_(Trim(value)) {}

bool ParameterValues::Next(std::string_view& value) {
    if (done_ || rest_.empty()) {
        return false;
    }
    const size_t comma = rest_.find(',');
    value = Unquoted(rest_.substr(0, comma));
    if (comma == std::string_view::npos) {
        done_ = true;
    } else {
        rest_.remove_prefix(comma + 1);
    }
    return true;
}

std::string_view PropertyName(const Line& line) {
    return line.group.empty() ? Trim(line.name) : TrimmedRight(line.name);
}

bool IsProperty(const Line& line, std::string_view upperName) {
    return line.content && IsWord(PropertyName(line), upperName);
}

bool IsCardBegin(const Line& line) {
    return IsProperty(line, "BEGIN") && IsWord(Trimmed(line.value), "VCARD");
}

bool IsCardEnd(const Line& line) {
    return IsProperty(line, "END") && IsWord(Trimmed(line.value), "VCARD");
}

bool ParseLine(std::string_view text, Line& line) {
    line.group = std::string_view();
    line.name = std::string_view();
    line.parameters.clear();
    line.content = true;
    line.inAgent = false;
    size_t i = 0;
    const size_t n = text.size();
    while (i < n && text[i] != ';' && text[i] != ':') {
        ++i;
    }
    if (i < n) {
        const std::string_view head = text.substr(0, i);
        const size_t dot = head.rfind('.');
        line.name = dot == std::string_view::npos ? head : head.substr(dot + 1);
        if (dot != std::string_view::npos) {
            line.group = head.substr(0, dot);
        }
    }
    while (i < n && text[i] == ';') {
        const size_t begin = ++i;
        bool quoted = false;
        while (i < n && (quoted || (text[i] != ';' && text[i] != ':'))) {
            quoted ^= text[i] == '"';
            ++i;
        }
        const std::string_view raw = text.substr(begin, i - begin);
        const size_t equals = raw.find('=');
        Parameter& parameter = line.parameters.emplace_back();
        parameter.name = raw.substr(0, equals);
        if (equals != std::string_view::npos) {
            parameter.value = raw.substr(equals + 1);
            parameter.hasValue = true;
        }
    }
    if (i >= n) {
        line.group = line.name = std::string_view();
        line.parameters.clear();
        line.value = text;
        line.content = false;
        return false;
    }
    line.value = text.substr(i + 1);
    return true;
}

bool UnfoldedLines::Next(std::string_view& text) {
    if (!lines_.Next(text)) {
        return false;
    }
    joined_ = false;
    // Where the colon after the parameters is, found as the line grows.
    size_t scanned = 0;
    bool quoted = false;
    size_t colon = std::string_view::npos;
    int quotedPrintable = -1;
    while (!lines_.AtEnd()) {
        bool softBreak = false;
        if (!text.empty() && text.back() == '=') {
            for (; colon == std::string_view::npos && scanned < text.size(); ++scanned) {
                if (text[scanned] == '"') {
                    quoted = !quoted;
                } else if (text[scanned] == ':' && !quoted) {
                    colon = scanned;
                }
            }
            if (colon != std::string_view::npos) {
                if (quotedPrintable < 0) {
                    quotedPrintable = ParseLine(text, scratch_) &&
                                      FormOf(scratch_).encoding == Encoding::QuotedPrintable;
                }
                if (quotedPrintable == 1) {
                    TextLines ahead = lines_;
                    std::string_view next;
                    ahead.Next(next);
                    softBreak = !(ParseLine(next, scratch_) && IsCardEnd(scratch_));
                }
            }
        }
        if (!softBreak && !IsBlank(lines_.Rest().front())) {
            break;
        }
        std::string_view more;
        lines_.Next(more);
        if (!joined_) {
            buffer_.assign(text);
            joined_ = true;
        }
        if (softBreak) {
            buffer_.pop_back();
            buffer_.append(more);
        } else {
            buffer_.append(more.substr(1));
        }
        text = buffer_;
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Cards

Card::Card(const Card& other) {
    CopyFrom(other);
}

Card& Card::operator=(const Card& other) {
    if (this != &other) {
        CopyFrom(other);
    }
    return *this;
}

Card::Card(Card&& other) noexcept
    : lines_(std::move(other.lines_)),
      count_(other.count_),
      blocks_(std::move(other.blocks_)),
      used_(other.used_) {
    other.lines_.clear();
    other.blocks_.clear();
    other.count_ = other.used_ = 0;
}

Card& Card::operator=(Card&& other) noexcept {
    if (this != &other) {
        lines_ = std::move(other.lines_);
        blocks_ = std::move(other.blocks_);
        count_ = other.count_;
        used_ = other.used_;
        other.lines_.clear();
        other.blocks_.clear();
        other.count_ = other.used_ = 0;
    }
    return *this;
}

void Card::CopyFrom(const Card& other) {
    Clear();
    for (const Line& from : other) {
        Line& line = Add();
        line.group = Keep(from.group);
        line.name = Keep(from.name);
        for (const Parameter& parameter : from.parameters) {
            line.parameters.push_back(
                Parameter{Keep(parameter.name), Keep(parameter.value), parameter.hasValue});
        }
        line.value = Keep(from.value);
        line.content = from.content;
        line.inAgent = from.inAgent;
    }
}

std::string_view Card::Keep(std::string_view text) {
    if (text.empty()) {
        return std::string_view();
    }
    if (blocks_.empty() || blocks_.back().second - used_ < text.size()) {
        const size_t size = std::max(kBlockBytes, text.size());
        blocks_.emplace_back(std::unique_ptr<char[]>(new char[size]), size);
        used_ = 0;
    }
    char* at = blocks_.back().first.get() + used_;
    std::memcpy(at, text.data(), text.size());
    used_ += text.size();
    return std::string_view(at, text.size());
}

Line& Card::Add() {
    if (count_ == lines_.size()) {
        lines_.emplace_back();
    }
    Line& line = lines_[count_++];
    line.group = line.name = line.value = std::string_view();
    line.parameters.clear();
    line.content = true;
    line.inAgent = false;
    return line;
}

Line& Card::Insert(size_t at) {
    Add();
    std::rotate(lines_.begin() + static_cast<std::ptrdiff_t>(at),
                lines_.begin() + static_cast<std::ptrdiff_t>(count_ - 1),
                lines_.begin() + static_cast<std::ptrdiff_t>(count_));
    return lines_[at];
}

void Card::Erase(size_t at) {
    std::rotate(lines_.begin() + static_cast<std::ptrdiff_t>(at),
                lines_.begin() + static_cast<std::ptrdiff_t>(at + 1),
                lines_.begin() + static_cast<std::ptrdiff_t>(count_));
    --count_;
}

void Card::Clear() {
    count_ = 0;
    if (blocks_.size() > 1) {
        blocks_.erase(blocks_.begin() + 1, blocks_.end());
    }
    used_ = 0;
}

CardReader::CardReader(std::string_view bytes) {
    // UTF-16, with a mark or without, is read as its UTF-8 text, which is looked at again.
    for (;;) {
        bool littleEndian = bytes.substr(0, 2) == "\xFF\xFE";
        if (!littleEndian && bytes.substr(0, 2) != "\xFE\xFF" &&
            !LooksLikeUtf16(bytes, littleEndian)) {
            break;
        }
        std::string text;
        DecodeToUtf8(bytes, littleEndian ? "UTF-16LE" : "UTF-16BE", text);
        decoded_ = std::move(text);
        bytes = decoded_;
    }
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        bytes.remove_prefix(3);
    }
    lines_ = std::make_unique<UnfoldedLines>(bytes);
}

bool CardReader::Next(Card& card) {
    card.Clear();
    bool inCard = false;
    // A 2.1 AGENT without a value is followed by the agent's own card, nested in this one.
    bool agentCardNext = false;
    int agentDepth = 0;
    if (pending_) {
        pending_ = false;
        ParseLine(card.Keep(pendingBegin_), card.Add());
        inCard = true;
    }
    std::string_view text;
    while (lines_->Next(text)) {
        // Each line is split up in the card; one that is not the card's is dropped again.
        if (!lines_->InText()) {
            text = card.Keep(text);
        }
        Line& line = card.Add();
        if (!ParseLine(text, line)) {
            if (inCard) {
                line.inAgent = agentDepth > 0;
            } else {
                card.Erase(card.size() - 1);
            }
            continue;
        }
        const std::string_view name = PropertyName(line);
        const bool agent = IsWord(name, "AGENT");
        const bool begin = IsWord(name, "BEGIN") && IsWord(Trimmed(line.value), "VCARD");
        const bool end = IsWord(name, "END") && IsWord(Trimmed(line.value), "VCARD");
        if (agentDepth > 0) {
            agentDepth += begin ? 1 : end ? -1 : 0;
            line.inAgent = true;
            continue;
        }
        if (begin) {
            sawCard_ = true;
            if (inCard && agentCardNext) {
                agentDepth = 1;
                agentCardNext = false;
                line.inAgent = true;
                continue;
            }
            if (inCard) {
                pendingBegin_.assign(text);
                pending_ = true;
                card.Erase(card.size() - 1);
                return true;
            }
            inCard = true;
            continue;
        }
        if (!inCard) {
            card.Erase(card.size() - 1);
            continue;
        }
        agentCardNext = agent && Trimmed(line.value).empty();
        if (end) {
            return true;
        }
    }
    return inCard;
}

std::vector<Card> ReadCards(std::string_view bytes) {
    std::vector<Card> cards;
    CardReader reader(bytes);
    Card card;
    while (reader.Next(card)) {
        cards.push_back(card);
    }
    return cards;
}

// ---------------------------------------------------------------------------------------------
// Writing

void EndLine(std::string& out, size_t begin) {
    // Most lines are short.
    if (out.size() - begin <= kLineBytes && (out.size() == begin || !IsBlank(out[begin]))) {
        out.append("\r\n", 2);
        return;
    }
    Fold(out, begin, false, 0);
}

void AppendCard(std::string& out, const Card& card) {
    for (size_t i = 0; i < card.size(); ++i) {
        const Line& line = card[i];
        const size_t begin = out.size();
        if (!line.content) {
            out += line.value;
            Fold(out, begin, false, 0);
            continue;
        }
        AppendLineHead(out, line);
        const size_t valueStart = out.size();
        std::string_view value = line.value;
        if (FormOf(line).encoding != Encoding::QuotedPrintable) {
            out += value;
            Fold(out, begin, false, 0);
            continue;
        }
        // A value that ends in a soft break keeps it only before the card's end, where the
        // reader leaves it; elsewhere it would take the next line.
        if (!value.empty() && value.back() == '=' && i + 1 < card.size() &&
            !IsCardEnd(card[i + 1])) {
            value.remove_suffix(1);
        }
        out += value;
        Fold(out, begin, true, valueStart);
    }
}

std::string WriteCards(const std::vector<Card>& cards) {
    std::string out;
    for (const Card& card : cards) {
        AppendCard(out, card);
    }
    return out;
}

}  // namespace transfer::vcard
