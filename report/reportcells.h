#ifndef MORVA_REPORT_REPORTCELLS_H
#define MORVA_REPORT_REPORTCELLS_H

#include <wx/string.h>

#include <algorithm>
#include <cstddef>
#include <string_view>
#include <type_traits>

// The report writers read the report lines' wide characters in place.
static_assert(wxUSE_UNICODE_WCHAR, "report lines are expected to hold wchar_t text");

// Wide text in place: a report line or one of its cells.
using TextView = std::wstring_view;

inline TextView ViewOf(const wxString& text)
{
    return TextView(text.wc_str(), text.length());
}

inline bool IsAscii(wchar_t c)
{
    return static_cast<std::make_unsigned_t<wchar_t>>(c) < 0x80;
}

// The number of cells of a line: a line with k tabs has k + 1 cells.
inline std::size_t CellCount(TextView line)
{
    return static_cast<std::size_t>(std::count(line.begin(), line.end(), L'\t')) + 1;
}

// Calls `function` with each cell of the line in order: the text before the
// first tab, then the text between tabs, then the text after the last one.
template <class Function>
void ForEachCell(TextView line, Function&& function)
{
    for (;;) {
        const std::size_t tab = line.find(L'\t');
        function(line.substr(0, tab));
        if (tab == TextView::npos)
            return;
        line.remove_prefix(tab + 1);
    }
}

#endif
