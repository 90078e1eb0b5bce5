#ifndef MORVA_VELOX_PACE_H
#define MORVA_VELOX_PACE_H

#include <optional>
#include <string>

namespace morva_velox {

// How the host paces its reads of the port.
//
// Design: every port read pauses 20 ms before it looks at the line, so an
// answer costs at least 20 ms for its header and 20 ms for its data block
// whatever the line can carry.
//
// Line: a port read starts at once and returns as soon as the bytes it asks
// for have arrived; a read that brings nothing still lasts the 20 ms, and
// the status of a record that is not ready is asked no more often than
// every 20 ms. The deadlines, resends and requests are those of the design
// pace.
enum class Pace { Design, Line };

// "design" or "line".
const char* paceName(Pace pace);

// The pace a name stands for, in any letter case; nothing for any other text.
std::optional<Pace> paceFromName(std::string name);

} // namespace morva_velox

#endif
