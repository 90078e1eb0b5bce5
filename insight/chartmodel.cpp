#include "insight/chartmodel.h"

#include "insight/civiltime.h"
#include "insight/columnfigures.h"
#include "insight/seriespoints.h"

#include <wx/intl.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>

struct ChartModel::Timed {
    wxString name;
    wxString unit;
    std::vector<SeriesPoints::Point> points; // with times, in time order
};

const ChartColour ChartModel::Upper{0xd6, 0x27, 0x28};
const ChartColour ChartModel::Lower{0x1f, 0x5f, 0xd4};

namespace {

// Colours told apart easily, none of them the limits' red or blue.
constexpr ChartColour palette[] = {
    {0x1b, 0x9e, 0x77}, {0xd9, 0x5f, 0x02}, {0x75, 0x70, 0xb3}, {0xe7, 0x29, 0x8a}, {0x66, 0xa6, 0x1e},
    {0xe6, 0xab, 0x02}, {0xa6, 0x76, 0x1d}, {0x66, 0x66, 0x66}, {0x17, 0xbe, 0xcf}, {0x8c, 0x56, 0x4b},
};

constexpr double TitleRow = 22;
constexpr double LegendRowHeight = 18;
constexpr double RightMargin = 20;
constexpr double BottomMargin = 46;
constexpr double MinPlotSide = 16;

double textWidth(const wxString& text)
{
    return static_cast<double>(text.length()) * ChartModel::CharWidth;
}

// The time steps an axis may take, in seconds.
constexpr std::int64_t timeSteps[] = {
    1,        2,        5,         10,        15,        30,        60,         120,       300,
    600,      900,      1800,      3600,      7200,      10800,     21600,      43200,     86400,
    172800,   604800,   1209600,   2592000,   7776000,   15552000,  31536000,   315360000,
};

std::int64_t floorTo(std::int64_t value, std::int64_t step)
{
    const std::int64_t quotient = value / step - ((value % step != 0 && value < 0) ? 1 : 0);
    return quotient * step;
}

} // namespace

wxString ChartColour::Hex() const
{
    return wxString::Format("#%02x%02x%02x", red, green, blue);
}

ChartColour ChartModel::SeriesColour(std::size_t index)
{
    return palette[index % std::size(palette)];
}

double ChartModel::X(std::int64_t seconds) const
{
    return m_plot.left + static_cast<double>(seconds - m_from) / static_cast<double>(m_to - m_from) * m_plot.width;
}

double ChartModel::Y(double value) const
{
    return m_plot.Bottom() - (value - m_low) / (m_high - m_low) * m_plot.height;
}

std::int64_t ChartModel::TimeAt(double x) const
{
    const double share = std::clamp((x - m_plot.left) / m_plot.width, 0.0, 1.0);
    return m_from + static_cast<std::int64_t>(std::llround(share * static_cast<double>(m_to - m_from)));
}

ChartModel ChartModel::Build(const TypedTable& table, const ColumnChoice& choice, ChartSize size)
{
    ChartModel model;
    model.m_size = size;
    const RecordTable& records = table.Records();
    if (choice.column >= table.ColumnCount()) {
        model.m_nothing = _("There is no such column.");
        return model;
    }
    const wxString name = records.Name(choice.column);
    model.m_title = name;
    const ColumnKind kind = table.Kind(choice.column);
    if (kind != ColumnKind::Number && kind != ColumnKind::RunningNumber) {
        model.m_nothing = wxString::Format(_("Column \"%s\" holds %s, not numbers: there is nothing to draw."),
                                           name, ColumnKindText(kind));
        return model;
    }
    if (!table.HasTimes()) {
        model.m_nothing = _("The records have no dates: there is nothing to draw over time.");
        return model;
    }

    const SeriesPoints points(table, choice);
    const std::optional<std::size_t> unitColumn = table.UnitColumn(choice.column, choice.by);
    std::vector<Timed> lines;
    for (const SeriesPoints::Series& series : points.All()) {
        Timed timed{series.name.empty() && !choice.by ? name : series.name, wxString(),
                    SeriesPoints::Timed(series.points)};
        if (timed.points.empty())
            continue;
        if (unitColumn)
            timed.unit = records.CellText(timed.points.front().record, *unitColumn);
        lines.push_back(std::move(timed));
    }
    if (lines.empty()) {
        model.m_nothing = choice.from || choice.to
            ? wxString::Format(_("Column \"%s\" has no values in this time range."), name)
            : wxString::Format(_("Column \"%s\" has no values with a date."), name);
        return model;
    }
    model.Measure(choice, lines);
    model.MakeValueTicks(points.Comma());
    model.LayOut(lines);
    if (model.m_plot.width < MinPlotSide || model.m_plot.height < MinPlotSide) {
        model.m_nothing = _("The chart is too small to draw.");
        return model;
    }
    model.MakeTimeTicks(table);
    // Ticks were made before the plot's place was known.
    for (Tick& tick : model.m_valueTicks)
        tick.at = model.Y(tick.at);
    for (std::size_t index = 0; index < lines.size(); ++index)
        model.Reduce(choice, lines[index], model.m_lines[index]);
    model.MakeLimits(choice, points.Comma(), points.Decimals());
    return model;
}

void ChartModel::Measure(const ColumnChoice& choice, const std::vector<Timed>& lines)
{
    std::int64_t first = std::numeric_limits<std::int64_t>::max();
    std::int64_t last = std::numeric_limits<std::int64_t>::min();
    double low = std::numeric_limits<double>::infinity();
    double high = -low;
    for (const Timed& line : lines) {
        first = std::min(first, *line.points.front().time);
        last = std::max(last, *line.points.back().time);
        for (const SeriesPoints::Point& point : line.points) {
            low = std::min(low, point.value);
            high = std::max(high, point.value);
        }
    }
    m_from = choice.from.value_or(first);
    m_to = choice.to.value_or(last);
    if (m_to <= m_from) {
        m_from -= 1800;
        m_to = m_from + 3600;
    }
    for (const std::optional<double>& limit : {choice.lower, choice.upper})
        if (limit) {
            low = std::min(low, *limit);
            high = std::max(high, *limit);
        }
    if (high <= low) {
        const double around = std::max(1.0, std::fabs(low) * 0.1);
        low -= around;
        high += around;
    }
    m_low = low;
    m_high = high;
}

void ChartModel::MakeValueTicks(bool comma)
{
    // About one tick per 50 pixels of a 600-pixel chart's plot.
    const double wanted = std::max(2.0, (m_size.height - 120) / 50.0);
    const double raw = (m_high - m_low) / wanted;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    double step = magnitude;
    for (const double factor : {1.0, 2.0, 5.0, 10.0}) {
        step = factor * magnitude;
        if (step >= raw)
            break;
    }
    m_valueStep = step;
    m_low = std::floor(m_low / step) * step;
    m_high = std::ceil(m_high / step) * step;
    const int stepDecimals = std::max(0, static_cast<int>(-std::floor(std::log10(step) + 1e-9)));
    m_valueTicks.clear();
    const auto count = static_cast<long>(std::llround((m_high - m_low) / step));
    for (long index = 0; index <= count; ++index) {
        const double value = m_low + static_cast<double>(index) * step;
        // Placed once the plot's place is known (see Build).
        m_valueTicks.push_back(Tick{value, ColumnFigures::FormatValue(value, stepDecimals, comma), wxString()});
    }
}

void ChartModel::LayOut(const std::vector<Timed>& lines)
{
    double labelWidth = 0;
    for (const Tick& tick : m_valueTicks)
        labelWidth = std::max(labelWidth, textWidth(tick.label));
    m_plot.left = std::max(48.0, labelWidth + 16);

    // A unit shared by every line goes into the title; units that differ
    // go with each line's name in the legend.
    bool oneUnit = !lines.front().unit.empty();
    for (const Timed& line : lines)
        oneUnit = oneUnit && line.unit == lines.front().unit;
    if (oneUnit)
        m_title += wxT(", ") + lines.front().unit;
    m_lines.clear();
    for (std::size_t index = 0; index < lines.size(); ++index) {
        Line line;
        line.name = lines[index].name;
        line.legend = !oneUnit && !lines[index].unit.empty() ? line.name + wxT(", ") + lines[index].unit : line.name;
        line.colour = SeriesColour(index);
        m_lines.push_back(std::move(line));
    }

    // The legend flows in rows under the title.
    const double right = m_size.width - RightMargin;
    double x = m_plot.left;
    double y = TitleRow + LegendRowHeight;
    m_legend.clear();
    for (std::size_t index = 0; index < m_lines.size(); ++index) {
        const double width = 24 + textWidth(m_lines[index].legend) + 16;
        if (x > m_plot.left && x + width > right) {
            x = m_plot.left;
            y += LegendRowHeight;
        }
        m_legend.push_back(LegendEntry{x, y, index});
        x += width;
    }
    m_plot.top = y + 14;
    m_plot.width = std::floor(right - m_plot.left);
    m_plot.height = m_size.height - BottomMargin - m_plot.top;
}

void ChartModel::MakeTimeTicks(const TypedTable& table)
{
    const std::int64_t span = m_to - m_from;
    const double wanted = std::max(1.0, m_plot.width / 110);
    std::int64_t step = timeSteps[std::size(timeSteps) - 1];
    for (const std::int64_t candidate : timeSteps)
        if (static_cast<double>(span) / static_cast<double>(candidate) <= wanted) {
            step = candidate;
            break;
        }
    const bool dates = step >= 86400;
    m_timeTicks.clear();
    std::int64_t lastDay = std::numeric_limits<std::int64_t>::min();
    for (std::int64_t at = floorTo(m_from, step); at <= m_to; at += step) {
        if (at < m_from)
            continue;
        Tick tick;
        tick.at = X(at);
        const std::int64_t day = floorTo(at, 86400) / 86400;
        if (dates) {
            tick.label = FormatDate(at, table.Dates());
        } else {
            tick.label = FormatTimeOfDay(at, step < 60);
            if (day != lastDay)
                tick.second = FormatDate(at, table.Dates());
        }
        lastDay = day;
        m_timeTicks.push_back(tick);
    }
}

void ChartModel::Reduce(const ColumnChoice& choice, const Timed& timed, Line& line) const
{
    const auto columns = static_cast<std::int64_t>(m_plot.width);
    const double span = static_cast<double>(m_to - m_from);
    const auto columnOf = [&](std::int64_t time) {
        const auto column = static_cast<std::int64_t>(static_cast<double>(time - m_from) / span * columns);
        return std::clamp<std::int64_t>(column, 0, columns - 1);
    };
    const std::vector<SeriesPoints::Point>& points = timed.points;
    const auto vertex = [&](std::size_t index) {
        return Vertex{X(*points[index].time), Y(points[index].value), points[index].record};
    };
    std::size_t begin = 0;
    while (begin < points.size()) {
        const std::int64_t column = columnOf(*points[begin].time);
        std::size_t end = begin;
        std::size_t lowest = begin;
        std::size_t highest = begin;
        while (end < points.size() && columnOf(*points[end].time) == column) {
            if (points[end].value < points[lowest].value)
                lowest = end;
            if (points[end].value > points[highest].value)
                highest = end;
            ++end;
        }
        // The column's first, lowest, highest and last value, in the order
        // they came.
        std::size_t kept[] = {begin, lowest, highest, end - 1};
        std::sort(std::begin(kept), std::end(kept));
        const std::size_t* keptEnd = std::unique(std::begin(kept), std::end(kept));
        for (const std::size_t* index = std::begin(kept); index != keptEnd; ++index)
            line.vertices.push_back(vertex(*index));
        if (choice.upper && points[highest].value > *choice.upper)
            line.above.push_back(vertex(highest));
        if (choice.lower && points[lowest].value < *choice.lower)
            line.below.push_back(vertex(lowest));
        begin = end;
    }
}

void ChartModel::MakeLimits(const ColumnChoice& choice, bool comma, int decimals)
{
    m_limits.clear();
    if (choice.lower)
        m_limits.push_back(Limit{Y(*choice.lower), *choice.lower, false,
                                 ColumnFigures::FormatValue(*choice.lower, decimals, comma), Lower});
    if (choice.upper)
        m_limits.push_back(Limit{Y(*choice.upper), *choice.upper, true,
                                 ColumnFigures::FormatValue(*choice.upper, decimals, comma), Upper});
}

std::optional<ChartModel::Hit> ChartModel::Nearest(double x, double y, double within) const
{
    std::optional<Hit> nearest;
    double best = within * within;
    for (std::size_t index = 0; index < m_lines.size(); ++index)
        for (const Vertex& vertex : m_lines[index].vertices) {
            const double distance = (vertex.x - x) * (vertex.x - x) + (vertex.y - y) * (vertex.y - y);
            if (distance <= best) {
                best = distance;
                nearest = Hit{index, vertex};
            }
        }
    return nearest;
}
