#include "buslib/model/statusmessage.h"

namespace morva_velox {

StatusMessage::StatusMessage(const wxString& text, int kind)
    : m_text(text)
    , m_style(kind)
{
}

} // namespace morva_velox
