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

// The question asked before the unit's memory is erased, with a line that
// names the port as the port list shows it (`portLabel`).
wxString ClearQuestion(const wxString& portLabel);

// The line that names the port whose unit is cleared.
wxString ClearPortLine(const wxString& portLabel);

// Erases the unit's nonvolatile memory with one request on an engine of its
// own, opened on `port` at `baud`, read in `pace`. When the port does not
// open, the message says why.
ClearOutcome ClearUnitMemory(const ChosenPort& port, int baud,
                             const morva_velox::SerialPortVeloxProtocol::Trace& trace = {},
                             morva_velox::Pace pace = morva_velox::Pace::Design);

#endif
