#include "reading/clearunitmemory.h"

#include "reading/portopenfailure.h"

#include <wx/defs.h>
#include <wx/intl.h>

wxString ClearPortLine(const wxString& portLabel)
{
    return wxString::Format(_("Serial port: %s"), portLabel);
}

wxString ClearQuestion(const wxString& portLabel)
{
    return _("Are you sure you want to clear unit memory? Erased data could not be restored") + "\n"
        + ClearPortLine(portLabel);
}

ClearOutcome ClearUnitMemory(const ChosenPort& port, int baud,
                             const morva_velox::SerialPortVeloxProtocol::Trace& trace,
                             morva_velox::Pace pace)
{
    morva_velox::SerialPortVeloxProtocol protocol(port.device, false, baud, 'N', 8, 0);
    protocol.setTrace(trace);
    protocol.setPace(pace);
    try {
        protocol.clearMemory();
        return {true, _("Unit memory cleaned successfully"), wxOK | wxCENTRE | wxICON_INFORMATION};
    } catch (const morva_velox::Exception&) {
        wxString message = _("Fault while cleaning unit memory");
        if (!protocol.isOpen())
            message += "\n" + SerialPortErrorText(port, protocol, baud);
        return {false, message, wxOK | wxCENTRE | wxICON_ERROR};
    }
}
