#ifndef MORVA_CLEARUNITMEMORY_H
#define MORVA_CLEARUNITMEMORY_H

#include "reading/portmap.h"
#include "buslib/protocol/serialportveloxprotocol.h"

#include <wx/string.h>

#include <string>

// Outcome of clearing the unit's memory: the text and message-box style the
// operator is shown.
struct ClearOutcome {
    bool ok;
    wxString message;
    long style;
};

// Erases the unit's nonvolatile memory with one request on an engine of its
// own, opened on `port` at `baud`, read in `pace`. When the port does not
// open, the message says why.
ClearOutcome ClearUnitMemory(const ChosenPort& port, int baud,
                             const morva_velox::SerialPortVeloxProtocol::Trace& trace = {},
                             morva_velox::Pace pace = morva_velox::Pace::Design);

#endif
