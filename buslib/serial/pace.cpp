#include "buslib/serial/pace.h"

#include <algorithm>
#include <cctype>

namespace morva_velox {

const char* paceName(Pace pace) { return pace == Pace::Line ? "line" : "design"; }

std::optional<Pace> paceFromName(std::string name)
{
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const Pace pace : {Pace::Design, Pace::Line}) {
        if (name == paceName(pace))
            return pace;
    }
    return std::nullopt;
}

} // namespace morva_velox
