#include "reading/portopenfailure.h"

#include "buslib/serial/error.h"
#include "buslib/serial/platform.h"
#include "buslib/serial/serialport.h"

#include <wx/intl.h>

using morva_velox::platform::OpenFailure;

namespace {

wxString fromUtf8(const std::string& text) { return wxString::FromUTF8(text.c_str()); }

// The device the bus library tried to open for the port: a name it maps
// (COMn), else the name as it stands.
wxString deviceOf(const ChosenPort& port)
{
    const std::string mapped = morva_velox::platform::devicePath(port.device);
    return fromUtf8(mapped.empty() ? port.device : mapped);
}

wxString noDeviceText(const ChosenPort& port, const wxString& device)
{
    if (device.empty())
        return _("No serial port is chosen.");
    if (port.name.empty() || port.name.IsSameAs(device, false))
        return wxString::Format(_("The device %s does not exist."), device);
    return wxString::Format(_("The device %s, which %s stands for, does not exist."), device, port.name);
}

wxString accessDeniedText(const wxString& device, const wxString& group)
{
    if (group.empty())
        return wxString::Format(_("You may not open %s (permission denied)."), device);
    return wxString::Format(_("You may not open %s: add your user to the group \"%s\" "
                              "(sudo usermod -a -G %s $USER), then log out and in again."),
                            device, group, group);
}

} // namespace

wxString PortOpenFailureText(const ChosenPort& port, const morva_velox::SerialPort& serial, int baud)
{
    const OpenFailure& failure = serial.openFailure();
    const wxString device = deviceOf(port);
    switch (failure.reason) {
    case OpenFailure::None: return {};
    case OpenFailure::NoDevice: return noDeviceText(port, device);
    case OpenFailure::AccessDenied: return accessDeniedText(device, fromUtf8(failure.deviceGroup));
    case OpenFailure::InUse:
        return wxString::Format(_("%s is in use by another program. Close that program and try again."),
                                device);
    case OpenFailure::NotSerialPort: return wxString::Format(_("%s is not a serial port."), device);
    case OpenFailure::BaudRateUnsupported:
        return wxString::Format(_("%s does not support %d baud."), device, baud);
    case OpenFailure::Other:
        return wxString::Format(_("%s cannot be opened: %s"), device, fromUtf8(failure.systemMessage));
    }
    return {};
}

wxString SerialPortErrorText(const ChosenPort& port, const morva_velox::SerialPort& serial, int baud)
{
    const wxString reason = PortOpenFailureText(port, serial, baud);
    const wxString error = morva_velox::errorText(morva_velox::SerialPortError);
    return reason.empty() ? error : error + "\n" + reason;
}
