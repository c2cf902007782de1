#include <algorithm>

#include "PersonSearch.h"
#include "PhoneNumbers.h"

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
    // The previous words are each implied by one of these.
    return std::all_of(previous.words_.begin(), previous.words_.end(), [this](const Word& before) {
        return std::any_of(words_.begin(), words_.end(),
                           [&before](const Word& now) { return Implies(now, before); });
    });
}
