#ifndef MORVA_INSIGHT_CELLPARSING_H
#define MORVA_INSIGHT_CELLPARSING_H

#include <cstdint>
#include <optional>
#include <string_view>

// What a cell of the unit's text holds, read from the cell alone (UTF-8,
// trimmed): never from a header's words, never by the computer's locale.

// A number: an optional sign ("+", "-" or the minus sign U+2212), digits
// with at most one decimal point or decimal comma, nothing else.
struct CellNumber {
    double value = 0;
    int decimals = 0;     // digits after the separator
    bool comma = false;   // written with a decimal comma
    bool integer = false; // no separator at all
};
std::optional<CellNumber> ParseNumber(std::string_view cell);

// How the unit writes its dates, to write others the same way.
struct DateStyle {
    enum class Order { DayMonthYear, YearMonthDay };
    Order order = Order::DayMonthYear;
    char separator = '.';
    bool shortYear = false;
};

// A date: dd.mm.yyyy, dd/mm/yyyy, yyyy-mm-dd, and dd.mm.yy or dd/mm/yy
// (a two-digit year below 70 is 20yy, else 19yy); a day or month may have
// one digit. Days since 1970-01-01 of the civil calendar.
struct CellDate {
    std::int64_t days = 0;
    DateStyle style;
};
std::optional<CellDate> ParseDate(std::string_view cell);

// A time of day: hh:mm or hh:mm:ss (an hour may have one digit). Seconds
// since midnight.
std::optional<int> ParseTimeOfDay(std::string_view cell);

// A date and a time in one cell, separated by blanks or a "T".
struct CellDateTime {
    std::int64_t seconds = 0; // since 1970-01-01 00:00 of the same clock
    DateStyle style;
};
std::optional<CellDateTime> ParseDateTime(std::string_view cell);

#endif
