#ifndef MORVA_PORTOPENFAILURE_H
#define MORVA_PORTOPENFAILURE_H

#include "reading/portmap.h"

#include <wx/string.h>

namespace morva_velox {
class SerialPort;
}

// Why `serial` did not open the port the operator chose, and what to do
// about it, in the current language: the line shown under "Serial port
// error". Empty when the system gave no reason.
wxString PortOpenFailureText(const ChosenPort& port, const morva_velox::SerialPort& serial, int baud);

// "Serial port error", with the reason on a line of its own when there is
// one.
wxString SerialPortErrorText(const ChosenPort& port, const morva_velox::SerialPort& serial, int baud);

#endif
