// The archive's web view at the server: the web server runs in this process
// on a free loopback port and httplib clients on 127.0.0.1 ask it.
//
//   web_bench [Google Benchmark options]
//
// ReadingsPage/File: GET /readings over 100,000 readings in an archive file.
// ReadingsPage/Server: the same over 100,000 readings on an archive server
//   (a PostgreSQL cluster of the benchmark's own; left out without one).
// ReadingPage: GET /readings/1, a reading whose table holds 65,535 records:
//   its figures, its chart as inline SVG and the first page of records.
// ApiSideBySide: 50 clients side by side, 1,000 requests each of
//   /api/readings?per_page=10 over the 100,000 readings of the file;
//   counters: errors (must be 0), the 50th and 99th percentile latency and
//   requests per second.
//
// The archives are made once, when a benchmark first needs them, in a
// scratch folder under /dev/shm (or /tmp), removed at the end; the time the
// 100,000 readings took to keep is printed on stderr.
#include "archive/filearchive.h"
#include "archive/readinguuid.h"
#include "archive/serverarchive.h"
#include "tests/support/postgrescluster.h"
#include "web/serveplan.h"
#include "web/webserver.h"

#include <httplib.h>

#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/init.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::duration<double, std::milli>;

constexpr int ManyReadings = 100000;
constexpr unsigned ChartRecords = 65535;
constexpr int Clients = 50;
constexpr int RequestsEach = 1000;

const wxString SmallHeader = "No.\tDate\tTime\tChannel\tEvent\tValue";
const wxString ChartHeader = "No.\tDate\tTime\tChannel\tPressure\tTemperature";

// A folder of its own, removed with everything in it at the end.
class ScratchDir {
public:
    ScratchDir()
    {
        const wxString base = wxDirExists("/dev/shm") ? "/dev/shm" : "/tmp";
        m_path = wxFileName::CreateTempFileName(base + "/morva-web-bench-");
        wxRemoveFile(m_path);
        if (!wxFileName::Mkdir(m_path, 0700))
            throw std::runtime_error("cannot make a scratch folder");
    }
    ~ScratchDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path.utf8_string(), ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    wxString operator/(const wxString& name) const { return m_path + "/" + name; }

private:
    wxString m_path;
};

wxString dateOf(unsigned i) { return wxString::Format("%02u.03.2024", 1 + i / 86400 % 28); }

wxString timeOf(unsigned i)
{
    const unsigned s = i % 86400;
    return wxString::Format("%02u:%02u:%02u", s / 3600, s / 60 % 60, s % 60);
}

// Readings of one small table each, as many as asked; seconds taken.
double keepMany(ReadingArchive& archive, int count)
{
    const auto t0 = Clock::now();
    ReadingFacts facts;
    facts.port = "/dev/ttyUSB0";
    facts.device = "/dev/ttyUSB0";
    facts.baud = 115200;
    facts.pace = "line";
    facts.version = "bench";
    facts.station = "bench-station";
    const wxDateTime start(1, wxDateTime::Jan, 2024);
    for (int i = 0; i < count; ++i) {
        const wxDateTime at = start + wxTimeSpan::Minutes(i);
        const std::int64_t id = archive.BeginReading(facts, NewReadingUuid(), at);
        const wxString record = wxString::Format("1\t%s\t%s\tCH%d\tPower on\t%d", dateOf(i), timeOf(i), i % 4, i);
        archive.EndReading(id, {ArchivedTable{0, SmallHeader, 1, 0, 0}}, {ArchivedRecord{0, 0, record}},
                           ReadingEnd::Complete, wxString(), at + wxTimeSpan::Seconds(30));
    }
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

// One reading of a table of 65,535 records in 3 channels.
void keepChart(ReadingArchive& archive)
{
    const std::int64_t id = archive.BeginReading(ReadingFacts(), NewReadingUuid(), wxDateTime::Now());
    std::vector<ArchivedRecord> records;
    records.reserve(ChartRecords);
    for (unsigned i = 0; i < ChartRecords; ++i)
        records.push_back({0, i,
                           wxString::Format("%u\t%s\t%s\tK%u\t%.1f\t%.1f", i + 1, dateOf(i * 37), timeOf(i * 37),
                                            i % 3 + 1, 120 + 30 * std::sin(i / 900.0), 20 + (i % 50) * 0.7)});
    archive.EndReading(id, {ArchivedTable{0, ChartHeader, ChartRecords, 0, 0}}, records, ReadingEnd::Complete,
                       wxString(), wxDateTime::Now());
}

// The web server of an archive on 127.0.0.1, port 0, run on a thread of
// its own until the object goes.
class ServedArchive {
public:
    explicit ServedArchive(const wxString& place)
    {
        wxString refusal;
        const std::optional<ServePlan> plan =
            ServePlan::Make(std::string("127.0.0.1:0"), std::nullopt, std::nullopt, ServeSettings{}, refusal);
        if (!plan)
            throw std::runtime_error(refusal.utf8_string());
        m_server = std::make_unique<WebServer>(*plan, place);
        wxString error;
        if (!m_server->Bind(error))
            throw std::runtime_error(error.utf8_string());
        m_thread = std::thread([this] { m_server->Run(); });
    }
    ~ServedArchive()
    {
        m_server->Stop();
        m_thread.join();
    }
    ServedArchive(const ServedArchive&) = delete;
    ServedArchive& operator=(const ServedArchive&) = delete;

    int Port() const { return m_server->Port(); }

private:
    std::unique_ptr<WebServer> m_server;
    std::thread m_thread;
};

// The archives and their servers, made when first asked for.
class Archives {
public:
    const ServedArchive& ManyInFile()
    {
        if (!m_manyFile) {
            const wxString path = m_scratch / "many.sqlite";
            {
                FileArchive archive(path, ReadingArchive::Access::Write);
                std::fprintf(stderr, "100,000 readings kept in the file in %.1f s\n", keepMany(archive, ManyReadings));
            }
            m_manyFile = std::make_unique<ServedArchive>(path);
        }
        return *m_manyFile;
    }

    const ServedArchive& Chart()
    {
        if (!m_chart) {
            const wxString path = m_scratch / "chart.sqlite";
            {
                FileArchive archive(path, ReadingArchive::Access::Write);
                keepChart(archive);
            }
            m_chart = std::make_unique<ServedArchive>(path);
        }
        return *m_chart;
    }

    // None, with the reason, when no PostgreSQL cluster can be started.
    const ServedArchive* ManyOnServer(std::string& why)
    {
        if (!m_manyServer) {
            why = morva_test::PostgresCluster::unavailableReason();
            if (!why.empty())
                return nullptr;
            m_cluster = std::make_unique<morva_test::PostgresCluster>();
            const wxString place = wxString::FromUTF8(m_cluster->passwordConnection());
            {
                ServerArchive archive(place, ReadingArchive::Access::Write);
                std::fprintf(stderr, "100,000 readings kept on the server in %.1f s\n",
                             keepMany(archive, ManyReadings));
            }
            m_manyServer = std::make_unique<ServedArchive>(place);
        }
        return m_manyServer.get();
    }

private:
    ScratchDir m_scratch;
    std::unique_ptr<morva_test::PostgresCluster> m_cluster;
    std::unique_ptr<ServedArchive> m_manyFile;
    std::unique_ptr<ServedArchive> m_chart;
    std::unique_ptr<ServedArchive> m_manyServer;
};

// GET `path` again and again; fails the benchmark on an answer other than
// 200 or one without `mark`.
void getPage(benchmark::State& state, const ServedArchive& served, const char* path, const char* mark)
{
    httplib::Client client("127.0.0.1", served.Port());
    client.set_keep_alive(true);
    client.set_read_timeout(120, 0);
    std::size_t bytes = 0;
    for (auto _ : state) {
        const httplib::Result answer = client.Get(path);
        if (!answer || answer->status != 200 || answer->body.find(mark) == std::string::npos) {
            state.SkipWithError("the page did not come");
            return;
        }
        bytes = answer->body.size();
    }
    state.counters["page_kb"] = static_cast<double>(bytes) / 1024.0;
}

double percentile(std::vector<double>& sorted, double fraction)
{
    if (sorted.empty())
        return 0;
    const std::size_t at = static_cast<std::size_t>(std::ceil(fraction * static_cast<double>(sorted.size()))) - 1;
    return sorted[std::min(at, sorted.size() - 1)];
}

// One client's requests: their latencies in ms; failures counted.
void askMany(int port, std::vector<double>& latencies, std::atomic<int>& errors)
{
    httplib::Client client("127.0.0.1", port);
    client.set_keep_alive(true);
    client.set_read_timeout(60, 0);
    latencies.reserve(RequestsEach);
    for (int i = 0; i < RequestsEach; ++i) {
        const auto t0 = Clock::now();
        const httplib::Result answer = client.Get("/api/readings?per_page=10");
        latencies.push_back(Ms(Clock::now() - t0).count());
        if (!answer || answer->status != 200 || answer->body.find("\"readings\"") == std::string::npos)
            ++errors;
    }
}

void apiSideBySide(benchmark::State& state, const ServedArchive& served)
{
    std::vector<double> all;
    std::atomic<int> errors{0};
    double seconds = 0;
    for (auto _ : state) {
        std::vector<std::vector<double>> latencies(Clients);
        std::vector<std::thread> clients;
        const auto t0 = Clock::now();
        for (int c = 0; c < Clients; ++c)
            clients.emplace_back(askMany, served.Port(), std::ref(latencies[c]), std::ref(errors));
        for (std::thread& client : clients)
            client.join();
        seconds += std::chrono::duration<double>(Clock::now() - t0).count();
        for (const std::vector<double>& some : latencies)
            all.insert(all.end(), some.begin(), some.end());
    }
    std::sort(all.begin(), all.end());
    state.counters["errors"] = errors.load();
    state.counters["p50_ms"] = percentile(all, 0.50);
    state.counters["p99_ms"] = percentile(all, 0.99);
    state.counters["requests_per_s"] = seconds > 0 ? static_cast<double>(all.size()) / seconds : 0;
}

} // namespace

int main(int argc, char** argv)
{
    // The temporary files' names and the page catalogs need wx's base.
    const wxInitializer wx;
    if (!wx.IsOk())
        return 1;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    Archives archives;
    benchmark::RegisterBenchmark("ReadingsPage/File",
                                 [&](benchmark::State& state) {
                                     getPage(state, archives.ManyInFile(), "/readings", "id=\"readings\"");
                                 })
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("ReadingsPage/Server",
                                 [&](benchmark::State& state) {
                                     std::string why;
                                     const ServedArchive* served = archives.ManyOnServer(why);
                                     if (!served) {
                                         state.SkipWithError(("no archive server: " + why).c_str());
                                         return;
                                     }
                                     getPage(state, *served, "/readings", "id=\"readings\"");
                                 })
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("ReadingPage",
                                 [&](benchmark::State& state) {
                                     getPage(state, archives.Chart(), "/readings/1", "<path");
                                 })
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("ApiSideBySide",
                                 [&](benchmark::State& state) { apiSideBySide(state, archives.ManyInFile()); })
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(1);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
