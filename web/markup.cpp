#include "web/markup.h"

#include "web/utf8text.h"

namespace {

bool unreserved(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.'
        || c == '_' || c == '~';
}

// Printable ASCII that a quoted file name may hold as it is, in every
// browser: no quote, backslash, percent sign (some decode it) nor slash.
bool plainInQuotes(char c)
{
    return c >= ' ' && c <= '~' && c != '"' && c != '\\' && c != '%' && c != '/';
}

// The name with every character that no file name should hold, and every
// byte that is not UTF-8, as "_".
std::string cleanName(std::string_view name)
{
    std::string clean;
    while (!name.empty()) {
        const std::size_t length = Utf8Text::CharacterLength(name);
        if (length == 0 || Utf8Text::StartsWithControl(name) || name[0] == '/' || name[0] == '\\')
            clean += '_';
        else
            clean.append(name.substr(0, length));
        name.remove_prefix(length == 0 ? 1 : length);
    }
    return clean;
}

std::string asciiFallback(std::string_view name)
{
    std::string ascii;
    while (!name.empty()) {
        const std::size_t length = Utf8Text::CharacterLength(name);
        ascii += plainInQuotes(name[0]) ? name[0] : '_';
        name.remove_prefix(length == 0 ? 1 : length);
    }
    return ascii;
}

} // namespace

std::string HtmlEscaped(std::string_view text)
{
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&': escaped += "&amp;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        case '"': escaped += "&quot;"; break;
        case '\'': escaped += "&#39;"; break;
        default: escaped += c;
        }
    }
    return escaped;
}

std::string UrlEncoded(std::string_view text)
{
    static constexpr char Hex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(text.size());
    for (const char c : text) {
        if (unreserved(c)) {
            encoded += c;
            continue;
        }
        const auto byte = static_cast<unsigned char>(c);
        encoded += '%';
        encoded += Hex[byte >> 4];
        encoded += Hex[byte & 0x0F];
    }
    return encoded;
}

std::string AttachmentHeader(const std::string& fileNameUtf8)
{
    const std::string name = cleanName(fileNameUtf8);
    return "attachment; filename=\"" + asciiFallback(name) + "\"; filename*=UTF-8''" + UrlEncoded(name);
}
