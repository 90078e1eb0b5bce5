#include "archive/readingrows.h"

#include <wx/datetime.h>
#include <wx/intl.h>

wxString ReadingRows::Heading(Column column)
{
    switch (column) {
    case Number: return _("No.");
    case Started: return _("Started");
    case Station: return _("Station");
    case Port: return _("Port");
    case Tables: return _("Tables");
    case Records: return _("Records");
    case Ended:
    case ColumnCount:
    default: return _("Ended");
    }
}

bool ReadingRows::IsNumeric(Column column) { return column == Number || column == Tables || column == Records; }

std::uint32_t ReadingRows::Intern(const wxString& text)
{
    const auto found = m_index.find(text);
    if (found != m_index.end())
        return found->second;
    const auto index = static_cast<std::uint32_t>(m_texts.size());
    m_texts.push_back(text);
    m_index.emplace(text, index);
    return index;
}

void ReadingRows::Add(const ReadingSummary& reading)
{
    Row row;
    row.id = reading.id;
    row.started = reading.started.IsValid() ? reading.started.GetValue().GetValue() : 0;
    row.ended = reading.ended.IsValid() ? reading.ended.GetValue().GetValue() : -1;
    row.records = reading.recordCount;
    row.tables = reading.tableCount;
    row.end = reading.end;
    row.station = Intern(reading.facts.station);
    row.port = Intern(reading.facts.port);
    row.device = Intern(reading.facts.device);
    row.error = Intern(reading.error);
    m_rows.push_back(row);
}

wxString ReadingRows::Cell(std::size_t index, Column column) const
{
    const Row& row = m_rows.at(index);
    switch (column) {
    case Number: return wxString::Format("%lld", static_cast<long long>(row.id));
    case Started: return wxDateTime(wxLongLong(row.started)).Format("%d.%m.%Y %H:%M:%S");
    case Station: return m_texts[row.station];
    case Port:
        return row.port == row.device ? m_texts[row.port] : m_texts[row.port] + " (" + m_texts[row.device] + ")";
    case Tables: return wxString::Format("%u", row.tables);
    case Records: return wxString::Format("%lld", static_cast<long long>(row.records));
    case Ended:
    case ColumnCount:
    default: {
        const wxString& error = m_texts[row.error];
        return error.empty() ? ReadingEndText(row.end) : ReadingEndText(row.end) + ": " + error;
    }
    }
}

ReadingSummary ReadingRows::Summary(std::size_t index) const
{
    const Row& row = m_rows.at(index);
    ReadingSummary reading;
    reading.id = row.id;
    reading.started = wxDateTime(wxLongLong(row.started));
    if (row.ended >= 0)
        reading.ended = wxDateTime(wxLongLong(row.ended));
    reading.recordCount = row.records;
    reading.tableCount = row.tables;
    reading.end = row.end;
    reading.facts.station = m_texts[row.station];
    reading.facts.port = m_texts[row.port];
    reading.facts.device = m_texts[row.device];
    reading.error = m_texts[row.error];
    return reading;
}

namespace {

template <class Value>
int Order(const Value& a, const Value& b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

} // namespace

int ReadingRows::Compare(std::size_t a, std::size_t b, Column column) const
{
    const Row& x = m_rows.at(a);
    const Row& y = m_rows.at(b);
    switch (column) {
    case Number: return Order(x.id, y.id);
    case Started: return Order(x.started, y.started);
    case Tables: return Order(x.tables, y.tables);
    case Records: return Order(x.records, y.records);
    case Station: return x.station == y.station ? 0 : wxStrcoll(m_texts[x.station], m_texts[y.station]);
    case Port:
    case Ended:
    case ColumnCount:
    default: return wxStrcoll(Cell(a, column), Cell(b, column));
    }
}

bool ReadingRows::Matches(std::size_t index, const ReadingFilter& filter) const
{
    const Row& row = m_rows.at(index);
    return (filter.station.empty() || m_texts[row.station] == filter.station)
        && (filter.port.empty() || m_texts[row.port] == filter.port)
        && (!filter.since.IsValid() || row.started >= filter.since.GetValue().GetValue());
}
