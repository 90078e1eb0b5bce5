#include "insight/columnfigures.h"

#include <algorithm>
#include <charconv>

wxString ColumnFigures::FormatValue(double value, int decimals, bool comma)
{
    char text[64];
    const auto [end, error] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    if (error != std::errc())
        return wxString();
    std::string written(text, end);
    if (written == "-0" || written.find_first_not_of("-0.") == std::string::npos)
        written.erase(0, written.front() == '-' ? 1 : 0);
    if (comma)
        for (char& c : written)
            if (c == '.')
                c = ',';
    return wxString::FromUTF8(written);
}

Figures ColumnFigures::Figure(const TypedTable& table, const ColumnChoice& choice, const SeriesPoints& points,
                              const std::vector<SeriesPoints::Point>& values)
{
    Figures figures;
    figures.count = values.size();
    if (choice.HasLimits())
        figures.outside = 0;
    if (values.empty())
        return figures;
    const RecordTable& records = table.Records();
    const SeriesPoints::Point* lowest = &values.front();
    const SeriesPoints::Point* highest = &values.front();
    double sum = 0;
    int decimals = 0;
    for (const SeriesPoints::Point& point : values) {
        sum += point.value;
        decimals = std::max(decimals, point.decimals);
        if (point.value < lowest->value)
            lowest = &point;
        if (point.value > highest->value)
            highest = &point;
        if (choice.Outside(point.value))
            ++*figures.outside;
    }
    figures.minimumValue = lowest->value;
    figures.maximumValue = highest->value;
    figures.meanValue = sum / static_cast<double>(values.size());
    figures.minimum = records.CellText(lowest->record, choice.column);
    figures.maximum = records.CellText(highest->record, choice.column);
    figures.minimumAt = table.TimeText(lowest->record);
    figures.maximumAt = table.TimeText(highest->record);
    figures.mean = FormatValue(figures.meanValue, decimals + 1, points.Comma());

    const std::vector<SeriesPoints::Point> timed = SeriesPoints::Timed(values);
    if (!timed.empty()) {
        figures.first = table.FormatTime(*timed.front().time);
        figures.last = table.FormatTime(*timed.back().time);
    }
    for (std::size_t at = 0; at + 1 < timed.size(); ++at)
        if (choice.Outside(timed[at].value))
            figures.secondsOutside += *timed[at + 1].time - *timed[at].time;
    return figures;
}

std::vector<Figures> ColumnFigures::Of(const TypedTable& table, const ColumnChoice& choice)
{
    const SeriesPoints points(table, choice);
    std::vector<Figures> all;
    if (choice.by) {
        for (const SeriesPoints::Series& series : points.All()) {
            all.push_back(Figure(table, choice, points, series.points));
            all.back().series = series.name;
        }
    }
    all.push_back(Figure(table, choice, points, points.Whole()));
    all.back().whole = true;
    return all;
}
