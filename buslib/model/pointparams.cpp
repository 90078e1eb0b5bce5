#include "buslib/model/pointparams.h"

#include "buslib/serial/error.h"

namespace morva_velox {

PointParams::PointParams()
    : m_packed{0x50, 0x01, 0x01, 0x00, 0, 0, 0, 0, 0xFF}
    , m_word(0x00FF)
    , m_stateText(errorText(UnknownVariable))
{
}

} // namespace morva_velox
