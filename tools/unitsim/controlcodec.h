#ifndef MORVA_SIM_CONTROLCODEC_H
#define MORVA_SIM_CONTROLCODEC_H

// The text forms in which the simulator's control channel carries bytes,
// memories and fault rules: one line per command, space-separated fields,
// bytes as hexadecimal ("-" for none). Shared by the simulator program and
// the test-side client, so that both read and write the same forms.

#include "tools/unitsim/faultrule.h"
#include "tools/unitsim/packetbytes.h"
#include "tools/unitsim/unitmemory.h"

#include <string>

namespace morva_sim {

std::string hexOf(const Bytes& bytes);
// Throws std::invalid_argument on anything but pairs of hex digits or "-".
Bytes bytesOfHex(const std::string& hex);

// The memory as its UTF-8 text (the memory file's form), in hexadecimal.
std::string encodeMemory(const UnitMemory& memory);
UnitMemory decodeMemory(const std::string& hex);

// Nine fields: kind, count, error code, delay in ms, bytes, request index,
// command, variable (each "-" when absent) and times.
std::string encodeFaultRule(const FaultRule& rule);
// Throws std::invalid_argument when the fields do not form a rule.
FaultRule decodeFaultRule(const std::string& fields);

} // namespace morva_sim

#endif
