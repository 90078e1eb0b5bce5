#ifndef MORVA_VELOX_ALGORITHM_H
#define MORVA_VELOX_ALGORITHM_H

#include <wx/string.h>

#include <cstdint>
#include <vector>

namespace morva_velox {

// A measuring algorithm of a point, as the point's algorithm read delivers
// it. The library does not interpret the fields; it keeps them as read.
struct Algorithm {
    std::uint32_t code = 0;
    wxString name;
    wxString description;
    float factor = 0.0f;
    std::int32_t number = 0;
    std::uint8_t option = 0;
};

// The algorithms of a point, in the order the point gave them.
using Algorithms = std::vector<Algorithm>;

// The measuring algorithm a point currently uses. Its values are the
// device's own numbers and are carried unchanged.
enum MeasuringAlgorithm : std::int32_t {};

} // namespace morva_velox

#endif
