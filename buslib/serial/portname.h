#ifndef MORVA_VELOX_PORTNAME_H
#define MORVA_VELOX_PORTNAME_H

#include <string>

namespace morva_velox {

// The ports an operator chooses from: COM1 to COM256.
constexpr int LastComPort = 256;

// The number n of a port name "COMn" (letters in any case, n = 1 to
// LastComPort without leading zeros); 0 for any other name.
int comPortNumber(const std::string& portName);

} // namespace morva_velox

#endif
