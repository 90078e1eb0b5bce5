// The protocol engine against the simulated unit over a real pseudo-terminal.
#include "buslib/protocol/datatypes.h"
#include "buslib/protocol/exception.h"
#include "buslib/protocol/lsingle.h"
#include "buslib/protocol/serialportveloxprotocol.h"
#include "tests/support/testunit.h"

#include "support/timing.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <thread>

using namespace morva_velox;
using morva_sim::Fault;
using morva_sim::FaultRule;
using SimulatedUnit = morva_test::TestUnit;
using morva_sim::UnitMemory;
using morva_test::Clock;
using morva_test::msSince;
using Bytes = std::vector<std::uint8_t>;

namespace {


UnitMemory threeTables()
{
    UnitMemory m;
    m.addTable("Date\tTime\tChannel\tValue", {"01.02.2026\t10:00\tT1\t21.5 C", "01.02.2026\t10:05\tT1\t21.7 C"});
    m.addTable(wxString::FromUTF8("Событие\tКод"), {wxString::FromUTF8("Перегрев\t7")});
    m.addTable("N\tValue", {"1\ta", "2\tb", "3\tc", "4\td", "5\te"});
    return m;
}

// Runs `action` and returns the code of the Exception it throws (NoError
// when it throws none).
std::uint32_t codeOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const Exception& e) {
        return e.code();
    }
    return NoError;
}

class ProtocolTest : public ::testing::Test {
protected:
    std::size_t requestsFor(std::uint8_t variable) const
    {
        std::size_t n = 0;
        for (const auto& r : unit.requests())
            n += r.variable() == variable ? 1 : 0;
        return n;
    }

    SimulatedUnit unit{threeTables()};
    SerialPortVeloxProtocol protocol{unit.portPath(), false, 115200, 'N', 8, 0};
};

// The exchange is the same in both paces: the same requests, resends and
// outcomes.
class PacedProtocolTest : public ProtocolTest, public ::testing::WithParamInterface<Pace> {
protected:
    void SetUp() override { protocol.setPace(GetParam()); }
    // What each port read waits before it looks at the line.
    long readPauseMs() const { return GetParam() == Pace::Design ? long{SerialPort::ReadPauseMs} : 0; }
};

INSTANTIATE_TEST_SUITE_P(Paces, PacedProtocolTest, ::testing::Values(Pace::Design, Pace::Line),
                         [](const ::testing::TestParamInfo<Pace>& info) { return paceName(info.param); });

} // namespace

TEST_P(PacedProtocolTest, ReadsTheMemoryAndSendsTheExactRequests)
{
    ASSERT_TRUE(protocol.isOpen());
    protocol.selectTable(1);
    EXPECT_EQ(protocol.readTableHeader(), wxString::FromUTF8("Событие\tКод"));
    EXPECT_EQ(protocol.readRecordCount(), 1);
    EXPECT_EQ(protocol.readRecord(0), wxString::FromUTF8("Перегрев\t7"));

    const auto requests = unit.requests();
    ASSERT_EQ(requests.size(), 6u);
    const Bytes selectTable1 = {0xFF, 0xFF, 0xFF, 0x01, 0x01, 0x01, 0x08, 0x05, 0x03, 0x00, 0xAF,
                                0x87, 0x75, 0x80, 0xFC, 0x01, 0x00, 0x80, 0x1E, 0x00, 0x00};
    EXPECT_EQ(requests[0].bytes, selectTable1);
    const Bytes readHeader = {0xFF, 0xFF, 0xFF, 0x01, 0x01, 0x01, 0x06, 0x1D, 0x01, 0x00,
                              0xAF, 0x46, 0x74, 0x80, 0xFC, 0xFC, 0x00, 0x00, 0x00};
    EXPECT_EQ(requests[1].bytes, readHeader);
    EXPECT_EQ(requests[2].variable(), VarRecordCount);
    EXPECT_EQ(requests[3].variable(), VarRecord);      // select record 0
    EXPECT_EQ(requests[3].command(), CommandWrite);
    EXPECT_EQ(requests[4].variable(), VarRecordStatus); // ready at once: one poll
    EXPECT_EQ(requests[5].variable(), VarRecord);       // the text
    EXPECT_EQ(requests[5].command(), CommandRead);
    // A write is answered by a header alone.
    protocol.selectTable(0);
    EXPECT_EQ(protocol.answerBlockLength(), 0u);
}

TEST_F(ProtocolTest, UnknownTableIsAskedSixTimes)
{
    EXPECT_EQ(codeOf([&] { protocol.selectTable(3); }), UnknownVariable);
    EXPECT_EQ(unit.requestCount(), 6u);
    EXPECT_EQ(protocol.lastError(), UnknownVariable);
    // The next transaction starts afresh.
    EXPECT_NO_THROW(protocol.selectTable(2));
}

TEST_P(PacedProtocolTest, SilentUnitGivesNoAnswerAfterSixSends)
{
    unit.addFault(FaultRule{Fault::silence(), {}, {}, {}, -1});
    const auto start = Clock::now();
    EXPECT_EQ(codeOf([&] { protocol.readRecordCount(); }), NoAnswer);
    const long ms = msSince(start);
    EXPECT_EQ(unit.requestCount(), 6u);
    // Each attempt waits out the read time-out of 500 ms + 1 ms a byte.
    EXPECT_GT(ms, 6 * (500 + readPauseMs()));
    EXPECT_LT(ms, 6 * (514 + readPauseMs()) + 2500);
}

TEST_P(PacedProtocolTest, PartialHeaderGivesNotAllDataReceived)
{
    unit.addFault(FaultRule{Fault::partialHeader(10), {}, {}, {}, -1});
    EXPECT_EQ(codeOf([&] { protocol.readRecordCount(); }), NotAllDataReceived);
    EXPECT_EQ(unit.requestCount(), 6u);
}

TEST_P(PacedProtocolTest, DamagedAnswersAreAskedAgain)
{
    struct Row {
        const char* name;
        Fault fault;
    };
    const Row rows[] = {
        {"bad header checksum", Fault::badHeaderChecksum()},
        {"bad data checksum", Fault::badDataChecksum()},
        {"busy", Fault::errorAnswer(BusyCannotAnswer)},
        {"truncated data", Fault::truncatedData(3)},
        {"silence", Fault::silence()},
        {"stale bytes before the answer", Fault::staleBytesBefore({0x00, 0x13, 0xFF, 0x42, 0x01})},
        {"huge length", Fault::hugeLength()},
        {"partial header", Fault::partialHeader(5)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        unit.clearRequests();
        unit.addFault(FaultRule::onVariable(VarRecordCount, row.fault));
        protocol.selectTable(2);
        EXPECT_EQ(protocol.readRecordCount(), 5);
        EXPECT_EQ(requestsFor(VarRecordCount), 2u);
        // Nothing of the failed attempt is left to spoil the next answers.
        EXPECT_EQ(protocol.readTableHeader(), "N\tValue");
        EXPECT_EQ(protocol.readRecord(4), "5\te");
    }
}

TEST_P(PacedProtocolTest, ErrorAnswersReachTheCallerAfterSixSends)
{
    for (std::uint8_t code : {std::uint8_t{UnknownVariable}, std::uint8_t{BusyWillAnswerLater}}) {
        unit.clearRequests();
        unit.addFault(FaultRule{Fault::errorAnswer(code), {}, {}, VarRecordCount, 6});
        try {
            protocol.readRecordCount();
            ADD_FAILURE() << "no exception";
        } catch (const Exception& e) {
            EXPECT_EQ(e.code(), code);
            EXPECT_EQ(e.message(), errorText(code));
        }
        EXPECT_EQ(unit.requestCount(), 6u);
    }
}

TEST_F(ProtocolTest, OversizedAnswersAreRefused)
{
    unit.addFault(FaultRule{Fault::hugeLength(), {}, {}, {}, -1});
    EXPECT_EQ(codeOf([&] { protocol.readRecordCount(); }), BufferOverflow);
    EXPECT_EQ(unit.requestCount(), 6u);
}

TEST(ProtocolTexts, LongTextsAreRefusedNotCut)
{
    UnitMemory m;
    m.addTable(wxString('x', 1023), {wxString('y', 1024)});
    SimulatedUnit unit(m);
    SerialPortVeloxProtocol protocol(unit.portPath(), false, 115200, 'N', 8, 0);
    protocol.selectTable(0);
    EXPECT_EQ(protocol.readTableHeader(), wxString('x', 1023)); // fills the buffer exactly
    EXPECT_EQ(codeOf([&] { protocol.readRecord(0); }), BufferOverflow);
}

TEST(ProtocolTexts, SurrogatePairsAndControlCharactersSurvive)
{
    const wxString text = wxString::FromUTF8("T<5 & rising\t\xF0\x9F\x98\x80 \xE2\x82\xAC {}\\ \xD0\x81");
    UnitMemory m;
    m.addTable(text, {text});
    SimulatedUnit unit(m);
    SerialPortVeloxProtocol protocol(unit.portPath(), false, 115200, 'N', 8, 0);
    protocol.selectTable(0);
    EXPECT_EQ(protocol.readTableHeader(), text);
    EXPECT_EQ(protocol.readRecord(0), text);

    // Written as wide text, the same units go on the wire.
    unit.setVariable(100, TypeWideText, {0, 0});
    protocol.writeVariable(Address::broadcast(), TypeWideText, 100, Value(text));
    EXPECT_EQ(boost::any_cast<wxString>(protocol.readVariable(Address::broadcast(), TypeWideText, 100)), text);
}

TEST_F(ProtocolTest, ReadsEveryDataType)
{
    float f = -1.5f;
    std::uint32_t fbits;
    std::memcpy(&fbits, &f, 4);
    unit.setVariable(100, TypeByte, {0x2A});
    unit.setVariable(101, TypeByte, {1, 2, 3});
    unit.setVariable(102, TypeWord, {0x34, 0x12});
    unit.setVariable(103, TypeLong, {0xFE, 0xFF, 0xFF, 0xFF});
    unit.setVariable(104, TypeLSingle, {0xF4, 0x01, 0x00, 0x00});
    unit.setVariable(105, TypeFloat, {std::uint8_t(fbits), std::uint8_t(fbits >> 8), std::uint8_t(fbits >> 16), std::uint8_t(fbits >> 24)});
    unit.setVariable(106, TypeQuad, {1, 0, 0, 0, 2, 0, 0, 0});
    unit.setVariable(107, TypeText8, {'a', 'b', 'c', 0, 'z'});
    unit.setVariable(108, TypeAddress, {1, 2, 3});
    const Address u = Address::broadcast();

    EXPECT_EQ(boost::any_cast<unsigned char>(protocol.readVariable(u, TypeByte, 100)), 0x2A);
    EXPECT_EQ(boost::any_cast<ByteBlock>(protocol.readVariable(u, TypeByte, 101)), (ByteBlock{1, 2, 3}));
    EXPECT_EQ(boost::any_cast<std::uint16_t>(protocol.readVariable(u, TypeWord, 102)), 0x1234);
    EXPECT_EQ(boost::any_cast<std::int32_t>(protocol.readVariable(u, TypeLong, 103)), -2);
    EXPECT_FLOAT_EQ(boost::any_cast<LSingle>(protocol.readVariable(u, TypeLSingle, 104)).toFloat(), 5.0f);
    EXPECT_EQ(boost::any_cast<float>(protocol.readVariable(u, TypeFloat, 105)), -1.5f);
    EXPECT_EQ(boost::any_cast<Quad>(protocol.readVariable(u, TypeQuad, 106)), (Quad{1, 2}));
    EXPECT_EQ(boost::any_cast<wxString>(protocol.readVariable(u, TypeText8, 107)), "abc");
    // The answer's own type decides; an address cannot be read.
    EXPECT_EQ(codeOf([&] { protocol.readVariable(u, TypeAddress, 108); }), UnsupportedDataFormat);
    // A status byte with more value bytes takes the first.
    EXPECT_EQ(protocol.readByte(u, 101), 1);
    // A word answer that is too short is refused.
    unit.setVariable(109, TypeWord, {0x07});
    EXPECT_EQ(codeOf([&] { protocol.readWord(u, 109); }), BufferUnderflow);
}

TEST_F(ProtocolTest, WritesEveryDataType)
{
    const Address u = Address::broadcast();
    struct Row {
        std::uint8_t type;
        Value value;
        Bytes valueBytes;
    };
    const Row rows[] = {
        {TypeByte, Value(static_cast<unsigned char>(0x7F)), {0x7F}},
        {TypeWord, Value(std::uint16_t{0xBEEF}), {0xEF, 0xBE}},
        {TypeLong, Value(std::int32_t{-2}), {0xFE, 0xFF, 0xFF, 0xFF}},
        {TypeLSingle, Value(LSingle::fromFloat(5.0f)), {0xF4, 0x01, 0x00, 0x00}},
        {TypeFloat, Value(1.0f), {0x00, 0x00, 0x80, 0x3F}},
        {TypeQuad, Value(Quad{1, 2}), {1, 0, 0, 0, 2, 0, 0, 0}},
        {TypeAddress, Value(Address{513, 3}), {1, 2, 3}},
        {TypeWideText, Value(wxString("Ab")), {'A', 0, 'b', 0, 0, 0}},
    };
    for (const Row& row : rows) {
        unit.clearRequests();
        unit.setVariable(110, static_cast<DataType>(row.type), row.valueBytes);
        protocol.writeVariable(u, row.type, 110, row.value);
        const auto requests = unit.requests();
        ASSERT_EQ(requests.size(), 1u);
        const Bytes& b = requests[0].bytes;
        EXPECT_EQ(b[6], CommandWrite);
        EXPECT_EQ(b[7], row.type);
        EXPECT_EQ(wire::le16(&b[8]), row.valueBytes.size() + 1);
        EXPECT_EQ(Bytes(b.begin() + 15, b.end() - 4), row.valueBytes) << int(row.type);
    }

    // Refused before anything is sent.
    unit.clearRequests();
    EXPECT_EQ(codeOf([&] { protocol.writeVariable(u, TypeText8, 110, Value(wxString("a"))); }),
              UnsupportedDataFormat);
    EXPECT_EQ(codeOf([&] { protocol.writeVariable(u, 0, 110, Value(1)); }), UnsupportedDataFormat);
    EXPECT_EQ(codeOf([&] { protocol.writeVariable(u, TypeWideText, 110, Value(wxString('z', 16400))); }),
              BufferOverflow);
    EXPECT_THROW(protocol.writeVariable(u, TypeWord, 110, Value(1.0)), boost::bad_any_cast);
    EXPECT_EQ(unit.requestCount(), 0u);
}

TEST_P(PacedProtocolTest, RecordStatusIsPolledUntilReady)
{
    unit.setStatusBusyPolls(1);
    EXPECT_EQ(protocol.readRecord(1), "01.02.2026\t10:05\tT1\t21.7 C");
    EXPECT_EQ(requestsFor(VarRecordStatus), 2u);

    // A busy unit is not flooded: polls at least 20 ms apart in either pace.
    unit.clearRequests();
    unit.setStatusBusyPolls(5);
    const auto start = Clock::now();
    EXPECT_EQ(protocol.readRecord(0), "01.02.2026\t10:00\tT1\t21.5 C");
    EXPECT_GE(msSince(start), 5 * 20);
    EXPECT_EQ(requestsFor(VarRecordStatus), 6u);
}

TEST_P(PacedProtocolTest, MissingStatusVariableMeansAFixedWait)
{
    unit.setHasStatusVariable(false);
    const auto start = Clock::now();
    EXPECT_EQ(protocol.readRecord(0), "01.02.2026\t10:00\tT1\t21.5 C");
    EXPECT_GE(msSince(start), 1000);
    EXPECT_EQ(requestsFor(VarRecordStatus), 6u);
}

TEST_F(ProtocolTest, RecordThatNeverGetsReadyFails)
{
    unit.setStatusBusyPolls(-1);
    const auto start = Clock::now();
    EXPECT_EQ(codeOf([&] { protocol.readRecord(0); }), NotAllDataReceived);
    const long ms = msSince(start);
    EXPECT_GE(ms, 10000);
    EXPECT_LT(ms, 13000);
    EXPECT_EQ(requestsFor(VarRecord), 1u); // the select; the text is never asked for
}

TEST_F(ProtocolTest, ClearMemory)
{
    protocol.clearMemory();
    const Bytes clear = {0xFF, 0xFF, 0xFF, 0x01, 0x01, 0x01, 0x08, 0x05, 0x03, 0x00, 0xAF,
                         0x87, 0x75, 0x80, 0xFD, 0x00, 0x00, 0xA0, 0x1F, 0x00, 0x00};
    ASSERT_EQ(unit.requestCount(), 1u);
    EXPECT_EQ(unit.requests()[0].bytes, clear);
    protocol.selectTable(0);
    EXPECT_EQ(protocol.readRecordCount(), 0);

    unit.addFault(FaultRule{Fault::errorAnswer(UnsupportedCommand), {}, {}, {}, -1});
    EXPECT_EQ(codeOf([&] { protocol.clearMemory(); }), UnsupportedCommand);
}

TEST_F(ProtocolTest, LinePaceReadsAnAnswerAsSoonAsItIsThere)
{
    // The design pace pauses 20 ms before each of a transaction's reads.
    const int transactions = 20;
    for (const Pace pace : {Pace::Design, Pace::Line}) {
        SCOPED_TRACE(paceName(pace));
        protocol.setPace(pace);
        const auto start = Clock::now();
        for (int i = 0; i < transactions; ++i)
            EXPECT_EQ(protocol.readRecordCount(), 2);
        const long ms = msSince(start);
        if (pace == Pace::Design)
            EXPECT_GE(ms, transactions * 2 * 20);
        else
            EXPECT_LT(ms, transactions * 20) << "as long as one pause a transaction";
    }
}

TEST(ProtocolPort, ClosedPortFailsEveryTransaction)
{
    SerialPortVeloxProtocol protocol("/dev/no-such-port", false, 9600, 'N', 8, 0);
    EXPECT_FALSE(protocol.isOpen());
    EXPECT_EQ(protocol.lastError(), SerialPortError);
    const auto start = Clock::now();
    EXPECT_EQ(codeOf([&] { protocol.readRecordCount(); }), NoAnswer);
    EXPECT_LT(msSince(start), 3000);
}

#ifndef _WIN32 // the remote unit stays plugged in for the whole run
TEST(ProtocolPort, UnplugMidTransactionFailsCleanly)
{
    SimulatedUnit unit(threeTables());
    SerialPortVeloxProtocol protocol(unit.portPath(), false, 115200, 'N', 8, 0);
    unit.addFault(FaultRule{Fault::latency(std::chrono::milliseconds(400)), {}, {}, {}, -1});
    std::thread unplug([&] {
        ASSERT_TRUE(unit.waitForRequests(1, std::chrono::seconds(5)));
        unit.unplug();
    });
    const auto start = Clock::now();
    const std::uint32_t code = codeOf([&] { protocol.readRecordCount(); });
    unplug.join();
    EXPECT_TRUE(code == NoAnswer || code == NotAllDataReceived) << code;
    EXPECT_LT(msSince(start), 6 * 600);
}
#endif

TEST(ProtocolPort, AbortEndsATransactionAtOnce)
{
    SimulatedUnit unit(threeTables());
    SerialPortVeloxProtocol protocol(unit.portPath(), false, 115200, 'N', 8, 0);
    unit.addFault(FaultRule{Fault::silence(), {}, {}, {}, -1});
    std::thread watch([&] {
        ASSERT_TRUE(unit.waitForRequests(1, std::chrono::seconds(5)));
        protocol.abort();
    });
    const auto start = Clock::now();
    EXPECT_EQ(codeOf([&] { protocol.readRecordCount(); }), NoAnswer);
    watch.join();
    EXPECT_LT(msSince(start), 1000); // a silent unit takes over 3 s
    EXPECT_EQ(unit.requestCount(), 1u);
}
