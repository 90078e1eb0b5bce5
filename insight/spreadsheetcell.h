#ifndef MORVA_INSIGHT_SPREADSHEETCELL_H
#define MORVA_INSIGHT_SPREADSHEETCELL_H

#include "insight/typedtable.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

// What a cell of the unit's records becomes in a spreadsheet, by the kind
// of its column: a number where the column is of numbers and the number
// reads back as the unit wrote it; a date, a time of day or both where the
// column is of those and the cell is one; empty where the unit wrote
// nothing; else the text exactly as written.
struct SpreadsheetCell {
    enum class Kind { Empty, Number, Date, Time, DateTime, Text };

    Kind kind = Kind::Empty;
    // A number, or a date and time as the spreadsheet counts it: days since
    // 1899-12-30, the time of day as the fraction.
    double value = 0;
    int decimals = 0; // for a number

    static SpreadsheetCell Of(const TypedTable& table, std::size_t record, std::size_t column);
    // Whether a number cell reads back the same as a spreadsheet shows the
    // number with its decimals: no "+" or minus sign other than "-", no
    // leading zero, at most 15 digits. "007", "+2" and "−1" stay text.
    static bool ReadsAsNumber(std::string_view cell);
    // The spreadsheet's day count of a time of the unit's clock.
    static double Serial(std::int64_t seconds);
};

#endif
