#include "LineTokenizer.h"

#include <algorithm>

namespace transfer {

namespace {

bool IsOctal(char c) {
    return c >= '0' && c <= '7';
}

}  // namespace

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsLineSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsLineSpace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::string_view TrimmedKeeping(std::string_view text, char kept) {
    while (!text.empty() && IsLineSpace(text.front()) && text.front() != kept) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsLineSpace(text.back()) && text.back() != kept) {
        text.remove_suffix(1);
    }
    return text;
}

void TrimInPlace(std::string& text) {
    const std::string_view trimmed = Trimmed(text);
    if (trimmed.size() != text.size()) {
        text = std::string(trimmed);
    }
}

bool LineTokenizer::NextField(std::string_view& line, std::string& field, Ending& ending) const {
    field.clear();
    ending = Ending::Plain;
    line = TrimmedKeeping(line, separator_);
    if (line.empty()) {
        return false;
    }
    if (line.front() == separator_) {
        line.remove_prefix(1);
        return true;
    }
    if (encloser_ != '\0' && line.front() == encloser_) {
        ReadEnclosed(line, field, ending);
        return true;
    }
    const size_t end = line.find(separator_);
    if (end == std::string_view::npos) {
        field.assign(line);
        line = std::string_view();
    } else {
        field.assign(line.substr(0, end));
        line.remove_prefix(end + 1);
    }
    return true;
}

void LineTokenizer::ReadEnclosed(std::string_view& line, std::string& field, Ending& ending) const {
    const size_t n = line.size();
    // Two enclosers and then the separator or the end: an empty field, not a literal encloser.
    if (n >= 2 && line[1] == encloser_ && (n == 2 || line[2] == separator_)) {
        line.remove_prefix(n == 2 ? 2 : 3);
        ending = Ending::Closed;
        return;
    }
    size_t p = 1;
    ending = Ending::Open;
    while (p < n) {
        const char c = line[p];
        if (c == encloser_) {
            if (p + 1 == n) {
                ++p;  // the closing encloser
                ending = Ending::Closed;
                break;
            }
            const char next = line[p + 1];
            if (next == encloser_) {
                field += encloser_;
                p += 2;
                continue;
            }
            if (next == separator_) {
                p += 2;
                ending = Ending::Closed;
                break;
            }
            // The enclosed part is over: the encloser is dropped and the field goes on as plain
            // text to the separator, so a stray encloser cannot swallow the following fields.
            const size_t end = std::min(line.find(separator_, p + 1), n);
            field.append(line.substr(p + 1, end - p - 1));
            p = end < n ? end + 1 : n;
            ending = Ending::Closed;
            break;
        }
        if (c == '\\' && p + 1 < n) {
            const char e = line[p + 1];
            p += 2;
            switch (e) {
                case 'a':
                    field += '\a';
                    break;
                case 'b':
                    field += '\b';
                    break;
                case 'f':
                    field += '\f';
                    break;
                case 'n':
                    field += '\n';
                    break;
                case 'r':
                    field += '\r';
                    break;
                case 't':
                    field += '\t';
                    break;
                case 'v':
                    field += '\v';
                    break;
                default:
                    if (IsOctal(e)) {
                        // One to three octal digits; what follows them is read as usual.
                        int value = e - '0';
                        for (int digits = 1; digits < 3 && p < n && IsOctal(line[p]); ++digits) {
                            value = value * 8 + (line[p] - '0');
                            ++p;
                        }
                        field += static_cast<char>(value & 0xFF);
                    } else {
                        field += e;
                    }
                    break;
            }
            continue;
        }
        // Up to the next encloser or backslash the bytes are the field's as they stand.
        size_t run = p + 1;
        while (run < n && line[run] != encloser_ && line[run] != '\\') {
            ++run;
        }
        field.append(line.data() + p, run - p);
        p = run;
    }
    line.remove_prefix(p);
}

}  // namespace transfer
