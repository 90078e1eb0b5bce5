#ifndef MORVA_VELOX_MESSAGESTYLE_H
#define MORVA_VELOX_MESSAGESTYLE_H

#include <cstdint>

namespace morva_velox {

// A colour as red, green and blue components. The library stays free of GUI
// classes; a window that draws a message converts it to its own colour type.
struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;

    friend constexpr bool operator==(const Rgb& a, const Rgb& b)
    {
        return a.red == b.red && a.green == b.green && a.blue == b.blue;
    }
    friend constexpr bool operator!=(const Rgb& a, const Rgb& b) { return !(a == b); }
};

// The toolkit's stock colours that the message styles use.
namespace colours {
constexpr Rgb Black{0, 0, 0};
constexpr Rgb White{255, 255, 255};
constexpr Rgb Green{0, 255, 0};
constexpr Rgb Red{255, 0, 0};
constexpr Rgb ErrorYellow{255, 250, 0};
} // namespace colours

// Message kinds of a status message.
enum MessageKind : int {
    MessageNone = -1,
    MessageInformation = 0,
    MessageError = 1,
    MessageThreshold = 2,
};

// How a status message is shown: its kind, a background and a text colour,
// and whether it asks for attention.
class MessageStyle {
public:
    // The style of a message kind:
    //   0 information  green with white
    //   1 error        RGB (255, 250, 0) with black
    //   2 threshold    red with white, alerting
    //   other          green with black
    explicit MessageStyle(int kind = MessageNone);

    int kind() const { return m_kind; }
    Rgb background() const { return m_background; }
    Rgb foreground() const { return m_foreground; }
    bool alert() const { return m_alert; }

private:
    int m_kind;
    Rgb m_background;
    Rgb m_foreground;
    bool m_alert;
};

} // namespace morva_velox

#endif
