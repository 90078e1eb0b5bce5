#include "insight/cellparsing.h"

#include "insight/civiltime.h"

#include <charconv>
#include <string>

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Reads 1 .. maxDigits digits from the front of `text`.
std::optional<int> takeDigits(std::string_view& text, std::size_t minDigits, std::size_t maxDigits)
{
    std::size_t count = 0;
    int value = 0;
    while (count < text.size() && isDigit(text[count])) {
        if (count == maxDigits)
            return std::nullopt;
        value = value * 10 + (text[count] - '0');
        ++count;
    }
    if (count < minDigits)
        return std::nullopt;
    text.remove_prefix(count);
    return value;
}

bool take(std::string_view& text, char c)
{
    if (text.empty() || text.front() != c)
        return false;
    text.remove_prefix(1);
    return true;
}

constexpr std::string_view MinusSign = "\xE2\x88\x92"; // U+2212

} // namespace

std::optional<CellNumber> ParseNumber(std::string_view cell)
{
    bool negative = false;
    if (cell.empty())
        return std::nullopt;
    if (cell.front() == MinusSign.front() && cell.substr(0, MinusSign.size()) == MinusSign) {
        negative = true;
        cell.remove_prefix(MinusSign.size());
    } else if (cell.front() == '-' || cell.front() == '+') {
        negative = cell.front() == '-';
        cell.remove_prefix(1);
    }
    CellNumber number;
    std::size_t before = 0;
    std::size_t after = 0;
    bool separator = false;
    // Up to 15 digits make an exact integer, and that divided by a power
    // of ten is the nearest double: the value from_chars would give.
    std::uint64_t digits = 0;
    for (const char c : cell) {
        if (isDigit(c)) {
            digits = digits * 10 + static_cast<unsigned>(c - '0');
            ++(separator ? after : before);
        } else if ((c == '.' || c == ',') && !separator) {
            separator = true;
            number.comma = c == ',';
        } else {
            return std::nullopt;
        }
    }
    // "5." and ".5" are not how a unit writes a number; neither is a lone sign.
    if (before == 0 || (separator && after == 0))
        return std::nullopt;
    number.decimals = static_cast<int>(after);
    number.integer = !separator;
    if (before + after <= 15) {
        static constexpr double powers[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7,
                                            1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
        number.value = static_cast<double>(digits) / powers[after];
    } else {
        std::string ascii;
        for (const char c : cell)
            ascii += c == ',' ? '.' : c;
        const auto [end, error] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), number.value);
        if (error != std::errc() || end != ascii.data() + ascii.size())
            return std::nullopt;
    }
    if (negative)
        number.value = -number.value;
    return number;
}

std::optional<CellDate> ParseDate(std::string_view cell)
{
    std::string_view rest = cell;
    CellDate date;
    int year = 0;
    int month = 0;
    int day = 0;
    if (rest.size() >= 5 && isDigit(rest[0]) && isDigit(rest[1]) && isDigit(rest[2]) && isDigit(rest[3])) {
        // yyyy-mm-dd
        const auto y = takeDigits(rest, 4, 4);
        if (!y || !take(rest, '-'))
            return std::nullopt;
        year = *y;
        const auto m = takeDigits(rest, 1, 2);
        if (!m || !take(rest, '-'))
            return std::nullopt;
        const auto d = takeDigits(rest, 1, 2);
        if (!d)
            return std::nullopt;
        month = *m;
        day = *d;
        date.style = {DateStyle::Order::YearMonthDay, '-', false};
    } else {
        const auto d = takeDigits(rest, 1, 2);
        if (!d || rest.empty() || (rest.front() != '.' && rest.front() != '/'))
            return std::nullopt;
        const char separator = rest.front();
        rest.remove_prefix(1);
        const auto m = takeDigits(rest, 1, 2);
        if (!m || !take(rest, separator))
            return std::nullopt;
        const std::size_t yearDigits = rest.size() >= 4 && isDigit(rest[2]) ? 4 : 2;
        const auto y = takeDigits(rest, yearDigits, yearDigits);
        if (!y)
            return std::nullopt;
        day = *d;
        month = *m;
        year = yearDigits == 4 ? *y : (*y < 70 ? 2000 + *y : 1900 + *y);
        date.style = {DateStyle::Order::DayMonthYear, separator, yearDigits == 2};
    }
    if (!rest.empty() || !IsCivilDate(year, month, day))
        return std::nullopt;
    date.days = DaysFromCivil(year, month, day);
    return date;
}

std::optional<int> ParseTimeOfDay(std::string_view cell)
{
    std::string_view rest = cell;
    const auto hours = takeDigits(rest, 1, 2);
    if (!hours || !take(rest, ':'))
        return std::nullopt;
    const auto minutes = takeDigits(rest, 2, 2);
    if (!minutes)
        return std::nullopt;
    int seconds = 0;
    if (take(rest, ':')) {
        const auto s = takeDigits(rest, 2, 2);
        if (!s)
            return std::nullopt;
        seconds = *s;
    }
    if (!rest.empty() || *hours > 23 || *minutes > 59 || seconds > 59)
        return std::nullopt;
    return *hours * 3600 + *minutes * 60 + seconds;
}

std::optional<CellDateTime> ParseDateTime(std::string_view cell)
{
    std::size_t split = cell.find_first_of(" T");
    if (split == std::string_view::npos)
        return std::nullopt;
    const auto date = ParseDate(cell.substr(0, split));
    if (!date)
        return std::nullopt;
    while (split < cell.size() && (cell[split] == ' ' || cell[split] == 'T'))
        ++split;
    const auto time = ParseTimeOfDay(cell.substr(split));
    if (!time)
        return std::nullopt;
    return CellDateTime{date->days * 86400 + *time, date->style};
}
