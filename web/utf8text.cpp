#include "web/utf8text.h"

namespace {

bool continuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

} // namespace

std::size_t Utf8Text::CharacterLength(std::string_view text)
{
    if (text.empty())
        return 0;
    const auto lead = static_cast<unsigned char>(text[0]);
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    unsigned char low = 0x80; // the allowed range of the second byte
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0; // overlong
        else if (lead == 0xED)
            high = 0x9F; // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90; // overlong
        else if (lead == 0xF4)
            high = 0x8F; // above U+10FFFF
    } else {
        return 0;
    }
    if (text.size() < length)
        return 0;
    const auto second = static_cast<unsigned char>(text[1]);
    if (second < low || second > high)
        return 0;
    for (std::size_t at = 2; at < length; ++at)
        if (!continuation(static_cast<unsigned char>(text[at])))
            return 0;
    return length;
}

std::size_t Utf8Text::ValidPrefix(std::string_view text)
{
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t length = CharacterLength(text.substr(at));
        if (length == 0)
            break;
        at += length;
    }
    return at;
}

bool Utf8Text::StartsWithControl(std::string_view text)
{
    if (text.empty())
        return false;
    const auto lead = static_cast<unsigned char>(text[0]);
    if (lead < 0x20 || lead == 0x7F)
        return true;
    // U+0080 to U+009F are C2 80 to C2 9F.
    return lead == 0xC2 && text.size() >= 2 && static_cast<unsigned char>(text[1]) <= 0x9F;
}

std::string Utf8Text::Shown(std::string_view text, std::size_t limit)
{
    std::string shown;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t length = CharacterLength(text.substr(at));
        if (length == 0 || shown.size() + length > limit)
            break;
        if (StartsWithControl(text.substr(at)))
            shown += '?';
        else
            shown.append(text.substr(at, length));
        at += length;
    }
    if (at < text.size())
        shown += "...";
    return shown;
}
