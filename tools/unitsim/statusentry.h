#ifndef MORVA_SIM_STATUSENTRY_H
#define MORVA_SIM_STATUSENTRY_H

#include <wx/string.h>

#include <cstdint>
#include <optional>

namespace morva_sim {

// One entry of a point's status table: its text (variable 251) and its
// message kind (variable 249); without a kind, reading 249 for this entry
// is answered with "Unknown variable".
struct StatusEntry {
    wxString text;
    std::optional<std::uint8_t> kind;
};

} // namespace morva_sim

#endif
