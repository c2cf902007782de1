#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The encodings text files come in, told from their bytes, and reading them as UTF-8: the
// transfer reads every file as UTF-8 text and stores it so.
namespace transfer {

// An encoding offered to the user: the name Qt's converters know it by and what it is for.
struct EncodingName {
    const char* name;
    // For the list: "Japanese", "Western European"; marked for translation in the
    // "transfer::TextEncoding" context.
    const char* language;
};

// Every encoding offered, those this system's converters cannot read left out, in the list's
// order after the likeliest.
const std::vector<EncodingName>& KnownEncodings();
// The name as the list shows it, translated and as UTF-8: "Shift_JIS (Japanese)".
std::string EncodingLabel(std::string_view name);

struct DetectedEncoding {
    std::string name;       // one of KnownEncodings()
    size_t markLength = 0;  // the byte-order mark the text starts with
    // Told by a mark, by the zero bytes of UTF-16 or by valid UTF-8 rather than guessed.
    bool certain = false;
};

// What the bytes say of their encoding: a UTF-8 or UTF-16 byte-order mark; UTF-16 without a
// mark by its pattern of zero bytes; valid UTF-8; else the guess of GuessLegacyEncoding.
DetectedEncoding DetectEncoding(std::string_view bytes);

// UTF-16 without a mark: most characters of a text file are ASCII, whose UTF-16 form has a zero
// byte, always on the same side of the pair.
bool LooksLikeUtf16(std::string_view bytes, bool& littleEndian);

// For bytes that are neither UTF-8 nor UTF-16: Shift_JIS, EUC-JP or GB18030 when the bytes
// read as one of them without fault into the characters of that language while as
// Windows-1252 they would mostly not be letters inside words; else Windows-1252.
std::string GuessLegacyEncoding(std::string_view bytes);

// The encodings to offer for the bytes: first, then those that read them without fault, then
// the rest.
std::vector<std::string> EncodingsByLikelihood(std::string_view bytes, const std::string& first);

// Whether the encoding reads the bytes without a byte it has no character for.
bool ReadsWithoutFault(std::string_view bytes, std::string_view encoding);

// The bytes as UTF-8, read in the encoding; a byte-order mark of it at the start is skipped.
// Text read as UTF-8 that is not quite keeps its characters and reads each stray byte as
// Windows-1252, so one bad byte does not garble the rest. False (out untouched) when the
// encoding is not known here.
bool DecodeToUtf8(std::string_view bytes, std::string_view encoding, std::string& out);

// The start of the bytes up to the end of a line, at most about limit bytes, so that a sample
// does not end inside a character.
std::string_view SampleOf(std::string_view bytes, size_t limit);

}  // namespace transfer
