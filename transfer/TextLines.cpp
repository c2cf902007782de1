#include "TextLines.h"

#include <cstring>

namespace transfer {

namespace {

size_t Find(std::string_view text, size_t from, char c) {
    const void* found = std::memchr(text.data() + from, c, text.size() - from);
    return found != nullptr ? static_cast<size_t>(static_cast<const char*>(found) - text.data())
                            : text.size();
}

}  // namespace

bool TextLines::Next(std::string_view& line) {
    const size_t size = text_.size();
    if (at_ >= size) {
        return false;
    }
    if (at_ < loneCrsUntil_) {
        line = text_.substr(at_, 0);
        ++at_;
        return true;
    }
    if (!lfKnown_ || nextLf_ < at_) {
        nextLf_ = Find(text_, at_, '\n');
        lfKnown_ = true;
    }
    if (!crKnown_ || nextCr_ < at_) {
        nextCr_ = Find(text_, at_, '\r');
        crKnown_ = true;
    }
    const size_t end = nextLf_ < nextCr_ ? nextLf_ : nextCr_;
    line = text_.substr(at_, end - at_);
    if (end == size) {
        at_ = size;
    } else if (text_[end] == '\n') {
        at_ = end + 1;
    } else {
        size_t after = end;
        while (after < size && text_[after] == '\r') {
            ++after;
        }
        if (after < size && text_[after] == '\n') {
            at_ = after + 1;
        } else {
            loneCrsUntil_ = after;
            at_ = end + 1;
        }
    }
    return true;
}

}  // namespace transfer
