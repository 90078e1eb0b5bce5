#ifndef MORVA_VELOX_WIDETEXT_WIN32_H
#define MORVA_VELOX_WIDETEXT_WIN32_H

// Windows only: the program keeps its texts in UTF-8, the system's
// wide-character calls take and give UTF-16.

#include <cstddef>
#include <string>

namespace morva_velox {

// UTF-8 text as UTF-16 (a byte that is not UTF-8 becomes U+FFFD).
std::wstring WideFromUtf8(const std::string& text);
// `length` UTF-16 characters as UTF-8.
std::string Utf8FromWide(const wchar_t* text, std::size_t length);
// UTF-16 text up to its first null character, as UTF-8.
std::string Utf8FromWide(const wchar_t* text);

} // namespace morva_velox

#endif
