#include "reading/portnames.h"

#include <wx/confbase.h>

const char* const PortsGroup = "/ports";

std::string ResolvePortName(const wxString& port, const wxConfigBase* settings)
{
    wxString device;
    if (settings && !port.empty()) {
        const wxString key = wxString(PortsGroup) + "/" + port.Upper();
        if (settings->Read(key, &device) && !device.Trim().Trim(false).empty())
            return std::string(device.utf8_str());
    }
    return std::string(port.utf8_str());
}
