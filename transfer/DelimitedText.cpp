#include "DelimitedText.h"

#include "StoredText.h"

namespace transfer {

void DelimitedText::AppendHeader(std::string& out, const std::vector<std::string>& names) const {
    bool first = true;
    for (const std::string& name : names) {
        if (!first) {
            out += separator_;
        }
        first = false;
        if (encloser_ != '\0') {
            out += encloser_;
        }
        out += name;
        if (encloser_ != '\0') {
            out += encloser_;
        }
    }
    EndLine(out);
}

void DelimitedText::AppendEnclosed(std::string& out, std::string_view value) const {
    if (encloser_ == '\0') {
        out.append(value.data(), value.size());
        return;
    }
    out += encloser_;
    // Every field, not some: an encloser left single would make the line unreadable.
    size_t start = 0;
    for (size_t at = value.find(encloser_); at != std::string_view::npos;
         at = value.find(encloser_, start)) {
        out.append(value.data() + start, at + 1 - start);
        out += encloser_;
        start = at + 1;
    }
    out.append(value.data() + start, value.size() - start);
    out += encloser_;
}

void DelimitedText::AppendValue(std::string& out, std::string_view value, bool first) const {
    if (!first) {
        out += separator_;
    }
    if (!value.empty()) {
        AppendEnclosed(out, value);
    }
}

void DelimitedText::AppendValue(std::string& out, std::string_view value, bool first,
                                std::string_view lineBreak) const {
    if (value.find("\r\n") == std::string_view::npos) {
        AppendValue(out, value, first);
        return;
    }
    std::string joined;
    joined.reserve(value.size() + lineBreak.size());
    size_t start = 0;
    for (size_t at = value.find("\r\n"); at != std::string_view::npos;
         at = value.find("\r\n", start)) {
        joined.append(value.data() + start, at - start);
        joined.append(lineBreak.data(), lineBreak.size());
        start = at + 2;
    }
    joined.append(value.data() + start, value.size() - start);
    AppendValue(out, joined, first);
}

std::string_view AsUtf8(std::string_view text, std::string& out) {
    if (IsValidUtf8(text.data(), text.size())) {
        return text;
    }
    out = Windows1252ToUtf8(std::string(text));
    return out;
}

}  // namespace transfer
