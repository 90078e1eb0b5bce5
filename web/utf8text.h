#ifndef MORVA_WEB_UTF8TEXT_H
#define MORVA_WEB_UTF8TEXT_H

#include <cstddef>
#include <string>
#include <string_view>

// UTF-8 as a browser or a script may send it, checked strictly: no
// overlong forms, no surrogates, nothing above U+10FFFF.
class Utf8Text {
public:
    // The bytes of the first character of `text`, or 0 when `text` is
    // empty or does not start with a whole, valid character.
    static std::size_t CharacterLength(std::string_view text);

    // How many bytes at the start of `text` are whole, valid characters.
    static std::size_t ValidPrefix(std::string_view text);

    static bool Valid(std::string_view text) { return ValidPrefix(text) == text.size(); }

    // At most `limit` bytes of `text` to show in a message: its valid
    // characters up to the first invalid byte, never a character cut in
    // two, control characters as "?", and "..." where anything was left
    // out.
    static std::string Shown(std::string_view text, std::size_t limit);

    // A C0 control character, DEL, or a C1 control character (U+0080 to
    // U+009F) as the first character of `text`, which is valid.
    static bool StartsWithControl(std::string_view text);
};

#endif
