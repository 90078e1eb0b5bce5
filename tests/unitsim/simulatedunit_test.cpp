// The simulated unit over a real pseudo-terminal: the memory variables
// byte for byte, its behaviour switches, the request log and the line.
#include "tests/unitsim/hostline.h"

#include "tools/unitsim/simulatedunit.h"

#include "buslib/protocol/datatypes.h"
#include "buslib/serial/error.h"

#include <gtest/gtest.h>

#include <thread>

using namespace morva_velox;
using namespace unitsim_test;
using morva_sim::SimulatedUnit;
using morva_sim::UnitMemory;

namespace {


UnitMemory threeTables()
{
    UnitMemory memory;
    memory.addTable("Date\tTime\tEvent", {"01.02.2024\t10:00\tPower on", "01.02.2024\t10:05\tThreshold exceeded"});
    // A Cyrillic header; a record with a character beyond the basic plane.
    memory.addTable(wxString::FromUTF8("Дата\tЗначення"), {wxString::FromUTF8("Я\t\xF0\x9F\x98\x80")});
    memory.addTable("Alarms", {});
    return memory;
}

// A unit with three tables and the host's line to it.
class SimulatedUnitTest : public testing::Test {
protected:
    // Sends the request and returns as many bytes as the expected answer has.
    Bytes exchange(const Bytes& req, const Bytes& expected)
    {
        line.send(req);
        return line.receive(expected.size());
    }
    void expectExchanges(const std::vector<std::pair<Bytes, Bytes>>& steps)
    {
        for (std::size_t i = 0; i < steps.size(); ++i)
            EXPECT_EQ(exchange(steps[i].first, steps[i].second), steps[i].second) << "step " << i;
    }

    SimulatedUnit unit{threeTables()};
    HostLine line{unit.portPath()};
};

} // namespace

TEST_F(SimulatedUnitTest, ReadsATableAndItsRecordByteForByte)
{
    const Bytes selectTable1 = {0xFF, 0xFF, 0xFF, 0x01, 0x01, 0x01, 0x08, 0x05, 0x03, 0x00, 0xAF, 0x87, 0x75, 0x80,
                                0xFC, 0x01, 0x00, 0x80, 0x1E, 0x00, 0x00};
    const Bytes readHeader = {0xFF, 0xFF, 0xFF, 0x01, 0x01, 0x01, 0x06, 0x1D, 0x01, 0x00,
                              0xAF, 0x46, 0x74, 0x80, 0xFC, 0xFC, 0x00, 0x00, 0x00};
    ASSERT_EQ(selectTable1, writeWordRequest(VarTable, 1));
    ASSERT_EQ(readHeader, readRequest(TypeWideText, VarTable));

    // "Дата\tЗначення" and "Я\t😀" as UTF-16LE with the terminating zero unit.
    const Bytes header = {0x14, 0x04, 0x30, 0x04, 0x42, 0x04, 0x30, 0x04, 0x09, 0x00, 0x17, 0x04, 0x3D, 0x04, 0x30,
                          0x04, 0x47, 0x04, 0x35, 0x04, 0x3D, 0x04, 0x3D, 0x04, 0x4F, 0x04, 0x00, 0x00};
    const Bytes record = {0x2F, 0x04, 0x09, 0x00, 0x3D, 0xD8, 0x00, 0xDE, 0x00, 0x00};

    // The unit's answer to the table selection: a header alone, from
    // 255.255.255 to the host, command and type of the request.
    const Bytes selected = {0x01, 0x01, 0x01, 0xFF, 0xFF, 0xFF, 0x08, 0x05, 0x00, 0x00};
    EXPECT_EQ(exchange(selectTable1, writeAnswer()), writeAnswer());
    EXPECT_TRUE(std::equal(selected.begin(), selected.end(), writeAnswer().begin()));

    expectExchanges({
        {readHeader, textAnswer(VarTable, header)},
        {readRequest(TypeWord, VarRecordCount), wordAnswer(VarRecordCount, 1)},
        {writeWordRequest(VarRecord, 0), writeAnswer()},
        {readRequest(TypeByte, VarRecordStatus), answer(CommandRead, TypeByte, {VarRecordStatus, 0})},
        {readRequest(TypeWideText, VarRecord), textAnswer(VarRecord, record)},
    });
}

TEST_F(SimulatedUnitTest, AnswersMemoryRequestsAsTheUnitDoes)
{
    Bytes badData = writeWordRequest(VarRecord, 0);
    badData.back() ^= 0x01;
    expectExchanges({
        {writeWordRequest(VarTable, 3), errorAnswer(VarTable, UnknownVariable)},
        {writeWordRequest(VarTable, 0xFFFF), errorAnswer(VarTable, UnknownVariable)},
        // Nothing selected yet in table 0.
        {readRequest(TypeWideText, VarRecord), errorAnswer(VarRecord, UnknownVariable)},
        {writeWordRequest(VarRecord, 2), errorAnswer(VarRecord, UnknownVariable)},
        {request(CommandWrite, TypeByte, {VarRecord, 0}), errorAnswer(VarRecord, UnsupportedDataFormat)},
        {badData, errorAnswer(VarRecord, DataCorrupted)},
        {request(7, TypeWord, {VarTable}), errorAnswer(VarTable, UnsupportedCommand)},
        {readRequest(TypeByte, 100), errorAnswer(100, UnknownVariable)},
        {request(CommandWrite, TypeByte, {100, 1}), errorAnswer(100, UnknownVariable)},
        // The empty table.
        {writeWordRequest(VarTable, 2), writeAnswer()},
        {readRequest(TypeWord, VarRecordCount), wordAnswer(VarRecordCount, 0)},
        {writeWordRequest(VarRecord, 0), errorAnswer(VarRecord, UnknownVariable)},
        // The unit answers with the variable's own type, whatever was asked.
        {readRequest(TypeByte, VarRecordCount), wordAnswer(VarRecordCount, 0)},
    });
}

TEST_F(SimulatedUnitTest, ClearingRemovesEveryRecordAndKeepsTheHeaders)
{
    expectExchanges({
        {writeWordRequest(VarRecordCount, 1), errorAnswer(VarRecordCount, UnsupportedDataFormat)},
        {writeWordRequest(VarRecord, 1), writeAnswer()},
        {writeWordRequest(VarRecordCount, 0), writeAnswer()},
        {readRequest(TypeWord, VarRecordCount), wordAnswer(VarRecordCount, 0)},
        {readRequest(TypeWideText, VarRecord), errorAnswer(VarRecord, UnknownVariable)},
        {writeWordRequest(VarTable, 1), writeAnswer()},
        {readRequest(TypeWord, VarRecordCount), wordAnswer(VarRecordCount, 0)},
    });
    UnitMemory cleared = threeTables();
    cleared.clearRecords();
    EXPECT_TRUE(unit.memory() == cleared);
}

TEST_F(SimulatedUnitTest, StatusCountsDownAfterEachRecordSelection)
{
    const Bytes poll = readRequest(TypeByte, VarRecordStatus);
    const Bytes busy = answer(CommandRead, TypeByte, {VarRecordStatus, 2});
    const Bytes ready = answer(CommandRead, TypeByte, {VarRecordStatus, 0});
    unit.setStatusBusyPolls(2);
    expectExchanges({{writeWordRequest(VarRecord, 1), writeAnswer()}, {poll, busy}, {poll, busy}, {poll, ready},
                     {poll, ready}, {writeWordRequest(VarRecord, 0), writeAnswer()}, {poll, busy}, {poll, busy},
                     {poll, ready}});

    unit.setStatusBusyPolls(-1);
    expectExchanges({{writeWordRequest(VarRecord, 0), writeAnswer()}, {poll, busy}, {poll, busy}, {poll, busy}});
}

TEST_F(SimulatedUnitTest, UnitWithoutStatusOrTableSelection)
{
    unit.setHasStatusVariable(false);
    unit.setHasTableSelection(false);
    expectExchanges({
        {writeWordRequest(VarTable, 0), errorAnswer(VarTable, UnknownVariable)},
        {readRequest(TypeWideText, VarTable), textAnswer(VarTable, {'D', 0, 'a', 0, 't', 0, 'e', 0, '\t', 0, 'T', 0,
                                                                    'i', 0, 'm', 0, 'e', 0, '\t', 0, 'E', 0, 'v', 0,
                                                                    'e', 0, 'n', 0, 't', 0, 0, 0})},
        {readRequest(TypeWord, VarRecordCount), wordAnswer(VarRecordCount, 2)},
        {writeWordRequest(VarRecord, 1), writeAnswer()},
        {readRequest(TypeByte, VarRecordStatus), errorAnswer(VarRecordStatus, UnknownVariable)},
    });
}

TEST_F(SimulatedUnitTest, SearchIsAnsweredByEveryPointInTurn)
{
    const Address a = Address::fromBytes(10, 0, 1);
    const Address b = Address::fromBytes(0x34, 0x12, 7);
    unit.setSearchAnswers({a, b});
    const Header search = makeHeader(Address::none(), Address::host(), CommandSearch, TypeNone, 0);
    const Bytes expected = answer(CommandSearch, TypeNone, {}, a) + answer(CommandSearch, TypeNone, {}, b);
    EXPECT_EQ(exchange(Bytes(search.begin(), search.end()), expected), expected);
}

TEST_F(SimulatedUnitTest, StatusTableAndPlainVariables)
{
    unit.setStatusTable({{"Normal", 0}, {wxString::FromUTF8("Відмова"), std::nullopt}});
    unit.setVariable(40, TypeLong, {0x78, 0x56, 0x34, 0x12});
    expectExchanges({
        {readRequest(TypeByte, VarStatusCount), answer(CommandRead, TypeByte, {VarStatusCount, 2})},
        {request(CommandWrite, TypeByte, {VarStatusSelect, 1}), answer(CommandWrite, TypeByte, {})},
        {readRequest(TypeWideText, VarStatusSelect),
         textAnswer(VarStatusSelect, {0x12, 0x04, 0x56, 0x04, 0x34, 0x04, 0x3C, 0x04, 0x3E, 0x04, 0x32, 0x04, 0x30,
                                     0x04, 0x00, 0x00})},
        {readRequest(TypeByte, VarStatusKind), errorAnswer(VarStatusKind, UnknownVariable)},
        {request(CommandWrite, TypeByte, {VarStatusSelect, 0}), answer(CommandWrite, TypeByte, {})},
        {readRequest(TypeByte, VarStatusKind), answer(CommandRead, TypeByte, {VarStatusKind, 0})},
        {request(CommandWrite, TypeByte, {VarStatusSelect, 2}), errorAnswer(VarStatusSelect, UnknownVariable)},
        {readRequest(TypeLong, 40), answer(CommandRead, TypeLong, {40, 0x78, 0x56, 0x34, 0x12})},
        {request(CommandWrite, TypeWord, {40, 0x01, 0x02}), answer(CommandWrite, TypeWord, {})},
        {readRequest(TypeLong, 40), answer(CommandRead, TypeWord, {40, 0x01, 0x02})},
    });
}

TEST(SimulatedUnitTextTest, LongTextsAreSentWhole)
{
    UnitMemory memory;
    memory.addTable(wxString('x', 1500), {wxString::FromUTF8("Ж").Pad(1999, 'z')});
    SimulatedUnit unit(memory);
    HostLine line(unit.portPath());

    Bytes header(2 * 1501, 0);
    for (std::size_t i = 0; i < 1500; ++i)
        header[2 * i] = 'x';
    const Bytes expected = textAnswer(VarTable, header);
    line.send(readRequest(TypeWideText, VarTable));
    EXPECT_EQ(line.receive(expected.size()), expected);

    line.send(writeWordRequest(VarRecord, 0));
    ASSERT_EQ(line.receive(writeAnswer().size()), writeAnswer());
    line.send(readRequest(TypeWideText, VarRecord));
    const Bytes record = line.receive(HeaderSize + 1 + 2 * 2001 + ChecksumSize);
    ASSERT_EQ(record.size(), HeaderSize + 1 + 2 * 2001 + ChecksumSize);
    EXPECT_EQ(headerDataLength(record.data()), 1 + 2 * 2001);
}

TEST_F(SimulatedUnitTest, LogsEveryRequestInOrder)
{
    const Bytes first = writeWordRequest(VarTable, 1);
    Bytes second = readRequest(TypeWord, VarRecordCount);
    second.back() ^= 0x40;  // a bad data checksum is still a request
    const auto before = std::chrono::steady_clock::now();
    expectExchanges({{first, writeAnswer()}, {second, errorAnswer(VarRecordCount, DataCorrupted)}});

    ASSERT_TRUE(unit.waitForRequests(2, AnswerTimeout));
    const std::vector<morva_sim::ReceivedRequest> log = unit.requests();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].bytes, first);
    EXPECT_EQ(log[1].bytes, second);
    EXPECT_EQ(log[0].command(), CommandWrite);
    EXPECT_EQ(log[1].variable(), std::optional<std::uint8_t>(VarRecordCount));
    EXPECT_LE(before, log[0].time);
    EXPECT_LE(log[0].time, log[1].time);
    EXPECT_FALSE(unit.waitForRequests(3, 10ms));

    unit.clearRequests();
    EXPECT_EQ(unit.requestCount(), 0u);
    expectExchanges({{readRequest(TypeWord, VarRecordCount), wordAnswer(VarRecordCount, 1)}});
    EXPECT_EQ(unit.requestCount(), 1u);
}

TEST_F(SimulatedUnitTest, ThrowsAwayInputAfterABadHeaderAndAfterAStalledPacket)
{
    // A header with a bad checksum is no request: nothing answers it.
    Bytes damaged = readRequest(TypeWord, VarRecordCount);
    damaged[10] ^= 0xFF;
    line.send(damaged);
    // A packet that stops half way is given up after a pause in the bytes.
    // The pauses here are what is tested, with a wide margin over the
    // unit's 200 ms.
    const Bytes partial = readRequest(TypeWord, VarRecordCount);
    std::this_thread::sleep_for(1000ms);
    line.send(Bytes(partial.begin(), partial.begin() + 9));
    std::this_thread::sleep_for(1000ms);

    expectExchanges({{readRequest(TypeWord, VarRecordCount), wordAnswer(VarRecordCount, 2)}});
    ASSERT_EQ(unit.requestCount(), 1u);
    EXPECT_EQ(unit.requests()[0].bytes, readRequest(TypeWord, VarRecordCount));
}

TEST(SimulatedUnitLineTest, HostMayCloseAndReopenThePortAgainAndAgain)
{
    SimulatedUnit unit(threeTables());
    for (std::uint16_t session = 0; session < 3; ++session) {
        // Each session is the only host end open; between sessions none is.
        HostLine line(unit.portPath());
        line.send(writeWordRequest(VarTable, session));
        EXPECT_EQ(line.receive(writeAnswer().size()), writeAnswer()) << "session " << session;
        line.send(readRequest(TypeWord, VarRecordCount));
        const Bytes count = wordAnswer(VarRecordCount, static_cast<std::uint16_t>(2 - session));
        EXPECT_EQ(line.receive(count.size()), count) << "session " << session;
    }
    EXPECT_EQ(unit.requestCount(), 6u);
}

TEST_F(SimulatedUnitTest, UnpluggingHangsUpTheLine)
{
    expectExchanges({{readRequest(TypeWord, VarRecordCount), wordAnswer(VarRecordCount, 2)}});
    unit.unplug();
    EXPECT_TRUE(line.seesHangUp());
    EXPECT_EQ(unit.requestCount(), 1u);
}
