#include "buslib/protocol/address.h"

namespace morva_velox {

wxString Address::text() const
{
    return wxString::Format("%03d.%03d.%03d", word & 0xFF, word >> 8, byte);
}

} // namespace morva_velox
