// Scripted faults: what each kind puts on the line, and which requests a
// rule picks.
#include "tests/unitsim/hostline.h"

#include "tools/unitsim/simulatedunit.h"

#include "buslib/protocol/datatypes.h"
#include "buslib/serial/error.h"
#include "buslib/protocol/frame.h"

#include <gtest/gtest.h>

#include <iterator>

using namespace morva_velox;
using namespace unitsim_test;
using morva_sim::Fault;
using morva_sim::FaultRule;
using morva_sim::SimulatedUnit;
using morva_sim::UnitMemory;

namespace {

UnitMemory oneTable()
{
    UnitMemory memory;
    memory.addTable("Channel\tValue", {"CH1\t101.3 kPa", wxString::FromUTF8("CH2\t85.4 °C"),
                                         wxString::FromUTF8("CH3\t12.75 m³/h")});
    return memory;
}

Bytes withInverted(Bytes bytes, std::size_t from, std::size_t count)
{
    for (std::size_t i = from; i < from + count; ++i)
        bytes[i] = static_cast<std::uint8_t>(~bytes[i]);
    return bytes;
}

Bytes head(const Bytes& bytes, std::size_t count) { return Bytes(bytes.begin(), bytes.begin() + count); }

} // namespace

// The faulty answer is followed by the good answer to the next request, so
// the bytes on the line show both what the fault sent and that it sent
// nothing more.
TEST(FaultTest, EachKindSpoilsTheAnswerAsScripted)
{
    const Bytes faulted = readRequest(TypeWord, VarRecordCount);
    const Bytes good = wordAnswer(VarRecordCount, 3);
    const Bytes next = readRequest(TypeWideText, VarTable);
    const Bytes nextAnswer = textAnswer(VarTable, {'C', 0, 'h', 0, 'a', 0, 'n', 0, 'n', 0, 'e', 0, 'l', 0,
                                                   '\t', 0, 'V', 0, 'a', 0, 'l', 0, 'u', 0, 'e', 0, 0, 0});
    struct Row {
        const char* name;
        Fault fault;
        Bytes onTheLine;
    };
    const Header hugeHeader = makeHeader(Address::host(), Address::broadcast(), CommandRead, TypeWord, 0xFFFF);
    const Row rows[] = {
        {"silence", Fault::silence(), {}},
        {"partial header", Fault::partialHeader(10), head(good, 10)},
        {"bad header checksum", Fault::badHeaderChecksum(), withInverted(good, 10, 4)},
        {"bad data checksum", Fault::badDataChecksum(), withInverted(good, good.size() - 4, 4)},
        {"error answer", Fault::errorAnswer(BusyWillAnswerLater), errorAnswer(VarRecordCount, BusyWillAnswerLater)},
        {"latency", Fault::latency(300ms), good},
        {"huge length", Fault::hugeLength(),
         Bytes(hugeHeader.begin(), hugeHeader.end()) + Bytes(good.begin() + HeaderSize, good.end())},
        {"stale bytes", Fault::staleBytesBefore({0x00, 0xFF, 0x55}), Bytes{0x00, 0xFF, 0x55} + good},
        {"truncated data", Fault::truncatedData(2), head(good, HeaderSize + 2)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SimulatedUnit unit(oneTable());
        unit.addFault(FaultRule::onVariable(VarRecordCount, row.fault));
        HostLine line(unit.portPath());

        const auto sent = std::chrono::steady_clock::now();
        line.send(faulted);
        ASSERT_TRUE(unit.waitForRequests(1, AnswerTimeout));
        line.send(next);
        const Bytes expected = row.onTheLine + nextAnswer;
        EXPECT_EQ(line.receive(expected.size()), expected);
        if (row.fault.kind == Fault::Kind::Latency) {
            EXPECT_GE(std::chrono::steady_clock::now() - sent, 300ms);
        }
    }
}

TEST(FaultTest, RulesPickRequestsByIndexCommandAndVariable)
{
    SimulatedUnit unit(oneTable());
    FaultRule first = FaultRule::onRequest(0, Fault::errorAnswer(UnknownError));
    first.times = 2;
    FaultRule writes = FaultRule::onCommand(CommandWrite, Fault::errorAnswer(BusyWillAnswerLater));
    writes.times = 2;
    FaultRule status = FaultRule::onVariable(VarRecordStatus, Fault::errorAnswer(WrongRedirect));
    status.times = -1;
    unit.addFault(first);
    unit.addFault(FaultRule::onRequest(1, Fault::errorAnswer(BusyCannotAnswer)));
    unit.addFault(writes);
    unit.addFault(status);
    HostLine line(unit.portPath());

    const Bytes count = readRequest(TypeWord, VarRecordCount);
    const Bytes poll = readRequest(TypeByte, VarRecordStatus);
    const Bytes text = readRequest(TypeWideText, VarRecord);
    const std::pair<Bytes, Bytes> steps[] = {
        {count, errorAnswer(VarRecordCount, UnknownError)},
        {count, errorAnswer(VarRecordCount, BusyCannotAnswer)},
        {count, wordAnswer(VarRecordCount, 3)},
        {writeWordRequest(VarRecord, 0), errorAnswer(VarRecord, BusyWillAnswerLater)},
        // An error answer means the request was not carried out.
        {text, errorAnswer(VarRecord, UnknownVariable)},
        {writeWordRequest(VarRecord, 0), errorAnswer(VarRecord, BusyWillAnswerLater)},
        {writeWordRequest(VarRecord, 0), writeAnswer()},
        {poll, errorAnswer(VarRecordStatus, WrongRedirect)},
        {poll, errorAnswer(VarRecordStatus, WrongRedirect)},
        {text, textAnswer(VarRecord, {'C', 0, 'H', 0, '1', 0, '\t', 0, '1', 0, '0', 0, '1', 0, '.', 0, '3', 0,
                                      ' ', 0, 'k', 0, 'P', 0, 'a', 0, 0, 0})},
    };
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        line.send(steps[i].first);
        EXPECT_EQ(line.receive(steps[i].second.size()), steps[i].second) << "request " << i;
    }

    // The index counts again from the start of the log.
    unit.clearRequests();
    line.send(count);
    EXPECT_EQ(line.receive(errorAnswer(VarRecordCount, UnknownError).size()), errorAnswer(VarRecordCount, UnknownError));
}

TEST(FaultTest, ASpoiltAnswerStillCarriesTheRequestOut)
{
    SimulatedUnit unit(oneTable());
    unit.addFault(FaultRule::onCommand(CommandWrite, Fault::silence()));
    unit.setAnswerLatency(50ms);
    HostLine line(unit.portPath());

    line.send(writeWordRequest(VarRecord, 2));
    line.send(readRequest(TypeWideText, VarRecord));
    const Bytes record = textAnswer(VarRecord, {'C', 0, 'H', 0, '3', 0, '\t', 0, '1', 0, '2', 0, '.', 0, '7', 0, '5',
                                                0, ' ', 0, 'm', 0, 0xB3, 0x00, '/', 0, 'h', 0, 0, 0});
    EXPECT_EQ(line.receive(record.size()), record);
}
