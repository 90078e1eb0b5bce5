#ifndef MORVA_VELOX_LSINGLE_H
#define MORVA_VELOX_LSINGLE_H

#include <cstdint>

namespace morva_velox {

// 16-bit decimal floating value: mantissa m in bits 0-9 (0..1023), signed
// 6-bit exponent E in bits 10-15; the value is m * 10^(E - 2). Only positive
// values are encoded; the pattern 0 is the value 0.
struct LSingle {
    std::uint32_t pattern = 0;

    static LSingle fromFloat(float x);
    float toFloat() const;

    unsigned mantissa() const { return pattern & 0x3FF; }
    int exponent() const;

    static LSingle fromParts(unsigned mantissa, int exponent);

    friend bool operator==(const LSingle& a, const LSingle& b) { return a.pattern == b.pattern; }
    friend bool operator!=(const LSingle& a, const LSingle& b) { return !(a == b); }
};

} // namespace morva_velox

#endif
