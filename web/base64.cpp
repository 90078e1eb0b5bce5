#include "web/base64.h"

#include <openssl/evp.h>

std::string EncodeBase64(const std::string& bytes)
{
    std::string text(4 * ((bytes.size() + 2) / 3), '\0');
    const int written = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(text.data()),
                                        reinterpret_cast<const unsigned char*>(bytes.data()),
                                        static_cast<int>(bytes.size()));
    text.resize(static_cast<std::size_t>(written));
    return text;
}

bool DecodeBase64(const std::string& text, std::string& bytes)
{
    static const char* const Alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const auto end = text.find_first_not_of(Alphabet);
    const std::size_t padding = end == std::string::npos ? 0 : text.size() - end;
    if (text.empty() || text.size() % 4 != 0 || padding > 2
        || (padding > 0 && text.find_first_not_of('=', end) != std::string::npos))
        return false;
    bytes.assign(text.size() / 4 * 3, '\0');
    // EVP_DecodeBlock counts the zero bytes the padding stands for.
    if (EVP_DecodeBlock(reinterpret_cast<unsigned char*>(bytes.data()),
                        reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()))
        < 0)
        return false;
    bytes.resize(bytes.size() - padding);
    return true;
}
