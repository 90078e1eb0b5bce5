#ifndef MORVA_INSIGHT_RECORDTABLE_H
#define MORVA_INSIGHT_RECORDTABLE_H

#include <wx/string.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One table of a reading cut into cells: the header's and each record's
// tab-separated cells, held as UTF-8 in one buffer, so that a table of
// 65,535 records costs little more than its text.
class RecordTable {
public:
    RecordTable() = default;
    // `number` is the table's number in the reading, counted from 1.
    RecordTable(unsigned number, const wxString& header, const std::vector<wxString>& records);

    unsigned Number() const { return m_number; }
    // The header's cells or the widest record's, whichever are more.
    std::size_t ColumnCount() const { return m_columnCount; }
    std::size_t RecordCount() const { return m_recordCells.empty() ? 0 : m_recordCells.size() - 1; }

    // The header's cell of `column`, trimmed; empty where it has none.
    wxString Heading(std::size_t column) const;
    // The heading, or "Column N" for a column without one.
    wxString Name(std::size_t column) const;
    // A record's cell as the unit wrote it, trimmed; empty where the record
    // has fewer cells.
    std::string_view Cell(std::size_t record, std::size_t column) const;
    wxString CellText(std::size_t record, std::size_t column) const;
    // The record as the unit wrote it, cells separated by tabs.
    wxString RecordText(std::size_t record) const;

    // The column an operator names: its heading (as written, or ignoring
    // case) or its number counted from 1.
    std::optional<std::size_t> FindColumn(const wxString& nameOrNumber) const;

private:
    void AddRecord(const std::string& text);

    unsigned m_number = 0;
    std::size_t m_columnCount = 0;
    std::vector<wxString> m_headings;
    std::string m_text;
    // Where each cell begins in m_text, and one past each record's end.
    std::vector<std::uint32_t> m_cellStart;
    // Where each record's cells begin in m_cellStart, and one past the last.
    std::vector<std::uint32_t> m_recordCells;
};

#endif
