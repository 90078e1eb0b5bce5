#include "insight/readingpart.h"

#include "insight/cellparsing.h"
#include "insight/recordtable.h"
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
    for (std::size_t at = 0; at < lines.size();) {
        const std::size_t header = at++;
        while (at < lines.size() && !lines[at].empty())
            ++at;
        const std::size_t end = at++;
        ++number;
        if (table && *table != number)
            continue;
        const std::vector<wxString> own(lines.begin() + static_cast<std::ptrdiff_t>(header + 1),
                                        lines.begin() + static_cast<std::ptrdiff_t>(end));
        const TypedTable typed(RecordTable(number, lines[header], own));
        const std::optional<std::size_t> seriesColumn = typed.FirstSeries();
        const std::string seriesName = series ? std::string(series->utf8_str()) : std::string();
        std::vector<std::size_t> kept;
        for (std::size_t record = 0; record < own.size(); ++record) {
            if (since || until) {
                const std::optional<std::int64_t> time = typed.Time(record);
                if (!time || (since && *time < *since) || (until && *time > *until))
                    continue;
            }
            if (series && (!seriesColumn || typed.Records().Cell(record, *seriesColumn) != seriesName))
                continue;
            kept.push_back(record);
        }
        if (kept.empty() && !table)
            continue;
        part.push_back(lines[header]);
        for (const std::size_t record : kept)
            part.push_back(own[record]);
        part.emplace_back();
        records += kept.size();
    }
    return part;
}
