#include "sampletables.h"

#include <wx/ffile.h>

#include <stdexcept>

std::vector<RecordTable> SampleTables(const char* path)
{
    wxFFile file(path, "rb");
    wxString text;
    if (!file.IsOpened() || !file.ReadAll(&text, wxConvUTF8))
        throw std::runtime_error(std::string("cannot read ") + path);
    std::vector<RecordTable> tables;
    std::vector<wxString> lines;
    const auto flush = [&] {
        if (!lines.empty())
            tables.push_back(TableOf(lines, static_cast<unsigned>(tables.size() + 1)));
        lines.clear();
    };
    for (wxString line : wxSplit(text, '\n', '\0')) {
        line.Replace("\r", "");
        if (line.empty())
            flush();
        else
            lines.push_back(line);
    }
    flush();
    return tables;
}

std::vector<wxString> SampleLines(const char* path)
{
    std::vector<wxString> lines;
    for (const RecordTable& table : SampleTables(path)) {
        wxString header;
        for (std::size_t column = 0; column < table.ColumnCount(); ++column)
            header += (column ? "\t" : "") + table.Heading(column);
        lines.push_back(header);
        for (std::size_t record = 0; record < table.RecordCount(); ++record)
            lines.push_back(table.RecordText(record));
        lines.emplace_back();
    }
    return lines;
}

RecordTable TableOf(const std::vector<wxString>& lines, unsigned number)
{
    return RecordTable(number, lines.front(), std::vector<wxString>(lines.begin() + 1, lines.end()));
}
