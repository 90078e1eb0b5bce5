// The chart of a kept table of 65,535 records: laying out its model for a
// window's size, and painting that model as the window paints it, into a
// bitmap through a memory drawing context. The model keeps at most four
// vertices per pixel column, so painting costs the same for any length.
// Needs a display (the GUI libraries draw text through it):
//
//   tests/app/with-xvfb.sh build/tests/benchmarks/chart_bench
#include "app/chartpainter.h"
#include "insight/chartmodel.h"
#include "insight/typedtable.h"

#include <benchmark/benchmark.h>

#include <wx/app.h>
#include <wx/bitmap.h>
#include <wx/dcmemory.h>
#include <wx/init.h>


#include <cstdio>
#include <vector>

namespace {

constexpr unsigned Records = 65535;
const ChartSize Size{1000, 500};

// A table as a unit writes it: a date, a time, one of four channels and a
// measured value, a record every minute. The values jump about, so that
// every pixel column of every line holds its four vertices and many values
// lie outside the limits: the most a chart of this length paints.
const TypedTable& Table()
{
    static const TypedTable table = [] {
        std::vector<wxString> records;
        records.reserve(Records);
        for (unsigned i = 0; i < Records; ++i) {
            const unsigned minute = i % 60;
            const unsigned hour = (i / 60) % 24;
            const unsigned day = i / 1440;
            records.push_back(wxString::Format("%u\t%02u.%02u.2024\t%02u:%02u:00\tK%u\t%u,%u", i + 1, day % 28 + 1,
                                               day / 28 + 1, hour, minute, i % 4 + 1, 100 + (i * 7919) % 60, i % 10));
        }
        return TypedTable(RecordTable(1, "No.\tDate\tTime\tChannel\tPressure, kPa", records));
    }();
    return table;
}

ColumnChoice Choice(bool bySeries)
{
    ColumnChoice choice;
    choice.column = 4;
    if (bySeries)
        choice.by = 3;
    choice.lower = 105;
    choice.upper = 155;
    return choice;
}

// Arg: 0 for one line, 1 for a line per channel.
void BuildModel(benchmark::State& state)
{
    const ColumnChoice choice = Choice(state.range(0) != 0);
    for (auto _ : state)
        benchmark::DoNotOptimize(ChartModel::Build(Table(), choice, Size));
}
BENCHMARK(BuildModel)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void PaintModel(benchmark::State& state)
{
    const ChartModel chart = ChartModel::Build(Table(), Choice(state.range(0) != 0), Size);
    std::size_t vertices = 0;
    for (const ChartModel::Line& line : chart.Lines())
        vertices += line.vertices.size();
    wxBitmap bitmap(Size.width, Size.height, 24);
    for (auto _ : state) {
        wxMemoryDC dc(bitmap);
        ChartPainter::Paint(dc, chart);
    }
    state.counters["vertices"] = static_cast<double>(vertices);
}
BENCHMARK(PaintModel)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The lines alone, without marks.
void PaintNoLimits(benchmark::State& state)
{
    ColumnChoice choice = Choice(state.range(0) != 0);
    choice.lower.reset();
    choice.upper.reset();
    const ChartModel chart = ChartModel::Build(Table(), choice, Size);
    wxBitmap bitmap(Size.width, Size.height, 24);
    for (auto _ : state) {
        wxMemoryDC dc(bitmap);
        ChartPainter::Paint(dc, chart);
    }
}
BENCHMARK(PaintNoLimits)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Nothing to draw: the reason alone.
void PaintNothing(benchmark::State& state)
{
    ColumnChoice choice = Choice(false);
    choice.column = 3;
    const ChartModel chart = ChartModel::Build(Table(), choice, Size);
    wxBitmap bitmap(Size.width, Size.height, 24);
    for (auto _ : state) {
        wxMemoryDC dc(bitmap);
        ChartPainter::Paint(dc, chart);
    }
}
BENCHMARK(PaintNothing)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    wxApp::SetInstance(new wxApp);
    if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) {
        std::fprintf(stderr, "cannot start the GUI (is there a display?)\n");
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    wxTheApp->OnExit();
    wxEntryCleanup();
    return 0;
}
