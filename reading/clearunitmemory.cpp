#include "reading/clearunitmemory.h"

#include <wx/defs.h>
#include <wx/intl.h>

ClearOutcome ClearUnitMemory(const std::string& port, int baud,
                             const morva_velox::SerialPortVeloxProtocol::Trace& trace,
                             morva_velox::Pace pace)
{
    morva_velox::SerialPortVeloxProtocol protocol(port, false, baud, 'N', 8, 0);
    protocol.setTrace(trace);
    protocol.setPace(pace);
    try {
        protocol.clearMemory();
        return {true, _("Unit memory cleaned successfully"), wxOK | wxCENTRE | wxICON_INFORMATION};
    } catch (const morva_velox::Exception&) {
        return {false, _("Fault while cleaning unit memory"), wxOK | wxCENTRE | wxICON_ERROR};
    }
}
