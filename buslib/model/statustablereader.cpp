#include "buslib/model/statustablereader.h"

#include "buslib/protocol/datatypes.h"

namespace morva_velox {

StatusTable readStatusTable(SerialPortVeloxProtocol& engine, const Address& unit)
{
    const int count = engine.readByte(unit, VarStatusCount);
    StatusTable::Entries entries;
    for (int code = 1; code <= count; ++code) {
        engine.writeByte(unit, VarStatusSelect, static_cast<std::uint8_t>(code - 1));
        const wxString text = engine.readText(unit, VarStatusSelect);
        int kind;
        try {
            kind = engine.readByte(unit, VarStatusKind);
        } catch (const Exception&) {
            kind = defaultMessageKind(code);
        }
        entries[code] = StatusMessage(text, kind);
    }
    return StatusTable(entries);
}

} // namespace morva_velox
