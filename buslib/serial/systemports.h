#ifndef MORVA_VELOX_SYSTEMPORTS_H
#define MORVA_VELOX_SYSTEMPORTS_H

#include "buslib/serial/portenumerator.h"

namespace morva_velox {

// The serial ports the operating system knows of, asked afresh at every
// call. Each platform implements it in a source file of its own.
class SystemPortEnumerator : public PortEnumerator {
public:
    std::vector<SerialPortInfo> ports() const override;

    // True where the system itself names its ports COM1, COM2, ... (Windows);
    // elsewhere COMn is the n-th port in the program's own order.
    static bool portsHaveComNames();
};

} // namespace morva_velox

#endif
