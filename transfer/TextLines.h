#pragma once

#include <cstddef>
#include <string_view>

namespace transfer {

// The lines of a text file from any program: a line ends at LF, at CR LF or at a CR alone, in
// any mix within one file (older Mac programs end lines with CR only). CRs right before an LF
// (CR CR LF, as some Windows programs write) end one line together with it.
class TextLines {
public:
    explicit TextLines(std::string_view text) : text_(text) {}

    // The next line without its line end; false at the end of the text. A last line without a
    // line end after it counts; an empty text has no line.
    bool Next(std::string_view& line);
    bool AtEnd() const { return at_ >= text_.size(); }
    // The text from the start of the next line on.
    std::string_view Rest() const { return text_.substr(at_ < text_.size() ? at_ : text_.size()); }

private:
    std::string_view text_;
    size_t at_ = 0;
    // Where the next LF and the next CR are, looked up once and kept until passed, so that a
    // file without one of them is not searched to its end for every line.
    size_t nextLf_ = 0;
    size_t nextCr_ = 0;
    bool lfKnown_ = false;
    bool crKnown_ = false;
    // The end of a run of CRs that no LF follows: each of them ends an empty line.
    size_t loneCrsUntil_ = 0;
};

}  // namespace transfer
