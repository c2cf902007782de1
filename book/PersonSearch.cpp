#include "PersonSearch.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <mutex>
#include <stdexcept>

#include <QChar>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "Database.h"
#include "RecordId.h"
#include "StoredText.h"

using cppsqlite3::Database;
using cppsqlite3::Query;
using cppsqlite3::Statement;

namespace {

// Ends every folded field and description: a byte no UTF-8 text holds, so no word spans two.
constexpr char kSeparator = '\xFF';

// ---- Folding --------------------------------------------------------------------------------

// Letters that keep no mark to drop, as they are typed on a plain keyboard; and the typographic
// quotes and dashes that old files hold where the user types ' " and -.
const char* SpelledPlainly(char32_t c) {
    switch (c) {
        case 0x00DF:  // ß
            return "ss";
        case 0x00E6:  // æ
            return "ae";
        case 0x0153:  // œ
            return "oe";
        case 0x00F8:  // ø
            return "o";
        case 0x0142:  // ł
            return "l";
        case 0x0111:  // đ
        case 0x00F0:  // ð
            return "d";
        case 0x00FE:  // þ
            return "th";
        case 0x0127:  // ħ
            return "h";
        case 0x0131:  // ı
        case 0x0268:  // ɨ
            return "i";
        case 0x0167:  // ŧ
            return "t";
        case 0x0180:  // ƀ
            return "b";
        case 0x0192:  // ƒ
            return "f";
        case 0x01B6:  // ƶ
            return "z";
        case 0x01E5:  // ǥ
            return "g";
        case 0x02BC:
        case 0x2018:
        case 0x2019:
        case 0x201B:
            return "'";
        case 0x201C:
        case 0x201D:
        case 0x201E:
            return "\"";
        case 0x2010:
        case 0x2011:
        case 0x2012:
        case 0x2013:
        case 0x2014:
        case 0x2015:
        case 0x2212:
            return "-";
        default:
            return nullptr;
    }
}

std::u32string CodePoints(const QString& text) {
    std::u32string points;
    points.reserve(static_cast<size_t>(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            points += QChar::surrogateToUcs4(c, text[i + 1]);
            ++i;
        } else {
            points += c.unicode();
        }
    }
    return points;
}

// One character through Qt's Unicode tables: compatibility decomposition, non-spacing marks
// dropped, case folded, then spelled plainly.
std::string FoldWithQt(char32_t c) {
    std::string out;
    const QString decomposed = QString::fromUcs4(&c, 1).normalized(QString::NormalizationForm_KD);
    for (char32_t d : CodePoints(decomposed)) {
        const QChar::Category category = QChar::category(d);
        if (category == QChar::Mark_NonSpacing || category == QChar::Mark_Enclosing) {
            continue;
        }
        for (char32_t f : CodePoints(QString::fromUcs4(&d, 1).toCaseFolded())) {
            if (const char* plain = SpelledPlainly(f)) {
                out += plain;
            } else {
                AppendUtf8(out, f);
            }
        }
    }
    return out;
}

// The characters of two UTF-8 bytes (Latin, Greek, Cyrillic, Hebrew, Arabic) are most of the
// non-ASCII text of an address book: folded once, on first use.
const std::vector<std::string>& TwoByteFolds() {
    static const std::vector<std::string> table = [] {
        std::vector<std::string> folds;
        folds.reserve(0x800 - 0x80);
        for (char32_t c = 0x80; c < 0x800; ++c) {
            folds.push_back(FoldWithQt(c));
        }
        return folds;
    }();
    return table;
}

inline char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

void AppendFoldedCodePoint(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += LowerAscii(static_cast<char>(c));
    } else if (c < 0x800) {
        out += TwoByteFolds()[c - 0x80];
    } else if (const char* plain = SpelledPlainly(c)) {
        out += plain;
    } else if ((c >= 0x4E00 && c <= 0x9FFF) || (c >= 0x3400 && c <= 0x4DBF)) {
        // Han ideographs have neither case nor marks.
        AppendUtf8(out, c);
    } else {
        out += FoldWithQt(c);
    }
}

constexpr uint64_t kHighBits = 0x8080808080808080ULL;
constexpr uint64_t kOnes = 0x0101010101010101ULL;

// Copies the leading ASCII of src lower-cased to dst, eight bytes at a time; returns how many
// bytes it copied (up to the first byte that is not ASCII).
size_t LowerAsciiPrefix(char* dst, const char* src, size_t n) {
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t w;
        std::memcpy(&w, src + i, 8);
        if (w & kHighBits) {
            break;
        }
        // The high bit of each byte tells whether it is at least 'A', and whether above 'Z'.
        const uint64_t atLeastA = w + (0x80 - 'A') * kOnes;
        const uint64_t aboveZ = w + (0x7F - 'Z') * kOnes;
        w |= ((atLeastA & ~aboveZ) & kHighBits) >> 2;
        std::memcpy(dst + i, &w, 8);
    }
    for (; i < n && static_cast<unsigned char>(src[i]) < 0x80; ++i) {
        dst[i] = LowerAscii(src[i]);
    }
    return i;
}

void AppendFolded(std::string& out, const QString& text) {
    for (char32_t c : CodePoints(text)) {
        AppendFoldedCodePoint(out, c);
    }
}

void AppendFolded(std::string& out, std::string_view stored) {
    const size_t start = out.size();
    out.resize(start + stored.size());
    const size_t ascii = LowerAsciiPrefix(out.data() + start, stored.data(), stored.size());
    out.resize(start + ascii);
    if (ascii == stored.size()) {
        return;
    }
    // The ASCII before is the same in both encodings: only the rest needs telling apart.
    const std::string_view rest = stored.substr(ascii);
    if (!IsValidUtf8(rest.data(), rest.size())) {
        AppendFolded(out, FromStoredText(rest));
        return;
    }
    const auto* p = reinterpret_cast<const unsigned char*>(rest.data());
    const unsigned char* end = p + rest.size();
    while (p < end) {
        const unsigned char b = *p;
        char32_t c;
        if (b < 0x80) {
            c = b;
            p += 1;
        } else if (b < 0xE0) {
            c = (char32_t(b & 0x1F) << 6) | (p[1] & 0x3F);
            p += 2;
        } else if (b < 0xF0) {
            c = (char32_t(b & 0x0F) << 12) | (char32_t(p[1] & 0x3F) << 6) | (p[2] & 0x3F);
            p += 3;
        } else {
            c = (char32_t(b & 0x07) << 18) | (char32_t(p[1] & 0x3F) << 12) |
                (char32_t(p[2] & 0x3F) << 6) | (p[3] & 0x3F);
            p += 4;
        }
        AppendFoldedCodePoint(out, c);
    }
}

// ---- Scanning -------------------------------------------------------------------------------

// The first place of needle (not empty) in [begin, end), else nullptr. Compares the needle's
// first and last bytes sixteen places at a time and the rest only where both agree.
const char* Search(const char* begin, const char* end, const std::string& needle) {
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

bool Contains(const char* begin, const char* end, const std::string& needle) {
    return begin < end && Search(begin, end, needle) != nullptr;
}

uint64_t HashText(std::string_view text) {
    const char* p = text.data();
    const size_t n = text.size();
    uint64_t h = 0x9E3779B97F4A7C15ULL ^ (n * 0xFF51AFD7ED558CCDULL);
    const auto mix = [&h](uint64_t w) {
        h = (h ^ w) * 0xFF51AFD7ED558CCDULL;
        h ^= h >> 32;
    };
    uint64_t w = 0;
    if (n >= 8) {
        // Whole words, the last one overlapping the one before when the length is not a
        // multiple of eight.
        for (size_t i = 0; i + 8 < n; i += 8) {
            std::memcpy(&w, p + i, 8);
            mix(w);
        }
        std::memcpy(&w, p + n - 8, 8);
    } else if (n > 0) {
        std::memcpy(&w, p, n);
    }
    mix(w);
    h ^= h >> 29;
    h *= 0xC4CEB9FE1A85EC53ULL;
    return h ^ (h >> 32);
}

bool IsPhone(int field) {
    return field >= PersonRecord::HmPhone && field <= PersonRecord::WkFax;
}

std::string PersonColumns() {
    std::string columns = "ID";
    for (int f = 0; f < PersonRecord::FieldCount; ++f) {
        columns += ", ";
        columns += PersonRecord::ColumnName(PersonRecord::Field(f));
    }
    return columns;
}

}  // namespace

std::string FoldForSearch(std::string_view stored) {
    std::string out;
    AppendFolded(out, stored);
    return out;
}

std::string FoldForSearch(const QString& text) {
    std::string out;
    AppendFolded(out, text);
    return out;
}

// ---- SearchQuery ----------------------------------------------------------------------------

SearchQuery SearchQuery::Parse(const QString& typed) {
    static const struct {
        QLatin1String name;
        Scope scope;
    } prefixes[] = {{QLatin1String("company"), Scope::Company},
                    {QLatin1String("city"), Scope::City},
                    {QLatin1String("email"), Scope::Email},
                    {QLatin1String("phone"), Scope::Phone},
                    {QLatin1String("note"), Scope::Note}};
    SearchQuery query;
    qsizetype i = 0;
    const qsizetype n = typed.size();
    while (i < n) {
        while (i < n && typed[i].isSpace()) {
            ++i;
        }
        const qsizetype start = i;
        while (i < n && !typed[i].isSpace()) {
            ++i;
        }
        QStringView token = QStringView(typed).mid(start, i - start);
        if (token.isEmpty()) {
            continue;
        }
        Word word;
        const qsizetype colon = token.indexOf(QLatin1Char(':'));
        if (colon > 0) {
            for (const auto& prefix : prefixes) {
                if (token.left(colon).compare(prefix.name, Qt::CaseInsensitive) == 0) {
                    word.scope = prefix.scope;
                    token = token.mid(colon + 1);
                    break;
                }
            }
        }
        word.text = FoldForSearch(token.toString());
        if (word.text.empty()) {
            continue;
        }
        word.digits = std::all_of(word.text.begin(), word.text.end(),
                                  [](char c) { return c >= '0' && c <= '9'; });
        if (std::find(query.words_.begin(), query.words_.end(), word) == query.words_.end()) {
            query.words_.push_back(std::move(word));
        }
    }
    return query;
}

bool SearchQuery::Narrows(const SearchQuery& previous) const {
    // A person matching a word matches every word it contains, in the same fields: the previous
    // words are each implied by one of these.
    return std::all_of(previous.words_.begin(), previous.words_.end(), [this](const Word& before) {
        return std::any_of(words_.begin(), words_.end(), [&before](const Word& now) {
            return (before.scope == Scope::Any || before.scope == now.scope) &&
                   now.text.find(before.text) != std::string::npos;
        });
    });
}

// ---- PersonSearchIndex ----------------------------------------------------------------------

struct PersonSearchIndex::Entry {
    // Where parts of the person's folded text begin in text_: each field is followed by one
    // separator, so a part ends one byte before the next mark. The phones' digits (where they
    // differ from the phones' text) lie between the phones and Email.
    enum Mark { Fields, Company, Position, City, State, Phones, Email, WebPage, End, MarkCount };
    uint32_t mark[MarkCount] = {};
    uint32_t notesBegin = 0, notesEnd = 0;  // the person's contacts in noteRefs_
    bool live = false;                      // false once the person is gone from the file
};

// What one word needs while persons are filtered: which descriptions it is in, when scanning
// all of them at once is cheaper than looking at each person's.
struct PersonSearchIndex::WordScan {
    std::vector<uint64_t> notes;  // a bit per note; empty when not scanned
};

namespace {

inline void SetBit(std::vector<uint64_t>& bits, size_t i) {
    bits[i / 64] |= uint64_t(1) << (i % 64);
}

inline bool Bit(const std::vector<uint64_t>& bits, size_t i) {
    return (bits[i / 64] >> (i % 64)) & 1;
}

void CheckSize(size_t size) {
    if (size >= std::numeric_limits<uint32_t>::max()) {
        throw std::length_error("The search index is limited to 4 GB of text.");
    }
}

}  // namespace

// The rows' identifiers are kept in row order, so that checking that the rows are still those
// the entries were found for reads memory straight through.
struct PersonSearchIndex::RowCache {
    std::mutex lock;
    std::string ids;              // the rows' identifiers one after the other
    std::vector<uint32_t> idEnd;  // where each row's identifier ends in ids
    std::vector<int> entry;       // each row's live entry; -1 when the index does not know it
    std::string_view Id(size_t row) const {
        const uint32_t begin = row == 0 ? 0 : idEnd[row - 1];
        return std::string_view(ids.data() + begin, idEnd[row] - begin);
    }
    void Forget() {
        ids = std::string();
        idEnd = std::vector<uint32_t>();
        entry = std::vector<int>();
    }
};

PersonSearchIndex::PersonSearchIndex() : rowCache_(std::make_unique<RowCache>()) {}
PersonSearchIndex::~PersonSearchIndex() = default;
PersonSearchIndex::PersonSearchIndex(PersonSearchIndex&&) noexcept = default;
PersonSearchIndex& PersonSearchIndex::operator=(PersonSearchIndex&&) noexcept = default;

std::string_view PersonSearchIndex::IdOf(uint32_t entry) const {
    return std::string_view(idText_.data() + idStart_[entry],
                            idStart_[entry + 1] - idStart_[entry]);
}

uint64_t PersonSearchIndex::HashId(std::string_view id) {
    return HashText(id);
}

int PersonSearchIndex::Find(std::string_view id, uint64_t hash) const {
    if (slots_.empty()) {
        return -1;
    }
    const size_t mask = slots_.size() - 1;
    for (size_t s = hash & mask;; s = (s + 1) & mask) {
        const uint32_t slot = slots_[s];
        if (slot == 0) {
            return -1;
        }
        if (IdOf(slot - 1) == id) {
            return static_cast<int>(slot - 1);
        }
    }
}

void PersonSearchIndex::Insert(uint32_t entry) {
    if ((entries_.size() + 1) * 2 > slots_.size()) {
        Rehash(std::max<size_t>(64, slots_.size() * 2));
    }
    const size_t mask = slots_.size() - 1;
    size_t s = HashText(IdOf(entry)) & mask;
    while (slots_[s] != 0) {
        s = (s + 1) & mask;
    }
    slots_[s] = entry + 1;
}

void PersonSearchIndex::Rehash(size_t slotCount) {
    slots_.assign(slotCount, 0);
    const size_t mask = slotCount - 1;
    for (uint32_t e = 0; e < entries_.size(); ++e) {
        size_t s = HashText(IdOf(e)) & mask;
        while (slots_[s] != 0) {
            s = (s + 1) & mask;
        }
        slots_[s] = e + 1;
    }
}

PersonSearchIndex::Entry PersonSearchIndex::AppendFields(const Fields& fields,
                                                         std::string& scratch) {
    Entry e;
    const auto here = [this] { return static_cast<uint32_t>(text_.size()); };
    uint32_t phoneBegin[PersonRecord::FieldCount] = {};
    for (int f = 0; f < PersonRecord::FieldCount; ++f) {
        switch (f) {
            case PersonRecord::Title:
                e.mark[Entry::Fields] = here();
                break;
            case PersonRecord::Company:
                e.mark[Entry::Company] = here();
                break;
            case PersonRecord::Position:
                e.mark[Entry::Position] = here();
                break;
            case PersonRecord::City:
                e.mark[Entry::City] = here();
                break;
            case PersonRecord::State:
                e.mark[Entry::State] = here();
                break;
            case PersonRecord::HmPhone:
                e.mark[Entry::Phones] = here();
                break;
            case PersonRecord::Email: {
                // A phone typed with spaces, brackets or dashes is also found by its digits.
                scratch.clear();
                for (int p = PersonRecord::HmPhone; p <= PersonRecord::WkFax; ++p) {
                    const size_t digitsStart = scratch.size();
                    bool other = false;
                    for (uint32_t at = phoneBegin[p]; text_[at] != kSeparator; ++at) {
                        if (text_[at] >= '0' && text_[at] <= '9') {
                            scratch += text_[at];
                        } else {
                            other = true;
                        }
                    }
                    if (!other || scratch.size() == digitsStart) {
                        scratch.resize(digitsStart);
                    } else {
                        scratch += kSeparator;
                    }
                }
                text_ += scratch;
                e.mark[Entry::Email] = here();
                break;
            }
            case PersonRecord::WebPage:
                e.mark[Entry::WebPage] = here();
                break;
            default:
                break;
        }
        if (IsPhone(f)) {
            phoneBegin[f] = here();
        }
        AppendFolded(text_, fields[static_cast<size_t>(f)]);
        text_ += kSeparator;
    }
    e.mark[Entry::End] = here();
    CheckSize(text_.size());
    e.live = true;
    return e;
}

void PersonSearchIndex::AddEntry(std::string_view id, const Entry& entry) {
    if (idStart_.empty()) {
        idStart_.push_back(0);
    }
    idText_.append(id);
    CheckSize(idText_.size());
    idStart_.push_back(static_cast<uint32_t>(idText_.size()));
    entries_.push_back(entry);
    const uint32_t e = static_cast<uint32_t>(entries_.size() - 1);
    Insert(e);
    order_.push_back(e);
}

void PersonSearchIndex::Unlist(uint32_t entry) {
    const uint32_t start = entries_[entry].mark[Entry::Fields];
    const auto at = std::lower_bound(
        order_.begin(), order_.end(), start,
        [this](uint32_t e, uint32_t s) { return entries_[e].mark[Entry::Fields] < s; });
    if (at != order_.end() && *at == entry) {
        order_.erase(at);
    }
}

uint32_t PersonSearchIndex::InternNote(std::string_view folded) {
    if ((noteStart_.size() + 1) * 2 > noteSlots_.size()) {
        RehashNotes(std::max<size_t>(64, noteSlots_.size() * 2));
    }
    const size_t mask = noteSlots_.size() - 1;
    size_t s = HashText(folded) & mask;
    for (; noteSlots_[s] != 0; s = (s + 1) & mask) {
        const uint32_t note = noteSlots_[s] - 1;
        const size_t length = noteStart_[note + 1] - 1 - noteStart_[note];
        if (length == folded.size() &&
            std::memcmp(noteText_.data() + noteStart_[note], folded.data(), length) == 0) {
            return note;
        }
    }
    if (noteStart_.empty()) {
        noteStart_.push_back(0);
    }
    const uint32_t note = static_cast<uint32_t>(noteStart_.size() - 1);
    noteText_.append(folded);
    noteText_ += kSeparator;
    CheckSize(noteText_.size());
    noteStart_.push_back(static_cast<uint32_t>(noteText_.size()));
    noteSlots_[s] = note + 1;
    return note;
}

void PersonSearchIndex::RehashNotes(size_t slotCount) {
    noteSlots_.assign(slotCount, 0);
    const size_t mask = slotCount - 1;
    for (uint32_t note = 0; note + 1 < noteStart_.size(); ++note) {
        const std::string_view text(noteText_.data() + noteStart_[note],
                                    noteStart_[note + 1] - 1 - noteStart_[note]);
        size_t s = HashText(text) & mask;
        while (noteSlots_[s] != 0) {
            s = (s + 1) & mask;
        }
        noteSlots_[s] = note + 1;
    }
}

void PersonSearchIndex::Build(const std::string& path) {
    PersonSearchIndex fresh;
    std::string scratch;
    Database db;
    db.Open(path);
    Statement& st = db.CreateStatement();
    // Every page of the file is read once: through a mapping they would all count as this
    // process's memory for as long as the connection is open, through the engine's small cache
    // they do not (and the reads are no slower).
    st.Execute("PRAGMA mmap_size=0");
    Query& persons = st.ExecuteQuery("SELECT " + PersonColumns() + " FROM Person");
    Fields fields;
    while (persons.Next()) {
        const std::string_view id = persons.GetText(1);
        // A second row with the same identifier cannot be told apart by it: the first stays.
        if (fresh.Find(id) >= 0) {
            continue;
        }
        for (size_t f = 0; f < fields.size(); ++f) {
            fields[f] = persons.GetText(static_cast<int>(f) + 2);
        }
        fresh.AddEntry(id, fresh.AppendFields(fields, scratch));
    }

    // The contacts come in file order, their persons scattered over the index: they are looked
    // up a batch at a time, each step asking for the memory of the whole batch before reading
    // it, so that the misses overlap. Their notes are gathered by person afterwards.
    std::vector<std::pair<uint32_t, uint32_t>> contacts;  // entry, note
    struct Pending {
        std::string personId;
        std::string note;
        uint64_t hash = 0;
    };
    constexpr size_t kBatch = 32;
    std::array<Pending, kBatch> pending;
    size_t waiting = 0;
    const auto lookUp = [&fresh, &pending, &waiting, &contacts] {
        const std::vector<uint32_t>& table = fresh.slots_;
        const size_t mask = table.empty() ? 0 : table.size() - 1;
        if (!table.empty()) {
            for (size_t i = 0; i < waiting; ++i) {
                __builtin_prefetch(&table[pending[i].hash & mask]);
            }
            for (size_t i = 0; i < waiting; ++i) {
                if (const uint32_t s = table[pending[i].hash & mask]) {
                    __builtin_prefetch(&fresh.idStart_[s - 1]);
                }
            }
            for (size_t i = 0; i < waiting; ++i) {
                if (const uint32_t s = table[pending[i].hash & mask]) {
                    __builtin_prefetch(fresh.idText_.data() + fresh.idStart_[s - 1]);
                }
            }
        }
        for (size_t i = 0; i < waiting; ++i) {
            const int entry = fresh.Find(pending[i].personId, pending[i].hash);
            if (entry >= 0) {
                contacts.emplace_back(static_cast<uint32_t>(entry),
                                      fresh.InternNote(pending[i].note));
            }
        }
        waiting = 0;
    };
    Query& q = st.ExecuteQuery("SELECT PersonID, Description FROM Contact");
    while (q.Next()) {
        Pending& p = pending[waiting];
        p.note.clear();
        AppendFolded(p.note, q.GetText(2));
        if (p.note.empty()) {
            continue;
        }
        p.personId.assign(q.GetText(1));
        p.hash = HashId(p.personId);
        if (++waiting == kBatch) {
            lookUp();
        }
    }
    lookUp();
    std::vector<uint32_t> count(fresh.entries_.size() + 1, 0);
    for (const auto& c : contacts) {
        ++count[c.first + 1];
    }
    for (size_t i = 1; i < count.size(); ++i) {
        count[i] += count[i - 1];
    }
    for (size_t i = 0; i < fresh.entries_.size(); ++i) {
        fresh.entries_[i].notesBegin = fresh.entries_[i].notesEnd = count[i];
    }
    fresh.noteRefs_.resize(contacts.size());
    for (const auto& c : contacts) {
        fresh.noteRefs_[fresh.entries_[c.first].notesEnd++] = c.second;
    }
    *this = std::move(fresh);
}

void PersonSearchIndex::Refresh(const std::string& path, const RecordId& id) {
    std::array<std::string, PersonRecord::FieldCount> person;
    std::vector<std::string> notes;
    bool found = false;
    {
        Database db;
        db.Open(path);
        Statement& st = db.CreateStatement();
        const std::string quoted = QuoteSqlText(id);
        Query& q = st.ExecuteQuery("SELECT " + PersonColumns() + " FROM Person WHERE ID = '" +
                                   quoted + "'");
        if (q.Next()) {
            found = true;
            for (size_t f = 0; f < person.size(); ++f) {
                person[f] = q.GetString(static_cast<int>(f) + 2);
            }
        }
        if (found) {
            Query& c = st.ExecuteQuery("SELECT Description FROM Contact WHERE PersonID = '" +
                                       quoted + "'");
            while (c.Next()) {
                std::string folded = FoldForSearch(c.GetText(1));
                if (!folded.empty()) {
                    notes.push_back(std::move(folded));
                }
            }
        }
    }
    const int at = Find(id);
    if (at >= 0 && entries_[static_cast<size_t>(at)].live) {
        Entry& old = entries_[static_cast<size_t>(at)];
        garbage_ += (old.mark[Entry::End] - old.mark[Entry::Fields]) +
                    (old.notesEnd - old.notesBegin) * sizeof(uint32_t);
        Unlist(static_cast<uint32_t>(at));
        old.live = false;
    }
    if (found) {
        Fields fields;
        for (size_t f = 0; f < fields.size(); ++f) {
            fields[f] = person[f];
        }
        std::string scratch;
        Entry e = AppendFields(fields, scratch);
        e.notesBegin = static_cast<uint32_t>(noteRefs_.size());
        for (const std::string& note : notes) {
            noteRefs_.push_back(InternNote(note));
        }
        e.notesEnd = static_cast<uint32_t>(noteRefs_.size());
        if (at >= 0) {
            entries_[static_cast<size_t>(at)] = e;
            order_.push_back(static_cast<uint32_t>(at));
        } else {
            AddEntry(id, e);
        }
    }
    if (rowCache_) {
        const std::lock_guard<std::mutex> hold(rowCache_->lock);
        rowCache_->Forget();
    }
    // Each edit leaves the person's old text behind: kept below half of what is held.
    if (garbage_ > (1u << 20) &&
        garbage_ * 2 > text_.size() + noteRefs_.size() * sizeof(uint32_t)) {
        Compact();
    }
}

void PersonSearchIndex::Compact() {
    PersonSearchIndex compact;
    compact.text_.reserve(text_.size() - std::min(text_.size(), garbage_));
    compact.entries_.reserve(order_.size());
    compact.order_.reserve(order_.size());
    for (uint32_t e : order_) {
        const Entry& old = entries_[e];
        Entry moved = old;
        const uint32_t start = static_cast<uint32_t>(compact.text_.size());
        compact.text_.append(text_, old.mark[Entry::Fields],
                             old.mark[Entry::End] - old.mark[Entry::Fields]);
        for (int m = 0; m < Entry::MarkCount; ++m) {
            moved.mark[m] = start + (old.mark[m] - old.mark[Entry::Fields]);
        }
        moved.notesBegin = static_cast<uint32_t>(compact.noteRefs_.size());
        for (uint32_t r = old.notesBegin; r < old.notesEnd; ++r) {
            const uint32_t note = noteRefs_[r];
            compact.noteRefs_.push_back(compact.InternNote(std::string_view(
                noteText_.data() + noteStart_[note], noteStart_[note + 1] - 1 - noteStart_[note])));
        }
        moved.notesEnd = static_cast<uint32_t>(compact.noteRefs_.size());
        compact.AddEntry(IdOf(e), moved);
    }
    *this = std::move(compact);
}

void PersonSearchIndex::ScanNotes(const SearchQuery::Word& word, WordScan& scan) const {
    const size_t notes = noteStart_.empty() ? 0 : noteStart_.size() - 1;
    scan.notes.assign((notes + 63) / 64, 0);
    const char* base = noteText_.data();
    const char* end = base + noteText_.size();
    const char* from = base;
    while (const char* hit = Search(from, end, word.text)) {
        const auto after = std::upper_bound(noteStart_.begin(), noteStart_.end(),
                                            static_cast<uint32_t>(hit - base));
        const size_t note = static_cast<size_t>(after - noteStart_.begin()) - 1;
        SetBit(scan.notes, note);
        from = base + *after;
    }
}

bool PersonSearchIndex::NotesMatch(const Entry& e, const SearchQuery::Word& word,
                                   const WordScan& scan) const {
    if (!scan.notes.empty()) {
        for (uint32_t r = e.notesBegin; r < e.notesEnd; ++r) {
            if (Bit(scan.notes, noteRefs_[r])) {
                return true;
            }
        }
        return false;
    }
    for (uint32_t r = e.notesBegin; r < e.notesEnd; ++r) {
        const uint32_t note = noteRefs_[r];
        if (Contains(noteText_.data() + noteStart_[note],
                     noteText_.data() + noteStart_[note + 1] - 1, word.text)) {
            return true;
        }
    }
    return false;
}

bool PersonSearchIndex::PersonMatches(const Entry& e, const SearchQuery::Word& word,
                                      const WordScan& scan) const {
    using Scope = SearchQuery::Scope;
    const char* text = text_.data();
    // The part of the person's text the word may be in; a part ends before its separator.
    auto within = [&](Entry::Mark from, Entry::Mark to) {
        return Contains(text + e.mark[from], text + e.mark[to] - 1, word.text);
    };
    switch (word.scope) {
        case Scope::Any:
            return within(Entry::Fields, Entry::End) || NotesMatch(e, word, scan);
        case Scope::Company:
            return within(Entry::Company, Entry::Position);
        case Scope::City:
            return within(Entry::City, Entry::State);
        case Scope::Email:
            return within(Entry::Email, Entry::WebPage);
        case Scope::Phone:
            return within(Entry::Phones, Entry::Email);
        case Scope::Note:
            return NotesMatch(e, word, scan);
    }
    return false;
}

// Every person in the order their text lies, so that memory is read straight through.
void PersonSearchIndex::MatchEveryone(const SearchQuery::Word& word,
                                      std::vector<uint64_t>& matched) const {
    matched.assign((entries_.size() + 63) / 64, 0);
    WordScan scan;
    const bool inNotes =
        word.scope == SearchQuery::Scope::Any || word.scope == SearchQuery::Scope::Note;
    if (inNotes && noteStart_.size() > 1) {
        ScanNotes(word, scan);
    }
    if (word.scope != SearchQuery::Scope::Any) {
        for (uint32_t e : order_) {
            if (PersonMatches(entries_[e], word, scan)) {
                SetBit(matched, e);
            }
        }
        return;
    }
    // One pass over all the persons' text: after a hit, on from the next person.
    const char* base = text_.data();
    const char* end = base + text_.size();
    size_t k = 0;
    while (k < order_.size()) {
        const char* hit = Search(base + entries_[order_[k]].mark[Entry::Fields], end, word.text);
        if (hit == nullptr) {
            break;
        }
        const uint32_t at = static_cast<uint32_t>(hit - base);
        while (k < order_.size() && entries_[order_[k]].mark[Entry::End] <= at) {
            ++k;
        }
        // Text before the person's is an edited person's old text: go on from there.
        if (k < order_.size() && entries_[order_[k]].mark[Entry::Fields] <= at) {
            SetBit(matched, order_[k]);
            ++k;
        }
    }
    if (scan.notes.empty()) {
        return;
    }
    for (uint32_t e : order_) {
        if (!Bit(matched, e) && NotesMatch(entries_[e], word, scan)) {
            SetBit(matched, e);
        }
    }
}

bool PersonSearchIndex::Matches(const RecordId& id, const SearchQuery& query) const {
    if (query.Empty()) {
        return true;
    }
    const int at = Find(id);
    if (at < 0 || !entries_[static_cast<size_t>(at)].live) {
        return false;
    }
    const WordScan direct;
    return std::all_of(query.Words().begin(), query.Words().end(),
                       [&](const SearchQuery::Word& word) {
                           return PersonMatches(entries_[static_cast<size_t>(at)], word, direct);
                       });
}

std::vector<uint32_t> PersonSearchIndex::Filter(const PersonRowList& rows, const SearchQuery& query,
                                                const std::vector<uint32_t>* within) const {
    std::vector<uint32_t> result;
    const size_t considered = within ? within->size() : rows.size();
    auto rowAt = [&](size_t i) { return within ? (*within)[i] : static_cast<uint32_t>(i); };
    if (query.Empty()) {
        result.reserve(considered);
        for (size_t i = 0; i < considered; ++i) {
            if (rowAt(i) < rows.size()) {
                result.push_back(rowAt(i));
            }
        }
        return result;
    }
    // Row and entry of each person still in the running.
    std::vector<std::pair<uint32_t, uint32_t>> candidates;
    Candidates(rows, within, candidates);
    // Longer words first: they leave fewer persons for the others.
    std::vector<const SearchQuery::Word*> words;
    for (const SearchQuery::Word& w : query.Words()) {
        words.push_back(&w);
    }
    std::stable_sort(words.begin(), words.end(),
                     [](const auto* a, const auto* b) { return a->text.size() > b->text.size(); });
    const size_t notes = noteStart_.empty() ? 0 : noteStart_.size() - 1;
    std::vector<uint64_t> matched;
    for (const SearchQuery::Word* word : words) {
        if (candidates.empty()) {
            break;
        }
        size_t kept = 0;
        // Many persons: everyone's text read straight through is quicker than each candidate's
        // looked up where it lies.
        if (candidates.size() * 8 > order_.size()) {
            MatchEveryone(*word, matched);
            for (const auto& c : candidates) {
                if (Bit(matched, c.second)) {
                    candidates[kept++] = c;
                }
            }
            candidates.resize(kept);
            continue;
        }
        WordScan scan;
        // Scanning every description once beats reading each candidate's when the candidates
        // hold more description text than there is.
        const bool inNotes =
            word->scope == SearchQuery::Scope::Any || word->scope == SearchQuery::Scope::Note;
        if (inNotes && notes > 0 && !order_.empty()) {
            const double refsEach = double(noteRefs_.size()) / double(order_.size());
            const double noteBytes = double(noteText_.size()) / double(notes);
            if (double(candidates.size()) * refsEach * noteBytes > double(noteText_.size())) {
                ScanNotes(*word, scan);
            }
        }
        for (const auto& c : candidates) {
            if (PersonMatches(entries_[c.second], *word, scan)) {
                candidates[kept++] = c;
            }
        }
        candidates.resize(kept);
    }
    result.reserve(candidates.size());
    for (const auto& c : candidates) {
        result.push_back(c.first);
    }
    return result;
}

void PersonSearchIndex::Candidates(const PersonRowList& rows, const std::vector<uint32_t>* within,
                                   std::vector<std::pair<uint32_t, uint32_t>>& candidates) const {
    const size_t considered = within ? within->size() : rows.size();
    candidates.reserve(considered);
    auto rowAt = [&](size_t i) { return within ? (*within)[i] : static_cast<uint32_t>(i); };
    auto live = [this](int at) { return at >= 0 && entries_[static_cast<size_t>(at)].live; };
    if (!rowCache_) {
        for (size_t i = 0; i < considered; ++i) {
            const uint32_t row = rowAt(i);
            if (row < rows.size()) {
                const int at = Find(rows.Id(row));
                if (live(at)) {
                    candidates.emplace_back(row, static_cast<uint32_t>(at));
                }
            }
        }
        return;
    }
    RowCache& cache = *rowCache_;
    const std::lock_guard<std::mutex> hold(cache.lock);
    // The rows' text lies in file order, not in row order: each pass asks for the memory of a
    // row some rows ahead, so that the misses overlap rather than follow one another.
    constexpr size_t kAhead = 16;
    bool same = cache.entry.size() == rows.size();
    for (size_t i = 0; same && i < considered; ++i) {
        if (i + kAhead < considered && rowAt(i + kAhead) < rows.size()) {
            __builtin_prefetch(rows.Id(rowAt(i + kAhead)).data());
        }
        const uint32_t row = rowAt(i);
        if (row >= rows.size()) {
            continue;
        }
        if (rows.Id(row) != cache.Id(row)) {
            same = false;
            break;
        }
        if (cache.entry[row] >= 0) {
            candidates.emplace_back(row, static_cast<uint32_t>(cache.entry[row]));
        }
    }
    if (same) {
        return;
    }
    // Other rows than last time: every row is looked up once.
    candidates.clear();
    cache.Forget();
    const size_t n = rows.size();
    std::vector<uint64_t> hash(n);
    for (size_t row = 0; row < n; ++row) {
        if (row + kAhead < n) {
            __builtin_prefetch(rows.Id(row + kAhead).data());
        }
        hash[row] = HashId(rows.Id(row));
    }
    cache.entry.reserve(n);
    cache.idEnd.reserve(n);
    cache.ids.reserve(n * (idStart_.empty() ? 32 : idText_.size() / idStart_.size()) + 64);
    const size_t mask = slots_.empty() ? 0 : slots_.size() - 1;
    for (size_t row = 0; row < n; ++row) {
        if (!slots_.empty()) {
            // The slot two steps ahead; then the entry and identifier it names, one step ahead.
            if (row + 2 * kAhead < n) {
                __builtin_prefetch(&slots_[hash[row + 2 * kAhead] & mask]);
            }
            if (row + kAhead < n) {
                if (const uint32_t s = slots_[hash[row + kAhead] & mask]) {
                    __builtin_prefetch(&entries_[s - 1]);
                    __builtin_prefetch(idText_.data() + idStart_[s - 1]);
                }
                __builtin_prefetch(rows.Id(row + kAhead).data());
            }
        }
        const std::string_view id = rows.Id(row);
        cache.ids.append(id);
        CheckSize(cache.ids.size());
        cache.idEnd.push_back(static_cast<uint32_t>(cache.ids.size()));
        const int at = Find(id, hash[row]);
        cache.entry.push_back(live(at) ? at : -1);
    }
    for (size_t i = 0; i < considered; ++i) {
        const uint32_t row = rowAt(i);
        if (row < rows.size() && cache.entry[row] >= 0) {
            candidates.emplace_back(row, static_cast<uint32_t>(cache.entry[row]));
        }
    }
}

size_t PersonSearchIndex::MemoryBytes() const {
    size_t cached = 0;
    if (rowCache_) {
        const std::lock_guard<std::mutex> hold(rowCache_->lock);
        cached = sizeof(RowCache) + rowCache_->ids.capacity() +
                 (rowCache_->idEnd.capacity() + rowCache_->entry.capacity()) * sizeof(uint32_t);
    }
    return sizeof(*this) + text_.capacity() + entries_.capacity() * sizeof(Entry) +
           (order_.capacity() + idStart_.capacity() + slots_.capacity()) * sizeof(uint32_t) +
           idText_.capacity() + noteText_.capacity() +
           (noteStart_.capacity() + noteSlots_.capacity() + noteRefs_.capacity()) *
               sizeof(uint32_t) +
           cached;
}
