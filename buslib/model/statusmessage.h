#ifndef MORVA_VELOX_STATUSMESSAGE_H
#define MORVA_VELOX_STATUSMESSAGE_H

#include "buslib/model/messagestyle.h"

#include <wx/string.h>

namespace morva_velox {

// A text for the operator with the style it is shown in. The empty message
// has no text and kind -1.
class StatusMessage {
public:
    StatusMessage() = default;
    StatusMessage(const wxString& text, int kind);

    const wxString& text() const { return m_text; }
    const MessageStyle& style() const { return m_style; }
    int kind() const { return m_style.kind(); }

private:
    wxString m_text;
    MessageStyle m_style;
};

} // namespace morva_velox

#endif
