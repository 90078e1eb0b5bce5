#ifndef MORVA_INSIGHT_READINGPART_H
#define MORVA_INSIGHT_READINGPART_H

#include "insight/typedtable.h"
#include "report/reportformater.h"

#include <wx/string.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

// A part of a reading to export: one table, the records from a time on
// and up to a time (by the records' own date and time columns), the
// records of one series (by the table's first series column). Nothing
// chosen is the whole reading, line for line.
struct ReadingPart {
    std::optional<unsigned> table; // counted from 1
    std::optional<std::int64_t> since; // seconds of the unit's clock
    std::optional<std::int64_t> until;
    std::optional<wxString> series;

    bool Whole() const { return !table && !since && !until && !series; }

    // A time as the operator writes it: a date, or a date and a time (the
    // unit's formats, or ISO's "2024-03-14 08:25"). A date alone is its
    // first second, or for `endOfDay` its last: "--until 2024-03-14"
    // holds that whole day.
    static std::optional<std::int64_t> ParseWhen(const wxString& text, bool endOfDay);

    // The report lines of the part of `lines` (per table its header, its
    // records and an empty line): the tables chosen, each with the records
    // chosen; `records` tells how many are left (with the headers, for
    // the whole reading). A table left without records is left out,
    // unless it was chosen by number.
    ReportLines Select(const ReportLines& lines, std::size_t& records) const;
    // The records of a table in the part's time range (a record without a
    // time is not, when a range is chosen) and of its series, by the table's
    // first series column; the table chosen is the caller's.
    std::vector<std::size_t> Records(const TypedTable& typed) const;
};

#endif
