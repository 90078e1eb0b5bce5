// The cable pulled in the middle of a reading: the reading ends with the
// error, makes no report, and neither hangs nor spins while it ends, in
// either pace of the port's reads.
#include "reading/memoryreader.h"
#include "reading/readinghost.h"
#include "buslib/serial/error.h"
#include "buslib/protocol/serialportveloxprotocol.h"
#include "tools/unitsim/simulatedunit.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <memory>
#include <optional>
#include <vector>

using morva_sim::SimulatedUnit;
using morva_sim::UnitMemory;
using morva_velox::Pace;
using morva_velox::SerialPortVeloxProtocol;
using Clock = std::chrono::steady_clock;

namespace {

double processCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// Pulls the cable when the reading reports the given record of table 1.
class UnpluggingHost : public ReadingHost {
public:
    UnpluggingHost(SimulatedUnit& unit, const wxString& marker) : m_unit(unit), m_marker(marker) {}

    bool UpdateProgress(int, const wxString& message) override
    {
        if (!unpluggedAt && message.Contains(m_marker)) {
            m_unit.unplug();
            unpluggedAt = Clock::now();
            cpuAtUnplug = processCpuSeconds();
        }
        return true;
    }
    void ShowMessage(const wxString& text, const wxString&, long, bool) override
    {
        messages.push_back(text);
    }
    void OnReadingDone(bool ok) override
    {
        done = ok;
        doneAt = Clock::now();
        cpuAtDone = processCpuSeconds();
    }

    std::optional<Clock::time_point> unpluggedAt;
    Clock::time_point doneAt;
    double cpuAtUnplug = 0;
    double cpuAtDone = 0;
    std::optional<bool> done;
    std::vector<wxString> messages;

private:
    SimulatedUnit& m_unit;
    wxString m_marker;
};

class UnplugTest : public ::testing::TestWithParam<Pace> {};

INSTANTIATE_TEST_SUITE_P(Paces, UnplugTest, ::testing::Values(Pace::Design, Pace::Line),
                         [](const ::testing::TestParamInfo<Pace>& info) { return morva_velox::paceName(info.param); });

} // namespace

TEST_P(UnplugTest, ReadingEndsWithTheErrorAndNoReport)
{
    UnitMemory memory;
    std::vector<wxString> records;
    for (int i = 0; i < 20; ++i)
        records.push_back(wxString::Format("%d\trecord", i));
    memory.addTable("No.\tText", records);
    memory.addTable("No.\tText", records);

    SimulatedUnit unit(memory);
    SerialPortVeloxProtocol protocol(unit.portPath(), false, 115200, 'N', 8, 0);
    ASSERT_TRUE(protocol.isOpen());
    protocol.setPace(GetParam());
    UnpluggingHost host(unit, "(5 record from 20)");
    MemoryReader reader(host, protocol);
    reader.Read();

    ASSERT_TRUE(host.unpluggedAt.has_value());
    ASSERT_TRUE(host.done.has_value());
    EXPECT_FALSE(*host.done); // no report
    ASSERT_FALSE(host.messages.empty());
    const wxString readError = "Error while reading! Can't get data!";
    const wxString last = host.messages.back();
    EXPECT_TRUE(last == readError + "\n" + morva_velox::errorText(morva_velox::NoAnswer)
                || last == readError + "\n" + morva_velox::errorText(morva_velox::NotAllDataReceived))
        << last;

    // Each failed attempt ends at its read deadline, far inside the 40 s
    // after which the window's port watch gives a read up as hung; a port
    // read pauses before it looks at the line, or in the line pace lasts
    // the pause when the line brings nothing, so the attempts do not spin.
    const double wall = std::chrono::duration<double>(host.doneAt - *host.unpluggedAt).count();
    const double cpu = host.cpuAtDone - host.cpuAtUnplug;
    std::printf("unplug (%s pace): reading ended %.2f s after the unplug, %.3f s of CPU\n",
                morva_velox::paceName(GetParam()), wall, cpu);
    EXPECT_LT(wall, 40.0);
    EXPECT_LT(cpu, 0.5 * wall + 0.2);
}
