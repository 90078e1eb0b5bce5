#include "buslib/model/messagestyle.h"

namespace morva_velox {

MessageStyle::MessageStyle(int kind)
    : m_kind(kind)
    , m_background(colours::Green)
    , m_foreground(colours::Black)
    , m_alert(false)
{
    switch (kind) {
    case MessageInformation:
        m_foreground = colours::White;
        break;
    case MessageError:
        m_background = colours::ErrorYellow;
        break;
    case MessageThreshold:
        m_background = colours::Red;
        m_foreground = colours::White;
        m_alert = true;
        break;
    default:
        break;
    }
}

} // namespace morva_velox
