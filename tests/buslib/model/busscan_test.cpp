// Finding points on a bus and reading a point's status table, against the
// simulated unit over a pseudo-terminal.
#include "buslib/model/busscan.h"
#include "buslib/protocol/datatypes.h"
#include "buslib/protocol/frame.h"
#include "buslib/model/pointscollection.h"
#include "buslib/protocol/serialportveloxprotocol.h"
#include "buslib/model/statustable.h"
#include "buslib/model/statustablereader.h"
#include "support/ptypair.h"
#include "tools/unitsim/simulatedunit.h"

#include "support/timing.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace morva_velox;
using morva_sim::Fault;
using morva_sim::FaultRule;
using morva_sim::SimulatedUnit;
using morva_test::Clock;
using morva_test::msSince;

TEST(BusScan, OnePointPerAnswerInAnswerOrder)
{
    SimulatedUnit unit;
    const Address a = Address::fromBytes(1, 2, 3);
    const Address b = Address::fromBytes(9, 0, 7);
    const Address corrupt = Address::fromBytes(5, 5, 5);
    // The first answer is damaged and passed over; b answers twice.
    unit.setSearchAnswers({corrupt, b, a, b});
    unit.addFault(FaultRule::onCommand(CommandSearch, Fault::badHeaderChecksum()));

    PointsCollection points;
    const auto start = Clock::now();
    EXPECT_TRUE(scanPoints(wxString(unit.portPath()), points));
    const long ms = msSince(start);
    EXPECT_GE(ms, static_cast<long>(ScanAnswerTimeMs));
    EXPECT_LT(ms, static_cast<long>(ScanAnswerTimeMs) + 2000);

    ASSERT_EQ(points.count(), 3u);
    EXPECT_EQ(points.at(0)->address(), b);
    EXPECT_EQ(points.at(1)->address(), a);
    EXPECT_EQ(points.at(2)->address(), b);
    // One search, never repeated.
    ASSERT_EQ(unit.requestCount(), 1u);
    const auto request = unit.requests()[0].bytes;
    const Header expected = makeHeader(Address::none(), Address::host(), CommandSearch, 0, 0);
    EXPECT_EQ(request, std::vector<std::uint8_t>(expected.begin(), expected.end()));
}

TEST(BusScan, FindPointListensWithoutAsking)
{
    morva_test::PtyPair line;
    Address found;
    auto start = Clock::now();
    EXPECT_FALSE(findPoint(wxString(line.slavePath()), found));
    EXPECT_GE(msSince(start), static_cast<long>(ListenTimeMs));
    EXPECT_LT(msSince(start), static_cast<long>(ListenTimeMs) + 1500);
    EXPECT_TRUE(line.receive(1, 50).empty());

    // A point that speaks up on its own is found at once. Opening the port
    // drops what came before, so the point keeps speaking until it is heard,
    // however late a loaded machine gets round to opening it.
    const Header hello = makeHeader(Address::host(), Address::fromBytes(4, 0, 2), CommandRead, 0, 0);
    std::atomic<bool> heard{false};
    std::thread point([&] {
        const auto giveUp = Clock::now() + std::chrono::seconds(60);
        while (!heard && Clock::now() < giveUp) {
            line.send(std::vector<std::uint8_t>(hello.begin(), hello.end()));
            line.receive(1, 20); // the host sends nothing; this only paces the point
        }
    });
    start = Clock::now();
    const bool ok = findPoint(wxString(line.slavePath()), found);
    heard = true;
    point.join();
    ASSERT_TRUE(ok);
    EXPECT_EQ(found, Address::fromBytes(4, 0, 2));
    EXPECT_LT(msSince(start), static_cast<long>(ListenTimeMs));
}

TEST(StatusTableRead, TextsAndKindsWithDefaults)
{
    SimulatedUnit unit;
    unit.setStatusTable({{"Ready", 0}, {wxString::FromUTF8("Обрыв датчика"), 2}, {"Service", std::nullopt}});
    SerialPortVeloxProtocol engine(unit.portPath(), false, 9600, 'N', 8, 0);
    const StatusTable table = readStatusTable(engine, Address::broadcast());
    EXPECT_EQ(table.count(), 3);
    EXPECT_EQ(table.statusText(1), "Ready");
    EXPECT_EQ(table.statusEntry(1).kind(), 0);
    EXPECT_EQ(table.statusText(2), wxString::FromUTF8("Обрыв датчика"));
    EXPECT_EQ(table.statusEntry(2).kind(), 2);
    // No kind from the point: the default for code 3.
    EXPECT_EQ(table.statusText(3), "Service");
    EXPECT_EQ(table.statusEntry(3).kind(), defaultMessageKind(3));
    EXPECT_EQ(table.statusText(4), "");

    // A point without a status table fails the reading.
    SimulatedUnit bare;
    SerialPortVeloxProtocol other(bare.portPath(), false, 9600, 'N', 8, 0);
    EXPECT_THROW(readStatusTable(other, Address::broadcast()), Exception);
}
