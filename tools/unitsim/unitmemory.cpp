#include "tools/unitsim/unitmemory.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

namespace morva_sim {

namespace {

constexpr wxUint32 ByteOrderMark = 0xFEFF;

// The text split at line feeds, each line without its line end.
std::vector<wxString> splitLines(const wxString& text)
{
    std::vector<wxString> lines;
    wxString line;
    for (const wxUniChar c : text) {
        if (c == '\n') {
            if (line.EndsWith("\r"))
                line.RemoveLast();
            lines.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    if (line.EndsWith("\r"))
        line.RemoveLast();
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

} // namespace

UnitMemory UnitMemory::fromText(const wxString& text)
{
    wxString body = text;
    if (!body.empty() && body[0].GetValue() == ByteOrderMark)
        body.erase(0, 1);

    UnitMemory memory;
    bool inTable = false;
    for (const wxString& line : splitLines(body)) {
        if (!inTable) {
            if (line.empty())
                continue;
            memory.addTable(line);
            inTable = true;
        } else if (line.empty()) {
            inTable = false;
        } else {
            memory.m_tables.back().records.push_back(line);
        }
    }
    return memory;
}

UnitMemory UnitMemory::loadFromFile(const wxString& path)
{
    std::ifstream in(path.fn_str(), std::ios::binary);
    if (!in)
        throw std::runtime_error("Cannot open the memory file \"" + path.utf8_string()
                                 + "\": " + std::strerror(errno));
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad())
        throw std::runtime_error("Cannot read the memory file \"" + path.utf8_string() + "\"");
    const wxString text = wxString::FromUTF8(bytes.data(), bytes.size());
    if (text.empty() && !bytes.empty())
        throw std::runtime_error("The memory file \"" + path.utf8_string()
                                 + "\" is not valid UTF-8 text");
    return fromText(text);
}

void UnitMemory::addTable(const wxString& header, std::vector<wxString> records)
{
    m_tables.push_back(Table{header, std::move(records)});
}

void UnitMemory::clearRecords()
{
    for (Table& table : m_tables)
        table.records.clear();
}

wxArrayString UnitMemory::toReportLines() const
{
    wxArrayString lines;
    for (const Table& table : m_tables) {
        lines.Add(table.header);
        for (const wxString& record : table.records)
            lines.Add(record);
        lines.Add(wxString());
    }
    return lines;
}

} // namespace morva_sim
