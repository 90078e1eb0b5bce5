#include "insight/typedtable.h"

#include "insight/civiltime.h"
#include "insight/columnrecogniser.h"

#include <map>
#include <string_view>

namespace {

const std::optional<CellDate>& dateOf(std::string_view cell, std::string_view& lastCell,
                                      std::optional<CellDate>& lastDate)
{
    if (cell.empty() || cell != lastCell) {
        lastCell = cell;
        lastDate = ParseDate(cell);
    }
    return lastDate;
}

} // namespace

TypedTable::TypedTable(RecordTable table) : m_table(std::move(table)), m_kinds(ColumnRecogniser::Recognise(m_table))
{
    FindTimes();
}

void TypedTable::SetKind(std::size_t column, ColumnKind kind)
{
    m_kinds.at(column) = kind;
    FindTimes();
}

std::optional<std::size_t> TypedTable::First(ColumnKind kind) const
{
    for (std::size_t column = 0; column < m_kinds.size(); ++column)
        if (m_kinds[column] == kind)
            return column;
    return std::nullopt;
}

void TypedTable::FindTimes()
{
    m_times.assign(m_table.RecordCount(), Untimed);
    m_timed = 0;
    m_dates = DateStyle();
    const std::optional<std::size_t> dateTime = First(ColumnKind::DateTime);
    const std::optional<std::size_t> date = First(ColumnKind::Date);
    const std::optional<std::size_t> time = First(ColumnKind::Time);
    if (!dateTime && !date)
        return;
    bool styled = false;
    // Records after records share their date: it is read once.
    std::string_view lastDateCell;
    std::optional<CellDate> lastDate;
    for (std::size_t record = 0; record < m_times.size(); ++record) {
        std::optional<std::int64_t> seconds;
        DateStyle style;
        if (dateTime) {
            if (const auto cell = ParseDateTime(m_table.Cell(record, *dateTime))) {
                seconds = cell->seconds;
                style = cell->style;
            }
        } else if (const auto day = dateOf(m_table.Cell(record, *date), lastDateCell, lastDate)) {
            style = day->style;
            if (!time)
                seconds = day->days * 86400;
            else if (const auto ofDay = ParseTimeOfDay(m_table.Cell(record, *time)))
                seconds = day->days * 86400 + *ofDay;
        }
        if (!seconds)
            continue;
        m_times[record] = *seconds;
        ++m_timed;
        if (!styled) {
            m_dates = style;
            styled = true;
        }
    }
}

std::optional<std::int64_t> TypedTable::Time(std::size_t record) const
{
    const std::int64_t seconds = m_times[record];
    if (seconds == Untimed)
        return std::nullopt;
    return seconds;
}

wxString TypedTable::TimeText(std::size_t record) const
{
    const auto seconds = Time(record);
    return seconds ? FormatTime(*seconds) : wxString();
}

wxString TypedTable::FormatTime(std::int64_t seconds) const
{
    return FormatDateTime(seconds, m_dates);
}

std::optional<CellNumber> TypedTable::Number(std::size_t record, std::size_t column) const
{
    const ColumnKind kind = m_kinds[column];
    if (kind != ColumnKind::Number && kind != ColumnKind::RunningNumber)
        return std::nullopt;
    const std::string_view cell = m_table.Cell(record, column);
    if (cell.empty())
        return std::nullopt;
    return ParseNumber(cell);
}

std::optional<std::size_t> TypedTable::UnitColumn(std::size_t valueColumn, std::optional<std::size_t> by) const
{
    const std::size_t unit = valueColumn + 1;
    if (unit >= m_kinds.size() || (m_kinds[unit] != ColumnKind::Text && m_kinds[unit] != ColumnKind::Series))
        return std::nullopt;
    std::map<std::string_view, std::string_view> unitOf;
    for (std::size_t record = 0; record < RecordCount(); ++record) {
        if (!Number(record, valueColumn))
            continue;
        const std::string_view text = m_table.Cell(record, unit);
        if (text.empty())
            return std::nullopt;
        const std::string_view series = by ? m_table.Cell(record, *by) : std::string_view();
        const auto known = unitOf.emplace(series, text).first;
        if (known->second != text)
            return std::nullopt;
    }
    if (unitOf.empty())
        return std::nullopt;
    return unit;
}
