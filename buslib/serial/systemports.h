#ifndef MORVA_VELOX_SYSTEMPORTS_H
#define MORVA_VELOX_SYSTEMPORTS_H

#include "buslib/serial/portenumerator.h"

#include <string>

namespace morva_velox {

// The serial ports the operating system knows of, asked afresh at every
// call. Each platform implements it in a source file of its own.
class SystemPortEnumerator : public PortEnumerator {
public:
    // The machine's own ports.
    SystemPortEnumerator();
    // Where sysfs and /dev are kept (Linux): the ports of the tree under
    // `sysRoot` ("/sys") with their nodes and stable links under `devRoot`
    // ("/dev"). Any other tree than the machine's, a test's fixture, is
    // read alone, without the system's port library. Windows has no such
    // trees and lists its own ports whatever is given.
    SystemPortEnumerator(std::string sysRoot, std::string devRoot);

    std::vector<SerialPortInfo> ports() const override;

    // True where the system itself names its ports COM1, COM2, ... (Windows);
    // elsewhere COMn is the n-th port in the program's own order.
    static bool portsHaveComNames();

private:
    std::string m_sysRoot;
    std::string m_devRoot;
};

} // namespace morva_velox

#endif
