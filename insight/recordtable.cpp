#include "insight/recordtable.h"

#include <wx/intl.h>

#include <limits>
#include <stdexcept>

namespace {

std::string_view trimmed(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::vector<wxString> headerCells(const wxString& header)
{
    std::vector<wxString> cells;
    if (header.empty())
        return cells;
    wxString rest = header;
    for (;;) {
        const int tab = rest.Find(wxT('\t'));
        wxString cell = tab == wxNOT_FOUND ? rest : rest.Left(static_cast<std::size_t>(tab));
        cells.push_back(cell.Trim(true).Trim(false));
        if (tab == wxNOT_FOUND)
            break;
        rest = rest.Mid(static_cast<std::size_t>(tab) + 1);
    }
    return cells;
}

std::uint32_t offset(std::size_t at)
{
    if (at > std::numeric_limits<std::uint32_t>::max())
        throw std::length_error("table too large");
    return static_cast<std::uint32_t>(at);
}

} // namespace

RecordTable::RecordTable(unsigned number, const wxString& header, const std::vector<wxString>& records)
    : m_number(number), m_headings(headerCells(header))
{
    m_columnCount = m_headings.size();
    m_recordCells.reserve(records.size() + 1);
    m_recordCells.push_back(0);
    for (const wxString& record : records) {
        const wxScopedCharBuffer utf8 = record.utf8_str();
        AddRecord(std::string(utf8.data(), utf8.length()));
    }
    m_text.shrink_to_fit();
    m_cellStart.shrink_to_fit();
}

void RecordTable::AddRecord(const std::string& text)
{
    const std::size_t base = m_text.size();
    m_text += text;
    std::size_t cells = 0;
    std::size_t begin = 0;
    for (;;) {
        m_cellStart.push_back(offset(base + begin));
        ++cells;
        const std::size_t tab = text.find('\t', begin);
        if (tab == std::string::npos)
            break;
        begin = tab + 1;
    }
    // The end of the last cell, as if a tab followed it.
    m_cellStart.push_back(offset(m_text.size() + 1));
    m_recordCells.push_back(offset(m_cellStart.size()));
    if (cells > m_columnCount)
        m_columnCount = cells;
}

wxString RecordTable::Heading(std::size_t column) const
{
    return column < m_headings.size() ? m_headings[column] : wxString();
}

wxString RecordTable::Name(std::size_t column) const
{
    const wxString heading = Heading(column);
    return heading.empty() ? wxString::Format(_("Column %lu"), static_cast<unsigned long>(column + 1)) : heading;
}

std::string_view RecordTable::Cell(std::size_t record, std::size_t column) const
{
    const std::size_t first = m_recordCells[record];
    const std::size_t cells = m_recordCells[record + 1] - first - 1;
    if (column >= cells)
        return {};
    const std::size_t begin = m_cellStart[first + column];
    const std::size_t end = m_cellStart[first + column + 1] - 1;
    return trimmed(std::string_view(m_text).substr(begin, end - begin));
}

wxString RecordTable::CellText(std::size_t record, std::size_t column) const
{
    const std::string_view cell = Cell(record, column);
    return wxString::FromUTF8(cell.data(), cell.size());
}

wxString RecordTable::RecordText(std::size_t record) const
{
    const std::size_t first = m_recordCells[record];
    const std::size_t begin = m_cellStart[first];
    const std::size_t end = m_cellStart[m_recordCells[record + 1] - 1] - 1;
    return wxString::FromUTF8(m_text.data() + begin, end - begin);
}

std::optional<std::size_t> RecordTable::FindColumn(const wxString& nameOrNumber) const
{
    const wxString wanted = wxString(nameOrNumber).Trim(true).Trim(false);
    if (wanted.empty())
        return std::nullopt;
    for (std::size_t column = 0; column < m_headings.size(); ++column)
        if (m_headings[column] == wanted)
            return column;
    for (std::size_t column = 0; column < m_headings.size(); ++column)
        if (m_headings[column].CmpNoCase(wanted) == 0)
            return column;
    unsigned long number = 0;
    if (wanted.ToULong(&number) && number >= 1 && number <= m_columnCount)
        return static_cast<std::size_t>(number - 1);
    return std::nullopt;
}
