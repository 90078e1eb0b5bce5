// The simulator's control channel: the text forms, and a remote unit that
// drives a simulated unit in this process as a Windows test drives the
// simulator program.
#include "tools/unitsim/controlcodec.h"
#include "tools/unitsim/controlserver.h"
#include "tools/unitsim/remoteunit.h"
#include "tools/unitsim/simulatedunit.h"

#include "buslib/protocol/datatypes.h"
#include "buslib/serial/error.h"
#include "buslib/protocol/exception.h"
#include "buslib/protocol/serialportveloxprotocol.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

using namespace morva_sim;
using namespace morva_velox;

namespace {

UnitMemory twoTables()
{
    UnitMemory m;
    m.addTable("N\tValue", {"1\ta", "2\tb"});
    m.addTable(wxString::FromUTF8("Событие\tКод"), {wxString::FromUTF8("Перегрев\t7")});
    return m;
}

void expectSameRule(const FaultRule& a, const FaultRule& b)
{
    EXPECT_EQ(a.fault.kind, b.fault.kind);
    EXPECT_EQ(a.fault.count, b.fault.count);
    EXPECT_EQ(a.fault.errorCode, b.fault.errorCode);
    EXPECT_EQ(a.fault.delay, b.fault.delay);
    EXPECT_EQ(a.fault.bytes, b.fault.bytes);
    EXPECT_EQ(a.requestIndex, b.requestIndex);
    EXPECT_EQ(a.command, b.command);
    EXPECT_EQ(a.variable, b.variable);
    EXPECT_EQ(a.times, b.times);
}

} // namespace

TEST(ControlCodec, FaultRulesSurviveTheirTextForm)
{
    const FaultRule rules[] = {
        FaultRule{Fault::silence(), {}, {}, {}, -1},
        FaultRule::onRequest(3, Fault::partialHeader(10)),
        FaultRule{Fault::errorAnswer(UnknownVariable), {}, CommandWrite, VarRecord, 6},
        FaultRule::onVariable(VarRecordCount, Fault::latency(std::chrono::milliseconds(400))),
        FaultRule::onCommand(CommandRead, Fault::staleBytesBefore({0x00, 0xFF, 0x7E})),
        FaultRule{Fault::truncatedData(0), 0, 0, 0, 0},
    };
    for (const FaultRule& rule : rules) {
        SCOPED_TRACE(encodeFaultRule(rule));
        expectSameRule(decodeFaultRule(encodeFaultRule(rule)), rule);
    }
    for (const char* bad : {"", "99 0 0 0 - - - - 1", "0 0 0 0 abc - - - 1", "0 0 0 0 - - - -", "0 x 0 0 - - - - 1"})
        EXPECT_THROW(decodeFaultRule(bad), std::invalid_argument) << bad;
}

TEST(ControlCodec, MemoryAndBytesSurviveTheirTextForm)
{
    EXPECT_EQ(decodeMemory(encodeMemory(twoTables())), twoTables());
    EXPECT_EQ(decodeMemory(encodeMemory(UnitMemory{})), UnitMemory{});
    const Bytes all = {0x00, 0x0A, 0x20, 0x7F, 0x80, 0xFF};
    EXPECT_EQ(bytesOfHex(hexOf(all)), all);
    EXPECT_EQ(hexOf({}), "-");
    EXPECT_THROW(bytesOfHex("0"), std::invalid_argument);
    EXPECT_THROW(bytesOfHex("zz"), std::invalid_argument);
}

class RemoteUnitTest : public ::testing::Test {
protected:
    SimulatedUnit unit{twoTables()};
    ControlServer server{unit};
};

TEST_F(RemoteUnitTest, StartsANewUnitAndCarriesFaultsAndTheRequestLog)
{
    unit.addFault(FaultRule{Fault::silence(), {}, {}, {}, -1}); // gone after the reset
    RemoteUnit remote(twoTables(), unit.portPath(), server.port());
    EXPECT_EQ(remote.portPath(), unit.portPath());

    SerialPortVeloxProtocol protocol(remote.portPath(), false, 115200, 'N', 8, 0);
    ASSERT_TRUE(protocol.isOpen());
    remote.addFault(FaultRule::onVariable(VarRecordCount, Fault::badHeaderChecksum()));
    protocol.selectTable(1);
    EXPECT_EQ(protocol.readRecordCount(), 1);

    // A select, and the count asked twice: the damaged answer was resent.
    ASSERT_TRUE(remote.waitForRequests(3, std::chrono::seconds(1)));
    const auto seen = remote.requests();
    const auto logged = unit.requests();
    ASSERT_EQ(seen.size(), 3u);
    ASSERT_EQ(logged.size(), 3u);
    for (std::size_t i = 0; i < seen.size(); ++i)
        EXPECT_EQ(seen[i].bytes, logged[i].bytes) << i;
    EXPECT_EQ(seen[1].bytes, seen[2].bytes);
    EXPECT_FALSE(remote.waitForRequests(4, std::chrono::milliseconds(50)));

    remote.clearRequests();
    EXPECT_EQ(remote.requestCount(), 0u);
}

TEST_F(RemoteUnitTest, CarriesTheSwitchesAndVariables)
{
    RemoteUnit remote(twoTables(), unit.portPath(), server.port());
    SerialPortVeloxProtocol protocol(remote.portPath(), false, 115200, 'N', 8, 0);
    ASSERT_TRUE(protocol.isOpen());

    remote.setHasTableSelection(false);
    try {
        protocol.selectTable(1);
        FAIL() << "the table selection was answered";
    } catch (const Exception& e) {
        EXPECT_EQ(e.code(), UnknownVariable);
    }
    remote.setHasTableSelection(true);
    remote.setVariable(100, TypeByte, {0x2A});
    remote.setAnswerLatency(std::chrono::milliseconds(0));
    remote.setStatusBusyPolls(1);
    remote.setHasStatusVariable(true);
    EXPECT_EQ(unit.memory(), twoTables());

    EXPECT_EQ(server.execute("no-such-command"), "error unknown command: no-such-command");
    EXPECT_EQ(server.execute("variable 1 2 xyz").rfind("error ", 0), 0u);
    EXPECT_EQ(server.execute("count"), "ok " + std::to_string(unit.requestCount()));
}

TEST(RemoteUnit, ReportsAnUnreachableUnit)
{
    std::uint16_t port = 0;
    {
        SimulatedUnit unit;
        ControlServer server(unit);
        port = server.port();
    }
    EXPECT_THROW(RemoteUnit(UnitMemory{}, "COM1", port), std::runtime_error);
}

TEST_F(RemoteUnitTest, ANewClientIsServedWhileAnOlderOneIsConnected)
{
    // As when a test replaces its unit: the new one is made before the old
    // one is gone.
    auto older = std::make_unique<RemoteUnit>(twoTables(), unit.portPath(), server.port());
    older->addFault(FaultRule{Fault::silence(), {}, {}, {}, -1});
    const RemoteUnit newer(UnitMemory{}, unit.portPath(), server.port());
    EXPECT_EQ(unit.memory(), UnitMemory{});
    EXPECT_EQ(older->requestCount(), 0u);
    older.reset();
    EXPECT_EQ(newer.requestCount(), 0u);
}
