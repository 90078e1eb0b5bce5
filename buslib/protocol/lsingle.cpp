#include "buslib/protocol/lsingle.h"

#include <cmath>

namespace morva_velox {

namespace {

constexpr float Largest = 9.99e31f;
constexpr float Smallest = 9.99e-31f;
constexpr float LowestScaled = 102.4f;
constexpr unsigned MantissaMax = 1023;

float clampMagnitude(float v)
{
    if (!(v < Largest))
        v = Largest;
    if (!(v > Smallest))
        v = Smallest;
    return v;
}

// 10^e by repeated multiplication in single precision.
float powerOfTen(int e)
{
    float p = 1.0f;
    for (int i = 0; i < std::abs(e); ++i)
        p *= 10.0f;
    return e < 0 ? 1.0f / p : p;
}

} // namespace

LSingle LSingle::fromParts(unsigned mantissa, int exponent)
{
    return LSingle{(mantissa & 0x3FFu) | ((static_cast<unsigned>(exponent) & 0x3Fu) << 10)};
}

int LSingle::exponent() const
{
    const int raw = static_cast<int>((pattern >> 10) & 0x3F);
    return raw >= 32 ? raw - 64 : raw;
}

LSingle LSingle::fromFloat(float x)
{
    if (!(x > 0.0f))
        return LSingle{};
    x = clampMagnitude(x);

    int k = 2;
    while (x > 1024.0f) {
        x = x / 10.0f;
        ++k;
    }
    float y;
    do {
        y = x;
        --k;
        x = y * 10.0f;
    } while (!(y >= LowestScaled));

    unsigned m = static_cast<unsigned>(y + 0.5f);
    // y of 1023.5 or more rounds to 1024, one past the mantissa's range:
    // keep the nearest value the format can hold.
    if (m > MantissaMax)
        m = MantissaMax;
    return fromParts(m, k + 1);
}

float LSingle::toFloat() const
{
    const float v = powerOfTen(exponent() - 2) * static_cast<float>(mantissa());
    if (v == 0.0f || std::isnan(v))
        return v;
    return clampMagnitude(v);
}

} // namespace morva_velox
