#ifndef MORVA_SIM_UNITRESPONDER_H
#define MORVA_SIM_UNITRESPONDER_H

#include "tools/unitsim/packetbytes.h"
#include "tools/unitsim/statusentry.h"
#include "tools/unitsim/unitmemory.h"

#include "buslib/protocol/address.h"
#include "buslib/protocol/datatypes.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace morva_sim {

// The unit's side of the bus protocol, without any I/O: takes one request
// packet (its checksums already checked) and gives the answer packets.
// Keeps the unit's state between requests: the selected table, the
// selected record and how long the record is still being prepared.
class UnitResponder {
public:
    explicit UnitResponder(UnitMemory memory);

    // The answer packets in the order they go on the line: none, one, or
    // one per point for a bus search.
    std::vector<Bytes> answer(const Bytes& request);

    void setHasTableSelection(bool has) { m_hasTableSelection = has; }
    void setHasStatusVariable(bool has) { m_hasStatusVariable = has; }
    void setStatusBusyPolls(int polls) { m_busyPolls = polls; }
    void setSearchAnswers(std::vector<morva_velox::Address> points) { m_points = std::move(points); }
    void setVariable(std::uint8_t variable, morva_velox::DataType type, Bytes value);
    void setStatusTable(std::vector<StatusEntry> entries);

    const UnitMemory& memory() const { return m_memory; }

private:
    // A read's value, or the error code that answers it.
    struct Reply {
        std::uint8_t error = 0;
        std::uint8_t type = morva_velox::TypeNone;
        Bytes value;
    };
    struct StoredValue {
        morva_velox::DataType type;
        Bytes value;
    };

    static Reply failure(std::uint8_t code) { return Reply{code, morva_velox::TypeNone, {}}; }
    static Reply byteReply(std::uint8_t b) { return Reply{0, morva_velox::TypeByte, {b}}; }
    static Reply wordReply(std::size_t w);
    static Reply textReply(const wxString& text);

    std::vector<Bytes> answerSearch(const Bytes& request) const;
    Reply read(std::uint8_t variable);
    // The error code of a write, 0 when it was taken.
    std::uint8_t write(std::uint8_t variable, std::uint8_t type, const Bytes& value);

    Reply readStatus();
    Reply readStatusEntryKind() const;
    std::uint8_t selectTable(std::uint16_t table);
    std::uint8_t selectRecord(std::uint16_t record);
    std::uint8_t clearMemory(std::uint16_t value);
    std::uint8_t selectStatusEntry(std::uint8_t entry);

    // The table the memory operations work on; null when there is none.
    const UnitMemory::Table* currentTable() const;
    const wxString* currentRecord() const;

    UnitMemory m_memory;
    bool m_hasTableSelection = true;
    bool m_hasStatusVariable = true;
    int m_busyPolls = 0;
    std::vector<morva_velox::Address> m_points;
    std::map<std::uint8_t, StoredValue> m_variables;
    std::optional<std::vector<StatusEntry>> m_statusTable;

    std::size_t m_table = 0;
    std::optional<std::size_t> m_record;
    int m_busyLeft = 0;
    std::size_t m_statusEntry = 0;
};

} // namespace morva_sim

#endif
