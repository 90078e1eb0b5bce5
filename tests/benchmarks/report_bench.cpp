// Builds the report of 8 tables x N records x 10 cells in each format and
// prints, per format, the time, its ratio to writing the same number of
// bytes with one buffered write, the file size and the peak memory of the
// process that made it. Every format runs in a child process of its own,
// so that its peak memory is its alone.
//
//   report_bench [records per table, default 65535] [folder, default /tmp]
#include "report/reportgenerator.h"

#include <wx/filename.h>
#include <wx/init.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const unsigned TableCount = 8;
const int CellsPerRecord = 10;

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

// Writes `size` bytes with one buffered write and returns the time taken.
double RawWriteSeconds(const wxString& folder, long long size)
{
    const std::string bytes(static_cast<size_t>(size), 'x');
    const wxString name = folder + "/raw_write.bin";
    const auto start = std::chrono::steady_clock::now();
    FILE* f = std::fopen(name.utf8_str(), "wb");
    if (!f)
        return 0;
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    const double seconds = Seconds(std::chrono::steady_clock::now() - start);
    wxRemoveFile(name);
    return seconds;
}

// Runs in the child: makes one report and prints its figures.
int RunFormat(int format, unsigned records, const wxString& folder)
{
    wxInitializer initializer;
    const ReportLines lines = MakeLines(records);
    struct rusage before;
    getrusage(RUSAGE_SELF, &before);

    const auto start = std::chrono::steady_clock::now();
    const ReportOutcome outcome = GenerateReport(lines, TableCount, format, folder);
    const double seconds = Seconds(std::chrono::steady_clock::now() - start);
    if (!outcome.ok) {
        std::fprintf(stderr, "%s\n", static_cast<const char*>(outcome.message.utf8_str()));
        return 1;
    }
    const long long size = wxFileName::GetSize(outcome.fileName).GetValue();
    wxRemoveFile(outcome.fileName);
    const double raw = RawWriteSeconds(folder, size);
    std::printf("%-5s %9.3f s  raw write %7.3f s  ratio %5.2f  file %8.1f MB  input held %6.0f MB",
                static_cast<const char*>(outcome.fileName.AfterLast('.').utf8_str()), seconds, raw,
                raw > 0 ? seconds / raw : 0.0, size / 1e6, before.ru_maxrss / 1024.0);
    std::fflush(stdout);
    // The parent adds the peak memory; the file size goes along for the ratio.
    std::FILE* sizeOut = fdopen(3, "w");
    if (sizeOut) {
        std::fprintf(sizeOut, "%lld\n", size);
        std::fclose(sizeOut);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const unsigned records = argc > 1 ? static_cast<unsigned>(std::atoi(argv[1])) : 65535;
    const wxString folder = argc > 2 ? wxString(argv[2]) : wxString("/tmp");
    std::printf("%u tables x %u records x %d cells\n", TableCount, records, CellsPerRecord);

    for (int format : {ReportFormatCsv, ReportFormatTxt, ReportFormatHtml, ReportFormatRtf}) {
        int sizePipe[2];
        if (pipe(sizePipe) != 0)
            return 1;
        std::fflush(stdout);
        const pid_t child = fork();
        if (child == 0) {
            close(sizePipe[0]);
            dup2(sizePipe[1], 3);
            std::_Exit(RunFormat(format, records, folder));
        }
        close(sizePipe[1]);
        long long size = 0;
        if (std::FILE* in = fdopen(sizePipe[0], "r")) {
            if (std::fscanf(in, "%lld", &size) != 1)
                size = 0;
            std::fclose(in);
        }
        int status = 0;
        struct rusage usage;
        wait4(child, &status, 0, &usage);
        const double peakMb = usage.ru_maxrss / 1024.0;
        const double peakBytes = usage.ru_maxrss * 1024.0;
        std::printf("  peak %6.0f MB (%.1f x file)\n", peakMb,
                    size > 0 ? peakBytes / static_cast<double>(size) : 0.0);
    }
    return 0;
}
