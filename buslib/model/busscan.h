#ifndef MORVA_VELOX_BUSSCAN_H
#define MORVA_VELOX_BUSSCAN_H

#include "buslib/protocol/address.h"

#include <wx/string.h>

namespace morva_velox {

class PointsCollection;

// How long the bus scan collects answers, and how long findPoint listens.
constexpr unsigned ScanAnswerTimeMs = 9216;
constexpr unsigned ListenTimeMs = 1000;

// Asks every point on the bus at `portName` to answer and fills the
// collection with one point per answer, in the order of the answers.
// True when at least one point answered.
bool scanPoints(const wxString& portName, PointsCollection& collection);

// Listens on the bus without asking; true with the address of the first
// point that is heard.
bool findPoint(const wxString& portName, Address& address);

} // namespace morva_velox

#endif
