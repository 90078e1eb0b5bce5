// The simulated unit's line with a speed: its arithmetic, and the unit's
// own timing over a real pseudo-terminal against the floor of the line, the
// request and answer bytes at 10 bits a byte plus the latency.
#include "tests/unitsim/hostline.h"

#include "tools/unitsim/linemodel.h"
#include "tools/unitsim/simulatedunit.h"

#include "buslib/protocol/datatypes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

using namespace morva_velox;
using namespace unitsim_test;
using morva_sim::LineModel;
using morva_sim::SimulatedUnit;
using morva_sim::UnitMemory;
using Clock = LineModel::Clock;
using Ms = std::chrono::duration<double, std::milli>;

TEST(LineModelTest, TenBitsAByteOneByteAfterTheOther)
{
    const LineModel instant;
    EXPECT_TRUE(instant.instant());
    EXPECT_EQ(instant.transferTime(1000), Clock::duration::zero());

    LineModel line(9600);
    EXPECT_EQ(std::chrono::duration_cast<std::chrono::milliseconds>(line.transferTime(960)).count(), 1000);
    EXPECT_EQ(line.burstSize(), 1u);
    EXPECT_EQ(LineModel(115200).burstSize(), 11u);

    // Bytes that come in while earlier ones are still crossing queue behind
    // them; after a quiet spell the line starts afresh.
    const Clock::time_point t0 = Clock::now();
    const Clock::time_point first = line.receive(96, t0);
    EXPECT_EQ(first, t0 + line.transferTime(96));
    EXPECT_EQ(line.receive(96, t0 + std::chrono::milliseconds(1)), first + line.transferTime(96));
    const Clock::time_point later = t0 + std::chrono::seconds(1);
    EXPECT_EQ(line.receive(10, later), later + line.transferTime(10));
}

TEST(LineModelTest, TheUnitAnswersNoFasterThanTheLineAndNotMuchLater)
{
    UnitMemory memory;
    memory.addTable("Date\tTime\tChannel\tEvent\tValue", {"14.03.2024\t08:53:41\tCH1 Pressure\tMeasurement started\t101.3"});
    SimulatedUnit unit(memory);
    HostLine line(unit.portPath());

    const struct {
        unsigned baud;
        unsigned latencyMs;
    } lines[] = {{9600, 20}, {115200, 2}, {115200, 0}};
    const Bytes requests[] = {writeWordRequest(VarTable, 0), readRequest(TypeWideText, VarTable),
                              readRequest(TypeWord, VarRecordCount)};
    constexpr int Exchanges = 5;
    for (const auto& l : lines) {
        SCOPED_TRACE(l.baud);
        SCOPED_TRACE(l.latencyMs);
        unit.setLineBaud(l.baud);
        unit.setAnswerLatency(std::chrono::milliseconds(l.latencyMs));
        const LineModel model(l.baud);
        for (const Bytes& request : requests) {
            // The answer's length, from a first exchange on the instant line.
            unit.setLineBaud(0);
            line.send(request);
            const std::size_t answerSize = line.receive(4096, std::chrono::milliseconds(200)).size();
            ASSERT_GE(answerSize, HeaderSize);
            unit.setLineBaud(l.baud);

            // Never faster than the line; not much slower in the fastest of a
            // few exchanges, as a loaded machine may hold up any one of them.
            const double floor = Ms(model.transferTime(request.size() + answerSize)).count() + l.latencyMs;
            double fastest = std::numeric_limits<double>::infinity();
            for (int exchange = 0; exchange < Exchanges; ++exchange) {
                const Clock::time_point start = Clock::now();
                line.send(request);
                EXPECT_EQ(line.receive(answerSize).size(), answerSize);
                const double wall = Ms(Clock::now() - start).count();
                EXPECT_GE(wall, floor - 0.5) << "request " << int(request[HeaderSize]);
                fastest = std::min(fastest, wall);
            }
            EXPECT_LE(fastest, 1.5 * floor + 20) << "request " << int(request[HeaderSize]);
        }
    }
}

// Behind a USB adapter the host gets a packet's worth (62 bytes) as soon as
// it has crossed, and the rest when the adapter's timer has run out after
// the last byte; on a slow line, the timer runs out between bytes.
TEST(LineModelTest, AnAdapterHoldsTheTailUntilItsTimerRunsOut)
{
    using std::chrono::milliseconds;
    const auto t = [](unsigned baud, std::size_t bytes) { return LineModel(baud).transferTime(bytes); };
    const struct {
        const char* name;
        LineModel line;
        std::size_t count;
        std::vector<LineModel::Handover> expected;
    } rows[] = {
        {"instant, no adapter", LineModel(), 300, {{300, Clock::duration::zero()}}},
        {"115200, no adapter", LineModel(115200), 25, {{11, t(115200, 11)}, {22, t(115200, 22)}, {25, t(115200, 25)}}},
        {"instant, 16 ms", LineModel(0, 16), 14, {{14, milliseconds(16)}}},
        {"instant, 16 ms, 130 bytes", LineModel(0, 16), 130,
         {{62, Clock::duration::zero()}, {124, Clock::duration::zero()}, {130, milliseconds(16)}}},
        {"115200, 16 ms, a packet's worth", LineModel(115200, 16), 62, {{62, t(115200, 62)}}},
        {"115200, 1 ms, 130 bytes", LineModel(115200, 1), 130,
         {{62, t(115200, 62)}, {124, t(115200, 124)}, {130, t(115200, 130) + milliseconds(1)}}},
        {"9600, 1 ms: a byte takes longer than the timer", LineModel(9600, 1), 3,
         {{1, t(9600, 1) + milliseconds(1)}, {2, t(9600, 2) + milliseconds(1)}, {3, t(9600, 3) + milliseconds(1)}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::vector<LineModel::Handover> got = row.line.handovers(row.count);
        ASSERT_EQ(got.size(), row.expected.size());
        for (std::size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].bytes, row.expected[i].bytes) << i;
            EXPECT_EQ(got[i].after, row.expected[i].after) << i;
        }
    }
}

// The unit behind an adapter with a long timer: a packet's worth of a long
// answer comes at once, its tail only after the timer; 0 is today's line.
TEST(LineModelTest, TheUnitsAnswersComeThroughTheAdapter)
{
    UnitMemory memory;
    memory.addTable("Date\tTime\tChannel\tEvent\tValue\tUnit\tOperator", {"14.03.2024\t08:53:41"});
    SimulatedUnit unit(memory);
    HostLine line(unit.portPath());
    const Bytes request = readRequest(TypeWideText, VarTable);
    line.send(request);
    const std::size_t answerSize = line.receive(4096, std::chrono::milliseconds(200)).size();
    ASSERT_GT(answerSize, LineModel::AdapterPacketBytes);

    // Long enough to tell apart on a loaded machine.
    constexpr auto Timer = std::chrono::milliseconds(400);
    unit.setAdapterTimer(Timer);
    Clock::time_point start = Clock::now();
    line.send(request);
    EXPECT_EQ(line.receive(LineModel::AdapterPacketBytes).size(), LineModel::AdapterPacketBytes);
    EXPECT_LT(Clock::now() - start, Timer);
    EXPECT_EQ(line.receive(answerSize - LineModel::AdapterPacketBytes).size(), answerSize - LineModel::AdapterPacketBytes);
    EXPECT_GE(Clock::now() - start, Timer);

    unit.setAdapterTimer(std::chrono::milliseconds(0));
    start = Clock::now();
    line.send(request);
    EXPECT_EQ(line.receive(answerSize).size(), answerSize);
    EXPECT_LT(Clock::now() - start, Timer);
}
