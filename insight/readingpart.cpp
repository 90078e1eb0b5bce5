#include "insight/readingpart.h"

#include "insight/cellparsing.h"
#include "insight/reportlinetables.h"
#include "insight/typedtable.h"

#include <string>

std::optional<std::int64_t> ReadingPart::ParseWhen(const wxString& text, bool endOfDay)
{
    const std::string when(wxString(text).Trim(true).Trim(false).utf8_str());
    if (const auto both = ParseDateTime(when))
        return both->seconds;
    if (const auto date = ParseDate(when))
        return date->days * 86400 + (endOfDay ? 86399 : 0);
    return std::nullopt;
}

ReportLines ReadingPart::Select(const ReportLines& lines, std::size_t& records) const
{
    records = 0;
    if (Whole()) {
        for (const wxString& line : lines)
            records += line.empty() ? 0 : 1;
        return lines;
    }
    ReportLines part;
    unsigned number = 0;
    for (const ReportLineTables::Span& span : ReportLineTables::Spans(lines)) {
        ++number;
        if (table && *table != number)
            continue;
        const std::vector<std::size_t> kept = Records(TypedTable(ReportLineTables::Table(lines, span, number)));
        if (kept.empty() && !table)
            continue;
        part.push_back(lines[span.header]);
        for (const std::size_t record : kept)
            part.push_back(lines[span.header + 1 + record]);
        part.emplace_back();
        records += kept.size();
    }
    return part;
}

std::vector<std::size_t> ReadingPart::Records(const TypedTable& typed) const
{
    const std::optional<std::size_t> seriesColumn = typed.FirstSeries();
    const std::string seriesName = series ? std::string(series->utf8_str()) : std::string();
    std::vector<std::size_t> kept;
    for (std::size_t record = 0; record < typed.RecordCount(); ++record) {
        if (since || until) {
            const std::optional<std::int64_t> time = typed.Time(record);
            if (!time || (since && *time < *since) || (until && *time > *until))
                continue;
        }
        if (series && (!seriesColumn || typed.Records().Cell(record, *seriesColumn) != seriesName))
            continue;
        kept.push_back(record);
    }
    return kept;
}
