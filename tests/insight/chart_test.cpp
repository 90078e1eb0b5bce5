// The chart's model and the SVG written from it, read back.

#include "insight/chartmodel.h"
#include "insight/civiltime.h"
#include "insight/svgchart.h"
#include "sampletables.h"

#include <boost/property_tree/ptree.hpp>
#include <boost/property_tree/xml_parser.hpp>

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <sstream>

namespace {

namespace pt = boost::property_tree;

// `count` records a minute apart, cycling through three channels with a
// slow wave of values, and one record of 1000 among them.
TypedTable waveTable(int count, int spikeAt)
{
    std::vector<wxString> lines{"No.\tDate\tTime\tChannel\tValue"};
    const std::int64_t start = DaysFromCivil(2024, 1, 1) * 86400;
    for (int i = 0; i < count; ++i) {
        const std::int64_t at = start + i * 60;
        const double value = i == spikeAt ? 1000 : 20 + 10 * std::sin(i / 500.0) + (i % 7) * 0.1;
        lines.push_back(wxString::Format("%d\t%s\t%s\tK%d\t%s", i + 1, FormatDate(at, DateStyle()),
                                         FormatTimeOfDay(at, true), i % 3 + 1, wxString::FromCDouble(value, 1)));
    }
    return TypedTable(TableOf(lines));
}

pt::ptree readSvg(const std::string& svg)
{
    std::istringstream in(svg);
    pt::ptree tree;
    pt::read_xml(in, tree); // throws on a document that is not well-formed
    return tree.get_child("svg");
}

struct PathPoint {
    double x;
    double y;
};

std::vector<PathPoint> pathPoints(const std::string& d)
{
    std::vector<PathPoint> points;
    std::istringstream in(d);
    char command = 0;
    PathPoint point{};
    while (in >> command && (command == 'M' || command == 'L') && in >> point.x >> point.y)
        points.push_back(point);
    return points;
}

std::vector<pt::ptree> childrenNamed(const pt::ptree& tree, const std::string& name, const std::string& cls)
{
    std::vector<pt::ptree> found;
    for (const auto& [key, child] : tree)
        if (key == name && child.get("<xmlattr>.class", "") == cls)
            found.push_back(child);
    return found;
}

TEST(SvgChart, WellFormedOfTheSizeAskedWithOneLinePerSeries)
{
    const TypedTable table = waveTable(3000, 1234);
    ColumnChoice choice;
    choice.column = 4;
    choice.by = 3;
    choice.upper = 500;
    const ChartModel chart = ChartModel::Build(table, choice, ChartSize{800, 400});
    ASSERT_TRUE(chart.Nothing().empty()) << chart.Nothing();
    const pt::ptree svg = readSvg(SvgChart::Write(chart));
    EXPECT_EQ(svg.get<std::string>("<xmlattr>.width"), "800");
    EXPECT_EQ(svg.get<std::string>("<xmlattr>.height"), "400");
    const std::vector<pt::ptree> paths = childrenNamed(svg, "path", "series");
    ASSERT_EQ(paths.size(), 3u);
    std::set<std::string> colours;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        EXPECT_EQ(paths[i].get<std::string>("<xmlattr>.data-series"), "K" + std::to_string(i + 1));
        colours.insert(paths[i].get<std::string>("<xmlattr>.stroke"));
    }
    EXPECT_EQ(colours.size(), 3u) << "each series its own colour";
    EXPECT_EQ(childrenNamed(svg, "line", "upper").size(), 1u);
    // The spike is K2's (1234 % 3 == 1), and the only value above the limit.
    const std::vector<pt::ptree> above = childrenNamed(svg, "g", "above");
    ASSERT_EQ(above.size(), 1u);
    EXPECT_EQ(above[0].count("circle"), 1u);
}

TEST(SvgChart, EachPixelColumnKeepsItsLowestAndHighestValue)
{
    const int count = 65535;
    const int spikeAt = 40000;
    const TypedTable table = waveTable(count, spikeAt);
    ColumnChoice choice;
    choice.column = 4;
    choice.by = 3;
    const ChartModel chart = ChartModel::Build(table, choice, ChartSize{1200, 600});
    ASSERT_TRUE(chart.Nothing().empty()) << chart.Nothing();
    const std::string document = SvgChart::Write(chart);
    EXPECT_LT(document.size(), 1000000u) << "a point per pixel column's extremes, not per record";
    const pt::ptree svg = readSvg(document);
    const std::vector<pt::ptree> paths = childrenNamed(svg, "path", "series");
    ASSERT_EQ(paths.size(), 3u);

    const ChartModel::Rect plot = chart.Plot();
    for (std::size_t series = 0; series < 3; ++series) {
        SCOPED_TRACE(series);
        const std::vector<PathPoint> points = pathPoints(paths[series].get<std::string>("<xmlattr>.d"));
        EXPECT_LE(points.size(), 4 * static_cast<std::size_t>(plot.width));
        // Per pixel column, the y of the records' highest and lowest value...
        std::map<long, std::pair<double, double>> records;
        for (int i = static_cast<int>(series); i < count; i += 3) {
            const double y = chart.Y(table.Number(i, 4)->value);
            const long column = static_cast<long>((*table.Time(i) - chart.From()) * static_cast<std::int64_t>(plot.width) /
                                                  (chart.To() - chart.From()));
            const long clamped = std::min(column, static_cast<long>(plot.width) - 1);
            auto [it, added] = records.emplace(clamped, std::make_pair(y, y));
            it->second.first = std::min(it->second.first, y);
            it->second.second = std::max(it->second.second, y);
        }
        // ... is a point of the path within that column (its coordinates
        // written to a tenth of a pixel).
        std::size_t next = 0;
        for (const auto& [column, extremes] : records) {
            const double left = plot.left + column - 0.051;
            const double right = plot.left + column + 1.051;
            while (next < points.size() && points[next].x < left)
                ++next;
            bool top = false;
            bool bottom = false;
            for (std::size_t at = next; at < points.size() && points[at].x <= right; ++at) {
                top = top || std::fabs(points[at].y - extremes.first) < 0.051;
                bottom = bottom || std::fabs(points[at].y - extremes.second) < 0.051;
            }
            EXPECT_TRUE(top && bottom) << "pixel column " << column;
        }
    }
    // The one record of 1000 reaches the top of K2's line.
    const std::vector<PathPoint> k2 = pathPoints(paths[1].get<std::string>("<xmlattr>.d"));
    const double top = std::min_element(k2.begin(), k2.end(), [](auto a, auto b) { return a.y < b.y; })->y;
    EXPECT_NEAR(top, chart.Y(1000), 0.051);
}

TEST(SvgChart, TheUnitsTextIsEscaped)
{
    const TypedTable table(TableOf({"Date\tTime\tCh\tV <&>", "01.02.2024\t10:00\t<script>&\t1",
                                     "01.02.2024\t11:00\t<script>&\t2", "01.02.2024\t12:00\tb\"'\t3",
                                     "01.02.2024\t13:00\tb\"'\t4"}));
    ColumnChoice choice;
    choice.column = 3;
    choice.by = 2;
    const std::string document = SvgChart::Write(ChartModel::Build(table, choice, ChartSize{600, 300}));
    EXPECT_EQ(document.find("<script>"), std::string::npos);
    const pt::ptree svg = readSvg(document);
    EXPECT_EQ(svg.get<std::string>("title"), "V <&>");
    EXPECT_EQ(childrenNamed(svg, "path", "series")[0].get<std::string>("<xmlattr>.data-series"), "<script>&");
}

struct NothingCase {
    const char* name;
    std::vector<wxString> lines;
    std::size_t column;
    const char* reason;
};

TEST(ChartModel, SaysWhyItHasNothingToDraw)
{
    const NothingCase cases[] = {
        {"no dates", {"No.\tV", "1\t2.5", "2\t3.5"}, 1, "The records have no dates"},
        {"a text column", {"Date\tNote", "01.02.2024\topened", "02.02.2024\tclosed"}, 1, "holds text, not numbers"},
        {"no values", {"Date\tV\tN", "01.02.2024\t\tx", "02.02.2024\t\ty", "03.02.2024\t1\tz"}, 1, ""},
    };
    for (const NothingCase& c : cases) {
        SCOPED_TRACE(c.name);
        TypedTable table(TableOf(c.lines));
        ColumnChoice choice;
        choice.column = c.column;
        if (std::string(c.name) == "no values") {
            choice.from = *table.Time(0);
            choice.to = *table.Time(1);
        }
        const ChartModel chart = ChartModel::Build(table, choice);
        EXPECT_TRUE(chart.Lines().empty());
        EXPECT_NE(chart.Nothing().Find(c.reason), wxNOT_FOUND) << chart.Nothing();
        EXPECT_NE(SvgChart::Write(chart).find("class=\"nothing\""), std::string::npos);
    }
}

TEST(ChartModel, AxesAPersonReads)
{
    // Two hours: times of day, the date under the first.
    const TypedTable hours(TableOf({"Date\tTime\tV", "14.03.2024\t08:00\t1", "14.03.2024\t10:00\t2"}));
    ColumnChoice choice;
    choice.column = 2;
    const ChartModel short_ = ChartModel::Build(hours, choice);
    ASSERT_GE(short_.TimeTicks().size(), 3u);
    EXPECT_EQ(short_.TimeTicks().front().label, "08:00");
    EXPECT_EQ(short_.TimeTicks().front().second, "14.03.2024");
    EXPECT_TRUE(short_.TimeTicks()[1].second.empty());

    // Weeks: dates as the unit writes them.
    const TypedTable weeks(TableOf({"Date\tV", "2024-03-01\t1", "2024-04-15\t2"}));
    choice.column = 1;
    const ChartModel long_ = ChartModel::Build(weeks, choice);
    ASSERT_GE(long_.TimeTicks().size(), 2u);
    for (const ChartModel::Tick& tick : long_.TimeTicks())
        EXPECT_TRUE(tick.label.StartsWith("2024-0")) << tick.label;
    // Value ticks rise upwards and span the values.
    const std::vector<ChartModel::Tick>& values = long_.ValueTicks();
    EXPECT_GT(values.front().at, values.back().at);
    EXPECT_LE(long_.Y(1), values.front().at);
    EXPECT_GE(long_.Y(2), values.back().at);
}

TEST(ChartModel, UnitsFromAUnitColumnAndTheNearestRecord)
{
    const TypedTable log(SampleTables()[0]);
    ColumnChoice choice;
    choice.column = 5;
    choice.by = 3;
    const ChartModel chart = ChartModel::Build(log, choice);
    ASSERT_TRUE(chart.Nothing().empty());
    EXPECT_EQ(chart.Lines()[0].legend, "CH1 Pressure, kPa");
    const ChartModel::Vertex first = chart.Lines()[0].vertices.front();
    const auto hit = chart.Nearest(first.x + 2, first.y - 2, 8);
    ASSERT_TRUE(hit);
    EXPECT_EQ(hit->vertex.record, 1u) << "record 2: 101.3 kPa at 08:53:41";
    EXPECT_FALSE(chart.Nearest(first.x + 40, chart.Plot().top + 1, 8));
}

} // namespace
