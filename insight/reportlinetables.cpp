#include "insight/reportlinetables.h"

std::vector<ReportLineTables::Span> ReportLineTables::Spans(const ReportLines& lines)
{
    std::vector<Span> spans;
    for (std::size_t at = 0; at < lines.size();) {
        const std::size_t header = at++;
        while (at < lines.size() && !lines[at].empty())
            ++at;
        spans.push_back(Span{header, at});
        ++at; // the empty line after the table
    }
    return spans;
}

RecordTable ReportLineTables::Table(const ReportLines& lines, const Span& span, unsigned number)
{
    return RecordTable(number, lines[span.header],
                       std::vector<wxString>(lines.begin() + static_cast<std::ptrdiff_t>(span.header + 1),
                                             lines.begin() + static_cast<std::ptrdiff_t>(span.end)));
}
