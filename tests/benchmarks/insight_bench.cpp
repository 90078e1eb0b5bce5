// Looking at a full unit: 8 tables of 65,535 records each, shaped like the
// wide table of the sample memory (16 columns: a running number, date,
// time, channel, eight measured quantities with decimal commas, a state,
// an alarm, an operator and a note).
//
//   insight_bench [Google Benchmark options]
//
// TypedColumnsAndFigures: every table's columns typed and its times read,
// then the figures of its first measured column per channel.
// ChartSvg: the chart of a 65,535-record column in 3 series, as SVG.
// OpenReading: what the window does before it shows a reading's table of
// 65,535 records: the table read from an archive file, cut into cells and
// typed, its first measured column's figures and chart laid out.
// Workbook: the reading as an Excel workbook, its tables made one at a time
// as an export loads them from the archive; peak_rss_mb is the process's
// peak, so run it alone for its own (--benchmark_filter=Workbook).
#include "archive/filearchive.h"
#include "insight/chartmodel.h"
#include "insight/keptrecordtable.h"
#include "insight/civiltime.h"
#include "insight/columnfigures.h"
#include "insight/svgchart.h"
#include "insight/xlsxreport.h"

#include <wx/filename.h>
#include <wx/utils.h>

#include <sys/resource.h>

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace {

constexpr unsigned Records = 65535;
constexpr unsigned Tables = 8;

std::vector<wxString> wideRecords(unsigned channels)
{
    std::vector<wxString> records;
    records.reserve(Records);
    const std::int64_t start = DaysFromCivil(2024, 3, 14) * 86400;
    for (unsigned i = 0; i < Records; ++i) {
        const std::int64_t at = start + static_cast<std::int64_t>(i) * 37;
        const double pressure = 120 + 30 * std::sin(i / 900.0);
        wxString record = wxString::Format("%u\t%s\t%s\tK%u\t%s\t%s\t%s\t%s\t%s\t%s\t150,0\t140,0\t%s\t%s\tIvanov\t%s",
                                           i + 1, FormatDate(at, DateStyle()), FormatTimeOfDay(at, true),
                                           i % channels + 1, ColumnFigures::FormatValue(pressure, 1, true),
                                           ColumnFigures::FormatValue(20 + (i % 50) * 0.7, 1, true),
                                           ColumnFigures::FormatValue(10 + (i % 30) * 0.11, 2, true),
                                           ColumnFigures::FormatValue(40 + (i % 20), 1, true),
                                           ColumnFigures::FormatValue(23.5 + (i % 9) * 0.07, 2, true),
                                           ColumnFigures::FormatValue(5 + (i % 14), 1, true),
                                           pressure > 150 ? "Alarm" : "Normal", pressure > 150 ? "yes" : "no",
                                           i % 1000 == 0 ? "checked" : "");
        records.push_back(record);
    }
    return records;
}

const wxString Header = "No\tDate\tTime\tChannel\tPressure\tTemperature\tFlow\tHumidity\tVoltage\tCurrent\t"
                        "Threshold\tPrethreshold\tState\tAlarm\tOperator\tNote";

void TypedColumnsAndFigures(benchmark::State& state)
{
    const std::vector<wxString> records = wideRecords(4);
    std::vector<RecordTable> tables;
    for (unsigned t = 0; t < Tables; ++t)
        tables.emplace_back(t + 1, Header, records);
    std::size_t values = 0;
    for (auto _ : state) {
        // The tables come cut into cells, as a reading's are loaded.
        state.PauseTiming();
        std::vector<RecordTable> loaded = tables;
        state.ResumeTiming();
        for (RecordTable& records : loaded) {
            const TypedTable table(std::move(records));
            ColumnChoice choice;
            choice.column = table.FirstMeasured().value();
            choice.by = table.FirstSeries();
            choice.upper = 150;
            const std::vector<Figures> figures = ColumnFigures::Of(table, choice);
            values += figures.back().count;
        }
    }
    benchmark::DoNotOptimize(values);
    state.counters["records"] = Tables * Records;
}
BENCHMARK(TypedColumnsAndFigures)->Unit(benchmark::kMillisecond)->UseRealTime();

void CutIntoCells(benchmark::State& state)
{
    const std::vector<wxString> records = wideRecords(4);
    for (auto _ : state)
        for (unsigned t = 0; t < Tables; ++t)
            benchmark::DoNotOptimize(RecordTable(t + 1, Header, records));
}
BENCHMARK(CutIntoCells)->Unit(benchmark::kMillisecond)->UseRealTime();

void ChartSvg(benchmark::State& state)
{
    const TypedTable table(RecordTable(1, Header, wideRecords(3)));
    ColumnChoice choice;
    choice.column = 4;
    choice.by = 3;
    choice.lower = 100;
    choice.upper = 145;
    std::size_t bytes = 0;
    for (auto _ : state) {
        const ChartModel chart = ChartModel::Build(table, choice, ChartSize{1200, 600});
        bytes = SvgChart::Write(chart).size();
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["svg_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(ChartSvg)->Unit(benchmark::kMillisecond)->UseRealTime();

void OpenReading(benchmark::State& state)
{
    const wxString path = wxFileName::CreateTempFileName("insight_bench");
    wxRemoveFile(path);
    std::int64_t id = 0;
    {
        FileArchive archive(path, ReadingArchive::Access::Write);
        id = archive.BeginReading(ReadingFacts(), "insight-bench", wxDateTime::Now());
        const std::vector<wxString> texts = wideRecords(4);
        std::vector<ArchivedRecord> records;
        for (unsigned index = 0; index < Records; ++index)
            records.push_back(ArchivedRecord{0, index, texts[index]});
        archive.EndReading(id, {ArchivedTable{0, Header, Records, 0, 0}}, records, ReadingEnd::Complete, wxString(),
                           wxDateTime::Now());
    }
    for (auto _ : state) {
        const FileArchive archive(path, ReadingArchive::Access::Read);
        const ReadingArchive::KeptTable kept = archive.KeptTables(id).front();
        const TypedTable table(KeptRecordTable::Load(archive, id, kept));
        ColumnChoice choice;
        choice.column = table.FirstMeasured().value();
        choice.by = table.FirstSeries();
        benchmark::DoNotOptimize(ColumnFigures::Of(table, choice));
        benchmark::DoNotOptimize(ChartModel::Build(table, choice, ChartSize{900, 400}));
    }
    wxRemoveFile(path);
}
BENCHMARK(OpenReading)->Unit(benchmark::kMillisecond)->UseRealTime();

void Workbook(benchmark::State& state)
{
    const wxString folder = wxFileName::GetTempDir();
    // One table's records, given for each table as the archive would load
    // them: the archive's records, not their making, are the input.
    const std::vector<wxString> records = wideRecords(4);
    double bytes = 0;
    for (auto _ : state) {
        const ReportOutcome outcome = XlsxReport::Write(
            Tables, [&](std::size_t index) { return RecordTable(static_cast<unsigned>(index + 1), Header, records); },
            ReadingSummary(), folder + "/insight_bench.xlsx");
        if (!outcome.ok) {
            state.SkipWithError(outcome.message.utf8_str());
            break;
        }
        bytes = static_cast<double>(wxFileName::GetSize(outcome.fileName).ToDouble());
        wxRemoveFile(outcome.fileName);
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["file_mb"] = bytes / 1e6;
    state.counters["peak_rss_mb"] = static_cast<double>(usage.ru_maxrss) / 1024;
}
BENCHMARK(Workbook)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

} // namespace

BENCHMARK_MAIN();
