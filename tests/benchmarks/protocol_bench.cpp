// Reading records from the simulated unit at 115200 baud, against the floor
// the protocol itself sets: every port read pauses 20 ms first, so each
// answer costs 20 ms for its header and 20 ms for its data block, plus the
// transfer time where the line has one (a pseudo-terminal has none).
//
//   protocol_bench [records]        (default 200)

#include "buslib/serial/serialport.h"
#include "buslib/protocol/serialportveloxprotocol.h"
#include "tools/unitsim/simulatedunit.h"

#include "support/timing.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>

using morva_velox::SerialPortVeloxProtocol;

int main(int argc, char** argv)
{
    const int records = argc > 1 ? std::atoi(argv[1]) : 200;
    morva_sim::UnitMemory memory;
    std::vector<wxString> texts;
    for (int i = 0; i < records; ++i)
        texts.push_back(wxString::Format("01.02.2026\t10:%02d:%02d\tChannel %d\t%d.%d kPa\tOK", i / 60 % 60, i % 60, i % 16, i, i % 10));
    memory.addTable("Date\tTime\tChannel\tValue\tState", texts);
    morva_sim::SimulatedUnit unit(memory);

    SerialPortVeloxProtocol protocol(unit.portPath(), false, 115200, 'N', 8, 0);
    if (!protocol.isOpen()) {
        std::fprintf(stderr, "cannot open %s\n", unit.portPath().c_str());
        return 1;
    }
    std::size_t portReads = 0;
    protocol.setTrace([&](SerialPortVeloxProtocol::TraceDirection d, const std::uint8_t*, std::size_t) {
        if (d == SerialPortVeloxProtocol::TraceDirection::Received)
            ++portReads;
    });
    protocol.selectTable(0);

    using Clock = std::chrono::steady_clock;
    double wallTotal = 0, floorTotal = 0, cpuTotal = 0;
    std::printf("%8s %10s %10s %7s %9s\n", "record", "wall ms", "floor ms", "ratio", "cpu ms");
    for (int i = 0; i < records; ++i) {
        portReads = 0;
        const double cpu0 = morva_test::threadCpuMs();
        const auto t0 = Clock::now();
        protocol.readRecord(static_cast<std::uint16_t>(i));
        const double wall = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
        const double cpu = morva_test::threadCpuMs() - cpu0;
        const double floor = static_cast<double>(portReads * morva_velox::SerialPort::ReadPauseMs);
        wallTotal += wall;
        floorTotal += floor;
        cpuTotal += cpu;
        if (i < 5 || i == records - 1)
            std::printf("%8d %10.2f %10.2f %7.3f %9.3f\n", i, wall, floor, wall / floor, cpu);
    }
    std::printf("\n%d records: wall %.1f ms, floor %.1f ms, wall/floor %.3f (target <= 1.10), "
                "cpu %.1f ms = %.2f %% of wall (target <= 2 %%)\n",
                records, wallTotal, floorTotal, wallTotal / floorTotal, cpuTotal,
                100.0 * cpuTotal / wallTotal);
    return 0;
}
