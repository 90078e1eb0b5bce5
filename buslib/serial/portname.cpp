#include "buslib/serial/portname.h"

#include <cstddef>

namespace morva_velox {

int comPortNumber(const std::string& portName)
{
    if (portName.size() < 4 || portName.size() > 6 || portName[3] == '0')
        return 0;
    for (int i = 0; i < 3; ++i) {
        if ((portName[i] & ~0x20) != "COM"[i])
            return 0;
    }
    int n = 0;
    for (std::size_t i = 3; i < portName.size(); ++i) {
        if (portName[i] < '0' || portName[i] > '9')
            return 0;
        n = n * 10 + (portName[i] - '0');
    }
    return n <= LastComPort ? n : 0;
}

} // namespace morva_velox
