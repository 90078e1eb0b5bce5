#include "tools/unitsim/unitresponder.h"

#include "buslib/serial/error.h"
#include "buslib/protocol/frame.h"

#include <algorithm>

namespace morva_sim {

using namespace morva_velox;

namespace {

// Variables of a point's status table.

// UTF-16 units of the longest text whose answer still fits the 16-bit data
// length: variable code, text, terminator.
constexpr std::size_t MaxTextUnits = (0xFFFF - 1) / 2 - 1;

bool isWordWrite(std::uint8_t type, const Bytes& value)
{
    return type == TypeWord && value.size() == 2;
}

} // namespace

UnitResponder::UnitResponder(UnitMemory memory) : m_memory(std::move(memory)) {}

void UnitResponder::setVariable(std::uint8_t variable, DataType type, Bytes value)
{
    m_variables[variable] = StoredValue{type, std::move(value)};
}

void UnitResponder::setStatusTable(std::vector<StatusEntry> entries)
{
    m_statusTable = std::move(entries);
    m_statusEntry = 0;
}

std::vector<Bytes> UnitResponder::answer(const Bytes& request)
{
    const std::uint8_t* header = request.data();
    const Address host = headerSource(header);
    const std::uint8_t command = headerCommand(header);
    const std::size_t n = headerDataLength(header);
    const std::uint8_t variable = n > 0 ? request[HeaderSize] : 0;

    if (command == CommandSearch)
        return answerSearch(request);
    if (command != CommandRead && command != CommandWrite)
        return {makeErrorPacket(host, variable, UnsupportedCommand)};
    if (n == 0)
        return {makeErrorPacket(host, variable, UnsupportedDataFormat)};

    if (command == CommandRead) {
        const Reply reply = read(variable);
        if (reply.error != 0)
            return {makeErrorPacket(host, variable, reply.error)};
        Bytes data(1 + reply.value.size());
        data[0] = variable;
        std::copy(reply.value.begin(), reply.value.end(), data.begin() + 1);
        return {makePacket(host, Address::broadcast(), command, reply.type, data)};
    }

    const auto valueBegin = request.begin() + static_cast<std::ptrdiff_t>(HeaderSize + 1);
    const Bytes value(valueBegin, valueBegin + static_cast<std::ptrdiff_t>(n - 1));
    const std::uint8_t error = write(variable, headerType(header), value);
    if (error != 0)
        return {makeErrorPacket(host, variable, error)};
    return {makePacket(host, Address::broadcast(), command, headerType(header), {})};
}

std::vector<Bytes> UnitResponder::answerSearch(const Bytes& request) const
{
    const Address host = headerSource(request.data());
    std::vector<Bytes> answers;
    for (const Address& point : m_points)
        answers.push_back(makePacket(host, point, CommandSearch, TypeNone, {}));
    return answers;
}

UnitResponder::Reply UnitResponder::wordReply(std::size_t w)
{
    Bytes value(2);
    wire::putLe16(value.data(), static_cast<std::uint16_t>(std::min<std::size_t>(w, 0xFFFF)));
    return Reply{0, TypeWord, value};
}

UnitResponder::Reply UnitResponder::textReply(const wxString& text)
{
    return Reply{0, TypeWideText, wideTextBytes(text, MaxTextUnits)};
}

UnitResponder::Reply UnitResponder::read(std::uint8_t variable)
{
    const UnitMemory::Table* table = currentTable();
    switch (variable) {
    case VarRecordStatus:
        if (m_hasStatusVariable)
            return readStatus();
        break;
    case VarTable:
        if (table)
            return textReply(table->header);
        break;
    case VarRecordCount:
        if (table)
            return wordReply(table->records.size());
        break;
    case VarRecord:
        if (const wxString* record = currentRecord())
            return textReply(*record);
        break;
    default:
        break;
    }

    if (m_statusTable) {
        if (variable == VarStatusCount)
            return byteReply(static_cast<std::uint8_t>(std::min<std::size_t>(m_statusTable->size(), 255)));
        if (variable == VarStatusSelect && m_statusEntry < m_statusTable->size())
            return textReply((*m_statusTable)[m_statusEntry].text);
        if (variable == VarStatusKind)
            return readStatusEntryKind();
    }

    const auto stored = m_variables.find(variable);
    if (stored != m_variables.end())
        return Reply{0, stored->second.type, stored->second.value};
    return failure(UnknownVariable);
}

std::uint8_t UnitResponder::write(std::uint8_t variable, std::uint8_t type, const Bytes& value)
{
    switch (variable) {
    case VarTable:
        if (!m_hasTableSelection)
            return UnknownVariable;
        return isWordWrite(type, value) ? selectTable(wire::le16(value.data())) : std::uint8_t{UnsupportedDataFormat};
    case VarRecordCount:
        return isWordWrite(type, value) ? clearMemory(wire::le16(value.data())) : std::uint8_t{UnsupportedDataFormat};
    case VarRecord:
        return isWordWrite(type, value) ? selectRecord(wire::le16(value.data())) : std::uint8_t{UnsupportedDataFormat};
    case VarRecordStatus:
        return m_hasStatusVariable ? std::uint8_t{UnsupportedCommand} : std::uint8_t{UnknownVariable};
    default:
        break;
    }

    if (m_statusTable) {
        if (variable == VarStatusSelect)
            return type == TypeByte && value.size() == 1 ? selectStatusEntry(value[0])
                                                         : std::uint8_t{UnsupportedDataFormat};
        if (variable == VarStatusCount || variable == VarStatusKind)
            return UnsupportedCommand;
    }

    const auto stored = m_variables.find(variable);
    if (stored == m_variables.end())
        return UnknownVariable;
    stored->second = StoredValue{static_cast<DataType>(type), value};
    return NoError;
}

UnitResponder::Reply UnitResponder::readStatus()
{
    if (m_busyLeft < 0)
        return byteReply(2);
    if (m_busyLeft > 0) {
        --m_busyLeft;
        return byteReply(2);
    }
    return byteReply(0);
}

UnitResponder::Reply UnitResponder::readStatusEntryKind() const
{
    if (m_statusEntry >= m_statusTable->size() || !(*m_statusTable)[m_statusEntry].kind)
        return failure(UnknownVariable);
    return byteReply(*(*m_statusTable)[m_statusEntry].kind);
}

std::uint8_t UnitResponder::selectTable(std::uint16_t table)
{
    if (table >= m_memory.tableCount())
        return UnknownVariable;
    m_table = table;
    m_record.reset();
    return NoError;
}

std::uint8_t UnitResponder::selectRecord(std::uint16_t record)
{
    const UnitMemory::Table* table = currentTable();
    if (!table || record >= table->records.size())
        return UnknownVariable;
    m_record = record;
    m_busyLeft = m_busyPolls;
    return NoError;
}

std::uint8_t UnitResponder::clearMemory(std::uint16_t value)
{
    if (value != 0)
        return UnsupportedDataFormat;
    m_memory.clearRecords();
    m_record.reset();
    return NoError;
}

std::uint8_t UnitResponder::selectStatusEntry(std::uint8_t entry)
{
    if (entry >= m_statusTable->size())
        return UnknownVariable;
    m_statusEntry = entry;
    return NoError;
}

const UnitMemory::Table* UnitResponder::currentTable() const
{
    const std::size_t index = m_hasTableSelection ? m_table : 0;
    return index < m_memory.tableCount() ? &m_memory.tables()[index] : nullptr;
}

const wxString* UnitResponder::currentRecord() const
{
    const UnitMemory::Table* table = currentTable();
    if (!table || !m_record || *m_record >= table->records.size())
        return nullptr;
    return &table->records[*m_record];
}

} // namespace morva_sim
