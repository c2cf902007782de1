#include <algorithm>

#include "PersonSearch.h"
#include "PhoneNumbers.h"
#include "SearchDates.h"

namespace {

enum class LogWord { None, Since, Before, Type };

// "since:", "before:" or "type:" before the colon, in any case.
LogWord LogWordOf(QStringView prefix) {
    static const struct {
        QLatin1String name;
        LogWord word;
    } words[] = {{QLatin1String("since"), LogWord::Since},
                 {QLatin1String("before"), LogWord::Before},
                 {QLatin1String("type"), LogWord::Type}};
    for (const auto& w : words) {
        if (prefix.compare(w.name, Qt::CaseInsensitive) == 0) {
            return w.word;
        }
    }
    return LogWord::None;
}

}  // namespace

SearchQuery SearchQuery::Parse(const QString& typed, const QDate& today) {
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
        if (const LogWord log = colon > 0 ? LogWordOf(token.left(colon)) : LogWord::None;
            log != LogWord::None) {
            const QString value = token.mid(colon + 1).toString();
            if (log == LogWord::Type) {
                std::string folded = FoldForSearch(value);
                auto& types = query.log_.types;
                if (!folded.empty() &&
                    std::find(types.begin(), types.end(), folded) == types.end()) {
                    types.push_back(std::move(folded));
                }
                continue;
            }
            if (value.isEmpty()) {
                continue;
            }
            const std::optional<QDate> date = ReadSearchDate(value, today);
            if (!date) {
                query.unread_ << token.toString();
                continue;
            }
            std::optional<int64_t>& day =
                log == LogWord::Since ? query.log_.since : query.log_.before;
            const int64_t read = date->toJulianDay();
            day = !day ? read : log == LogWord::Since ? std::max(*day, read) : std::min(*day, read);
            continue;
        }
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
        const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
        word.digits = std::all_of(word.text.begin(), word.text.end(), isDigit);
        if (word.text.size() > 1 && word.text[0] == '+' &&
            std::all_of(word.text.begin() + 1, word.text.end(), isDigit)) {
            word.international = word.text.substr(1);
            word.national = NationalDigits(word.text);
        }
        if (std::find(query.words_.begin(), query.words_.end(), word) == query.words_.end()) {
            query.words_.push_back(std::move(word));
        }
    }
    return query;
}

namespace {

bool Holds(const std::string& text, const std::string& part) {
    return !part.empty() && text.find(part) != std::string::npos;
}

// A person matching now matches before: each way now can match implies a way before matches.
bool Implies(const SearchQuery::Word& now, const SearchQuery::Word& before) {
    using Scope = SearchQuery::Scope;
    if ((before.scope != Scope::Any && before.scope != now.scope) ||
        !Holds(now.text, before.text)) {
        return false;
    }
    // The digits of now are found in the phones, their digits, and (unless withoutNational)
    // the national forms of their international numbers.
    const auto reached = [&before](const std::string& digits, bool withoutNational) {
        return (before.digits && Holds(digits, before.text)) ||
               Holds(digits, before.international) ||
               (withoutNational && Holds(digits, before.national));
    };
    return (now.international.empty() || reached(now.international, false)) &&
           (now.national.empty() || reached(now.national, true));
}

}  // namespace

bool SearchQuery::Narrows(const SearchQuery& previous) const {
    // Log words alike on both sides, or none before: the previous words are each implied by one
    // of these.
    if (previous.log_.Any() && !(previous.log_ == log_)) {
        return false;
    }
    return std::all_of(previous.words_.begin(), previous.words_.end(), [this](const Word& before) {
        return std::any_of(words_.begin(), words_.end(),
                           [&before](const Word& now) { return Implies(now, before); });
    });
}
