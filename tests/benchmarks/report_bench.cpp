// Builds the report of 8 tables x N records x 10 cells in each format and
// prints, per format, the time, its ratio to writing the same number of
// bytes with one buffered write, the file size and the peak memory of the
// process that made it (taken before the baseline's own buffer is made; the
// report lines that the process holds as input are part of it and are shown
// too). Every format runs in a child process of its own, so that its peak
// memory is its alone.
//
// A report is flushed to disk before it takes its name, so the baseline is
// the same: one write of all the bytes to a file in the same folder,
// followed by fsync. Both times are the median of several runs.
//
//   report_bench [records per table, default 65535] [folder, default /tmp]
#include "report/reportgenerator.h"

#include <wx/filename.h>
#include <wx/init.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

const unsigned TableCount = 8;
const int CellsPerRecord = 10;
const int ReportRuns = 3;
const int RawWriteRuns = 5;

ReportLines MakeLines(unsigned records)
{
    const wxString sensor = wxString::FromUTF8("\xd0\x94\xd0\xb0\xd1\x82\xd1\x87\xd0\xb8\xd0\xba");
    ReportLines lines;
    lines.reserve(TableCount * (records + 2));
    for (unsigned t = 0; t < TableCount; ++t) {
        lines.push_back("No\tDate\tTime\tSensor\tValue\tUnit\tState\tMin\tMax\tNote");
        for (unsigned r = 0; r < records; ++r) {
            lines.push_back(wxString::Format("%u\t07.12.26\t21:58:%02u\t%s %u\t%u.%u\tkPa\tOK\t0.0\t99.9\t",
                                             r + 1, r % 60, sensor, r % 16, r % 1000, r % 10));
        }
        lines.push_back(wxString());
    }
    return lines;
}

double Seconds(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Writes the bytes with one write and flushes them to disk; returns the
// time taken, or a negative time when the write failed.
double TimeOneRawWrite(const std::string& fileName, const std::string& bytes)
{
    const auto start = std::chrono::steady_clock::now();
    const int fd = open(fileName.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (fd < 0)
        return -1;
    size_t done = 0;
    bool ok = true;
    while (ok && done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        ok = n > 0;
        if (ok)
            done += static_cast<size_t>(n);
    }
    ok = ok && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    const double seconds = Seconds(std::chrono::steady_clock::now() - start);
    unlink(fileName.c_str());
    return ok ? seconds : -1;
}

// The median time of writing `size` bytes with one buffered write, flushed
// to disk, in the folder of the report.
double RawWriteSeconds(const wxString& folder, long long size)
{
    const std::string bytes(static_cast<size_t>(size), 'x');
    const std::string name = (folder + "/raw_write.bin").utf8_string();
    std::vector<double> times;
    for (int run = 0; run < RawWriteRuns; ++run) {
        const double seconds = TimeOneRawWrite(name, bytes);
        if (seconds < 0)
            return 0;
        times.push_back(seconds);
    }
    return Median(times);
}

// Runs in the child: makes the report several times and prints the figures
// of the median run.
int RunFormat(int format, unsigned records, const wxString& folder)
{
    wxInitializer initializer;
    const ReportLines lines = MakeLines(records);
    struct rusage before;
    getrusage(RUSAGE_SELF, &before);

    std::vector<double> times;
    long long size = 0;
    wxString extension;
    for (int run = 0; run < ReportRuns; ++run) {
        const auto start = std::chrono::steady_clock::now();
        const ReportOutcome outcome = GenerateReport(lines, TableCount, format, folder);
        times.push_back(Seconds(std::chrono::steady_clock::now() - start));
        if (!outcome.ok) {
            std::fprintf(stderr, "%s\n", static_cast<const char*>(outcome.message.utf8_str()));
            return 1;
        }
        size = wxFileName::GetSize(outcome.fileName).GetValue();
        extension = outcome.fileName.AfterLast('.');
        wxRemoveFile(outcome.fileName);
    }
    const double seconds = Median(times);
    struct rusage after;
    getrusage(RUSAGE_SELF, &after);
    const double raw = RawWriteSeconds(folder, size);
    std::printf("%-5s %8.3f s  raw write %6.3f s  ratio %5.2f  file %6.1f MB  "
                "input held %4.0f MB  peak %5.0f MB (%.1f x file)\n",
                static_cast<const char*>(extension.utf8_str()), seconds, raw,
                raw > 0 ? seconds / raw : 0.0, size / 1e6, before.ru_maxrss / 1024.0,
                after.ru_maxrss / 1024.0, size > 0 ? after.ru_maxrss * 1024.0 / size : 0.0);
    std::fflush(stdout);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const unsigned records = argc > 1 ? static_cast<unsigned>(std::atoi(argv[1])) : 65535;
    const wxString folder = argc > 2 ? wxString(argv[2]) : wxString("/tmp");
    std::printf("%u tables x %u records x %d cells\n", TableCount, records, CellsPerRecord);
    std::printf("times: median of %d reports; raw write: one write of the same bytes to a file\n"
                "in the same folder, flushed to disk with fsync, median of %d\n",
                ReportRuns, RawWriteRuns);

    for (int format : {ReportFormatCsv, ReportFormatTxt, ReportFormatHtml, ReportFormatRtf}) {
        std::fflush(stdout);
        const pid_t child = fork();
        if (child == 0)
            std::_Exit(RunFormat(format, records, folder));
        int status = 0;
        waitpid(child, &status, 0);
    }
    return 0;
}
