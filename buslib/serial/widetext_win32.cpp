#include "buslib/serial/widetext_win32.h"

#include <climits>
#include <cwchar>

#include <windows.h>

namespace morva_velox {

std::wstring WideFromUtf8(const std::string& text)
{
    if (text.empty() || text.size() > INT_MAX)
        return {};
    const int length = static_cast<int>(text.size());
    const int size = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), length, nullptr, 0);
    if (size <= 0)
        return {};
    std::wstring result(static_cast<std::size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), length, result.data(), size);
    return result;
}

std::string Utf8FromWide(const wchar_t* text, std::size_t length)
{
    if (text == nullptr || length == 0 || length > INT_MAX)
        return {};
    const int wideLength = static_cast<int>(length);
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, wideLength, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return {};
    std::string result(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text, wideLength, result.data(), size, nullptr, nullptr);
    return result;
}

std::string Utf8FromWide(const wchar_t* text)
{
    return text == nullptr ? std::string() : Utf8FromWide(text, std::wcslen(text));
}

} // namespace morva_velox
