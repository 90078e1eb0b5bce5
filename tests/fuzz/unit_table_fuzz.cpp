// Fuzz target: a table as any unit might write it, through what looks at
// kept readings: the columns typed, the figures of every numeric column,
// the chart laid out and written as SVG, the workbook's cells and a part
// of the reading chosen.
//
// Input: byte 0 chooses the chart's size and limits, the rest is UTF-8
// text: its first line the header, the others the records, cells
// separated by tabs.
//
// What must hold, besides no crash and no sanitizer report:
// - every figure's count is at most the table's records, the whole table's
//   the sum of its series', and its mean lies between its minimum and maximum;
// - every vertex of the chart lies within the plot, at most four per pixel
//   column and line;
// - the SVG holds no "<" but its own tags' (the unit's text is escaped).
#include "insight/chartmodel.h"
#include "insight/columnfigures.h"
#include "insight/readingpart.h"
#include "insight/spreadsheetcell.h"
#include "insight/svgchart.h"
#include "tests/fuzz/fuzzcheck.h"

#include <wx/arrstr.h>
#include <wx/init.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void checkFigures(const TypedTable& table, const ColumnChoice& choice)
{
    const std::vector<Figures> all = ColumnFigures::Of(table, choice);
    std::size_t sum = 0;
    for (const Figures& figures : all) {
        check(figures.count <= table.RecordCount(), "a count above the records");
        if (!figures.whole)
            sum += figures.count;
        if (figures.count > 0 && std::isfinite(figures.meanValue))
            check(figures.meanValue >= figures.minimumValue - 1e-6 * std::fabs(figures.minimumValue) - 1e-9
                      && figures.meanValue <= figures.maximumValue + 1e-6 * std::fabs(figures.maximumValue) + 1e-9,
                  "a mean outside its minimum and maximum");
        check(figures.secondsOutside >= 0, "a negative time outside");
    }
    if (choice.by)
        check(sum == all.back().count, "series that do not add up to the whole");
}

void checkChart(const ChartModel& chart)
{
    if (!chart.Nothing().empty())
        return;
    const ChartModel::Rect plot = chart.Plot();
    for (const ChartModel::Line& line : chart.Lines()) {
        check(line.vertices.size() <= 4 * static_cast<std::size_t>(plot.width), "more than four vertices a column");
        for (const ChartModel::Vertex& vertex : line.vertices)
            check(vertex.x >= plot.left - 0.5 && vertex.x <= plot.Right() + 0.5 && vertex.y >= plot.top - 0.5
                      && vertex.y <= plot.Bottom() + 0.5,
                  "a vertex outside the plot");
    }
    const std::string svg = SvgChart::Write(chart);
    for (std::size_t at = svg.find('<'); at != std::string::npos; at = svg.find('<', at + 1)) {
        const char next = at + 1 < svg.size() ? svg[at + 1] : '\0';
        check(next == '?' || next == '/' || (next >= 'a' && next <= 'z'), "a \"<\" that is no tag");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static wxInitializer initializer;
    if (size < 1)
        return 0;
    const std::uint8_t shape = data[0];
    const wxString text = wxString::FromUTF8(reinterpret_cast<const char*>(data + 1), size - 1);
    const wxArrayString split = wxSplit(text, '\n', '\0');
    std::vector<wxString> lines(split.begin(), split.end());
    if (lines.empty())
        return 0;
    const wxString header = lines.front();
    lines.erase(lines.begin());
    if (lines.size() > 2000)
        lines.resize(2000);
    TypedTable table(RecordTable(1, header, lines));

    for (std::size_t column = 0; column < table.ColumnCount(); ++column) {
        for (std::size_t record = 0; record < table.RecordCount(); ++record)
            SpreadsheetCell::Of(table, record, column);
        if (table.Kind(column) != ColumnKind::Number)
            continue;
        ColumnChoice choice;
        choice.column = column;
        choice.by = table.FirstSeries();
        if (shape & 1)
            choice.lower = static_cast<double>(shape) - 100;
        if (shape & 2)
            choice.upper = static_cast<double>(shape);
        checkFigures(table, choice);
        checkChart(ChartModel::Build(table, choice, ChartSize{40 + (shape >> 2) * 20, 30 + (shape >> 4) * 30}));
    }
    ReportLines report{header};
    report.insert(report.end(), lines.begin(), lines.end());
    report.emplace_back();
    ReadingPart part;
    part.since = ReadingPart::ParseWhen("2024-03-14", false);
    std::size_t records = 0;
    check(part.Select(report, records).size() <= report.size(), "a part larger than the whole");
    return 0;
}
