#ifndef MORVA_PORTTABLE_H
#define MORVA_PORTTABLE_H

#include "reading/portmap.h"

#include <string>

// The detected ports of `ports`, one line each: the COM name it answers to,
// the device, the stable path, the description and the USB ids. For a
// terminal the columns are aligned under a heading and empty fields show
// "-"; otherwise the fields are separated by tabs, for scripts. Empty when
// no port was detected.
std::string PortTable(const PortMap& ports, bool forTerminal);

#endif
