#include "web/pagelanguage.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace {

constexpr std::size_t EntriesLooked = 32;
constexpr std::array<std::string_view, 3> Languages = {"en", "ru", "uk"};

// One entry of the header: a language range and its weight (in
// thousandths).
struct Entry {
    std::string_view primary; // the range's first subtag, or "*"
    int weight = 1000;
};

std::string_view trimmed(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool alpha(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool digit(char c)
{
    return c >= '0' && c <= '9';
}

// "*", or subtags of 1 to 8 letters (and digits, after the first) joined
// by "-".
bool rangeShaped(std::string_view range)
{
    if (range == "*")
        return true;
    std::size_t subtag = 0;
    bool first = true;
    for (std::size_t at = 0; at <= range.size(); ++at) {
        if (at == range.size() || range[at] == '-') {
            if (subtag == 0 || subtag > 8)
                return false;
            subtag = 0;
            first = false;
            continue;
        }
        if (!alpha(range[at]) && (first || !digit(range[at])))
            return false;
        ++subtag;
    }
    return true;
}

// A q-value: "0" to "1" with up to three decimals.
std::optional<int> weightOf(std::string_view text)
{
    if (text.empty() || (text[0] != '0' && text[0] != '1'))
        return std::nullopt;
    int weight = (text[0] - '0') * 1000;
    if (text.size() == 1)
        return weight;
    if (text[1] != '.' || text.size() > 5)
        return std::nullopt;
    int scale = 100;
    for (const char c : text.substr(2)) {
        if (!digit(c))
            return std::nullopt;
        weight += (c - '0') * scale;
        scale /= 10;
    }
    return weight <= 1000 ? std::optional<int>(weight) : std::nullopt;
}

std::optional<Entry> entryOf(std::string_view text)
{
    const std::size_t semicolon = text.find(';');
    const std::string_view range = trimmed(text.substr(0, semicolon));
    if (!rangeShaped(range))
        return std::nullopt;
    Entry entry;
    entry.primary = range.substr(0, range.find('-'));
    if (semicolon == std::string_view::npos)
        return entry;
    const std::string_view parameter = trimmed(text.substr(semicolon + 1));
    if (parameter.size() < 2 || (parameter[0] != 'q' && parameter[0] != 'Q') || parameter[1] != '=')
        return std::nullopt;
    const std::optional<int> weight = weightOf(parameter.substr(2));
    if (!weight)
        return std::nullopt;
    entry.weight = *weight;
    return entry;
}

bool sameLetters(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t at = 0; at < a.size(); ++at)
        if ((a[at] | 0x20) != (b[at] | 0x20))
            return false;
    return true;
}

// How the browser weighs each of the languages, and the place of the
// entry that gave that weight: by its own entries, else by "*"; none where
// it does not say.
struct Weighing {
    std::array<std::optional<int>, Languages.size()> weight;
    std::array<std::size_t, Languages.size()> position{};

    // An entry for the language: a weight above what it had wins.
    void Take(std::size_t language, int entryWeight, std::size_t entryPosition)
    {
        if (!weight[language] || entryWeight > *weight[language]) {
            weight[language] = entryWeight;
            position[language] = entryPosition;
        }
    }
};

Weighing weigh(std::string_view header)
{
    Weighing named;
    Weighing any; // by "*"
    std::size_t position = 0;
    while (position < EntriesLooked && !header.empty()) {
        const std::size_t comma = header.find(',');
        const std::optional<Entry> entry = entryOf(header.substr(0, comma));
        header = comma == std::string_view::npos ? std::string_view() : header.substr(comma + 1);
        ++position;
        if (!entry)
            continue;
        for (std::size_t language = 0; language < Languages.size(); ++language) {
            if (entry->primary == "*")
                any.Take(language, entry->weight, position);
            else if (sameLetters(entry->primary, Languages[language]))
                named.Take(language, entry->weight, position);
        }
    }
    for (std::size_t language = 0; language < Languages.size(); ++language)
        if (!named.weight[language] && any.weight[language])
            named.Take(language, *any.weight[language], any.position[language]);
    return named;
}

} // namespace

std::string PageLanguage(const std::string& acceptLanguage)
{
    const Weighing weighing = weigh(acceptLanguage);
    std::optional<std::size_t> best;
    for (std::size_t language = 0; language < Languages.size(); ++language) {
        const std::optional<int> weight = weighing.weight[language];
        if (!weight || *weight == 0)
            continue;
        if (!best || *weight > *weighing.weight[*best]
            || (*weight == *weighing.weight[*best] && weighing.position[language] < weighing.position[*best]))
            best = language;
    }
    if (best)
        return std::string(Languages[*best]);
    // Nothing the browser asks for: English, unless it refuses English.
    for (std::size_t language = 0; language < Languages.size(); ++language)
        if (weighing.weight[language] != 0)
            return std::string(Languages[language]);
    return std::string(Languages[0]);
}
