#pragma once

// What the person search's index and its one-shot search share: the byte search over the folded
// text and a word as the index looks for it.

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "PersonSearch.h"

// Ends every folded field: a byte no UTF-8 text holds, so no word spans two.
constexpr char kSearchSeparator = '\xFF';

// The first place of needle (not empty) in [begin, end), else nullptr. Compares the needle's
// first and last bytes sixteen places at a time and the rest only where both agree: the
// persons' text is dense in some bytes (a phone's digits, "5550" in "555-0100 5550100"), where
// std::string_view::find stops at each first byte to compare the rest, three to four times as
// long at 100,000 persons.
inline const char* FindBytes(const char* begin, const char* end, const std::string& needle) {
    const size_t n = static_cast<size_t>(end - begin);
    const size_t m = needle.size();
    if (m > n) {
        return nullptr;
    }
    if (m == 1) {
        return static_cast<const char*>(std::memchr(begin, needle[0], n));
    }
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i first = _mm_set1_epi8(needle[0]);
    const __m128i last = _mm_set1_epi8(needle[m - 1]);
    for (; i + m - 1 + 16 <= n; i += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(begin + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(begin + i + m - 1));
        unsigned mask = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, last))));
        while (mask != 0) {
            const size_t at = i + static_cast<size_t>(__builtin_ctz(mask));
            if (std::memcmp(begin + at + 1, needle.data() + 1, m - 2) == 0) {
                return begin + at;
            }
            mask &= mask - 1;
        }
    }
#endif
    for (; i + m <= n; ++i) {
        if (begin[i] == needle[0] && begin[i + m - 1] == needle[m - 1] &&
            std::memcmp(begin + i + 1, needle.data() + 1, m - 2) == 0) {
            return begin + i;
        }
    }
    return nullptr;
}

struct PersonSearchIndex::Needle {
    explicit Needle(const SearchQuery::Word& w) : word(w), abroad(!w.international.empty()) {}
    bool In(std::string_view text) const { return In(text, word.text); }
    static bool In(std::string_view text, const std::string& part) {
        return !text.empty() && FindBytes(text.data(), text.data() + text.size(), part);
    }
    const SearchQuery::Word& word;
    const bool abroad;  // a plus and digits: also compared as a number from abroad
    std::vector<char> notes;
};
