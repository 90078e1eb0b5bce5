#include "buslib/model/statustable.h"

#include "buslib/serial/error.h"

#include <wx/intl.h>

#include <algorithm>

namespace morva_velox {

StatusTable::StatusTable(const Entries& entries)
    : m_entries(entries)
    , m_count(static_cast<std::int32_t>(std::min<std::size_t>(entries.size(), MaxCount)))
{
}

wxString StatusTable::statusText(std::int32_t code) const
{
    return statusEntry(code).text();
}

StatusMessage StatusTable::statusEntry(std::int32_t code) const
{
    const auto found = m_entries.find(code);
    return found != m_entries.end() ? found->second : StatusMessage();
}

StatusTable defaultStatusTable()
{
    struct Row {
        std::int32_t code;
        const char* text;
        int kind;
    };
    static const Row rows[] = {
        {1, wxTRANSLATE("Shortcut circuit"), MessageError},
        {2, wxTRANSLATE("Block is absence"), MessageError},
        {3, wxTRANSLATE("Block is broken"), MessageError},
        {4, wxTRANSLATE("Memory is broken"), MessageError},
        {5, wxTRANSLATE("Unknown block type"), MessageError},
        {6, wxTRANSLATE("Threshold is exceeded"), MessageThreshold},
        {7, wxTRANSLATE("Preliminary threshold is exceeded"), MessageThreshold},
        {8, wxTRANSLATE("Threshold is reduced"), MessageThreshold},
        {9, wxTRANSLATE("Block sensitivity is exceeded"), MessageThreshold},
        {10, wxTRANSLATE("Block isn't ready"), MessageInformation},
        {11, wxTRANSLATE("Params have been changed"), MessageInformation},
    };
    StatusTable::Entries entries;
    for (const Row& row : rows)
        entries.emplace(row.code, StatusMessage(wxGetTranslation(row.text, CatalogName), row.kind));
    return StatusTable(entries);
}

int defaultMessageKind(std::int32_t code)
{
    if (code <= 5)
        return MessageError;
    if (code <= 9)
        return MessageThreshold;
    return MessageInformation;
}

} // namespace morva_velox
