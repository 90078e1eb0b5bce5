#ifndef MORVA_PORTNAMES_H
#define MORVA_PORTNAMES_H

#include <wx/string.h>

#include <string>

class wxConfigBase;

// The group of the settings file that maps port names to devices, for
// example COM1=/dev/serial/by-id/usb-...: a name that survives replugging.
extern const char* const PortsGroup;

// The name to open for the port the operator chose: the device that the
// settings' "/ports" group names for it, else the name itself (which the bus
// library maps in its own way). `settings` may be null.
std::string ResolvePortName(const wxString& port, const wxConfigBase* settings);

#endif
