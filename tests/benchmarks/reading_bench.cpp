// A whole reading of the sample memory at 115200 baud, against the floor
// the protocol sets: 20 ms before every port read, 500 ms after each table,
// and 1000 ms a record where the unit has no status variable.
//
//   reading_bench [memory file] [--no-status]

#include "reading/memoryreader.h"
#include "buslib/serialport.h"
#include "buslib/serialportveloxprotocol.h"
#include "tools/unitsim/simulatedunit.h"

#include "support/timing.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>

using morva_velox::SerialPortVeloxProtocol;

namespace {


class QuietHost : public ReadingHost {
public:
    bool UpdateProgress(int, const wxString&) override { return true; }
    void ShowMessage(const wxString& text, const wxString&, long, bool) override
    {
        std::fprintf(stderr, "message: %s\n", text.utf8_str().data());
    }
    void OnReadingDone(bool done) override { ok = done; }
    bool ok = false;
};

} // namespace

int main(int argc, char** argv)
{
    const char* file = MORVA_SAMPLE_MEMORY;
    bool noStatus = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--no-status") == 0)
            noStatus = true;
        else
            file = argv[i];
    }
    const morva_sim::UnitMemory memory = morva_sim::UnitMemory::loadFromFile(file);
    morva_sim::SimulatedUnit unit(memory);
    unit.setHasStatusVariable(!noStatus);

    SerialPortVeloxProtocol protocol(unit.portPath(), false, 115200, 'N', 8, 0);
    std::size_t portReads = 0;
    protocol.setTrace([&](SerialPortVeloxProtocol::TraceDirection d, const std::uint8_t*, std::size_t) {
        if (d == SerialPortVeloxProtocol::TraceDirection::Received)
            ++portReads;
    });
    QuietHost host;
    MemoryReader reader(host, protocol);

    const double cpu0 = morva_test::threadCpuMs();
    const auto t0 = std::chrono::steady_clock::now();
    reader.Read();
    const double wall = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    const double cpu = morva_test::threadCpuMs() - cpu0;

    std::size_t records = 0;
    for (const auto& table : memory.tables())
        records += table.records.size();
    const double floor = portReads * double(morva_velox::SerialPort::ReadPauseMs)
        + reader.GetTableCount() * double(MemoryReader::pauseAfterTableMs)
        + (noStatus ? records * double(SerialPortVeloxProtocol::NoStatusWaitMs) : 0.0);
    std::printf("%s: %u tables, %zu records, %s, %zu port reads\n", host.ok ? "read" : "FAILED",
                reader.GetTableCount(), records, noStatus ? "no status variable" : "with status", portReads);
    std::printf("wall %.1f ms, floor %.1f ms, wall/floor %.3f (target <= 1.10), cpu %.1f ms = %.2f %% of wall "
                "(target <= 2 %%)\n",
                wall, floor, wall / floor, cpu, 100.0 * cpu / wall);
    return host.ok ? 0 : 1;
}
