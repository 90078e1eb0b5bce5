#ifndef MORVA_VELOX_STATUSTABLEREADER_H
#define MORVA_VELOX_STATUSTABLEREADER_H

#include "buslib/model/statustable.h"
#include "buslib/protocol/address.h"
#include "buslib/protocol/serialportveloxprotocol.h"

namespace morva_velox {

// A point's own status codes, read through the engine: variable 250 the
// count, a write of i - 1 to 251 selects code i, then 251 its text and 249
// its message kind (the default kind of the code when the point has none).
// Throws Exception when the point gives no table.
StatusTable readStatusTable(SerialPortVeloxProtocol& engine, const Address& unit);

} // namespace morva_velox

#endif
