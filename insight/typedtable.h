#ifndef MORVA_INSIGHT_TYPEDTABLE_H
#define MORVA_INSIGHT_TYPEDTABLE_H

#include "insight/cellparsing.h"
#include "insight/columnkind.h"
#include "insight/recordtable.h"

#include <wx/string.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

// A table with what each column holds and when each record was written:
// the kinds told from the cells, each of which the operator may change.
// A record's time comes from the first date-and-time column, else from the
// first date column and the first time column (midnight without one).
class TypedTable {
public:
    explicit TypedTable(RecordTable table);

    const RecordTable& Records() const { return m_table; }
    std::size_t ColumnCount() const { return m_table.ColumnCount(); }
    std::size_t RecordCount() const { return m_table.RecordCount(); }
    const std::vector<ColumnKind>& Kinds() const { return m_kinds; }
    ColumnKind Kind(std::size_t column) const { return m_kinds[column]; }
    // The operator's choice for a column.
    void SetKind(std::size_t column, ColumnKind kind);

    // Whether the records have times at all.
    bool HasTimes() const { return m_timed > 0; }
    std::optional<std::int64_t> Time(std::size_t record) const;
    // The record's date and time, written as the unit writes dates; empty
    // for a record without a time.
    wxString TimeText(std::size_t record) const;
    // A time written the same way.
    wxString FormatTime(std::int64_t seconds) const;
    const DateStyle& Dates() const { return m_dates; }

    // The first column of measured numbers, and of a series.
    std::optional<std::size_t> FirstMeasured() const { return First(ColumnKind::Number); }
    std::optional<std::size_t> FirstSeries() const { return First(ColumnKind::Series); }
    // A number cell's value; none for an empty cell or a column that is
    // not of numbers.
    std::optional<CellNumber> Number(std::size_t record, std::size_t column) const;
    // The column that names the unit of `valueColumn`'s values: the text
    // column right after it, filled wherever a value is, and the same for
    // all values of a series of `by` (of the whole table without one).
    std::optional<std::size_t> UnitColumn(std::size_t valueColumn, std::optional<std::size_t> by) const;

private:
    std::optional<std::size_t> First(ColumnKind kind) const;
    void FindTimes();

    RecordTable m_table;
    std::vector<ColumnKind> m_kinds;
    // Each record's time; Untimed for one without.
    static constexpr std::int64_t Untimed = INT64_MIN;
    std::vector<std::int64_t> m_times;
    std::size_t m_timed = 0;
    DateStyle m_dates;
};

#endif
