#include "insight/seriespoints.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

SeriesPoints::SeriesPoints(const TypedTable& table, const ColumnChoice& choice)
{
    const RecordTable& records = table.Records();
    const bool ranged = choice.from || choice.to;
    std::unordered_map<std::string_view, std::size_t> seriesIndex;
    bool separatorSeen = false;
    for (std::size_t record = 0; record < table.RecordCount(); ++record) {
        const std::optional<CellNumber> number = table.Number(record, choice.column);
        if (!number)
            continue;
        const std::optional<std::int64_t> time = table.Time(record);
        if (ranged && (!time || (choice.from && *time < *choice.from) || (choice.to && *time > *choice.to)))
            continue;
        m_decimals = std::max(m_decimals, number->decimals);
        if (!number->integer && !separatorSeen) {
            m_comma = number->comma;
            separatorSeen = true;
        }
        const Point point{record, time, number->value, number->decimals};
        m_whole.push_back(point);
        const std::string_view name = choice.by ? records.Cell(record, *choice.by) : std::string_view();
        auto [known, added] = seriesIndex.emplace(name, m_series.size());
        if (added)
            m_series.push_back(Series{wxString::FromUTF8(name.data(), name.size()), {}});
        m_series[known->second].points.push_back(point);
    }
}

std::vector<SeriesPoints::Point> SeriesPoints::Timed(const std::vector<Point>& points)
{
    std::vector<Point> timed;
    timed.reserve(points.size());
    std::copy_if(points.begin(), points.end(), std::back_inserter(timed),
                 [](const Point& point) { return point.time.has_value(); });
    const auto earlier = [](const Point& a, const Point& b) { return *a.time < *b.time; };
    if (!std::is_sorted(timed.begin(), timed.end(), earlier))
        std::stable_sort(timed.begin(), timed.end(), earlier);
    return timed;
}
