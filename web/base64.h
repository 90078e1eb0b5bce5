#ifndef MORVA_WEB_BASE64_H
#define MORVA_WEB_BASE64_H

#include <string>

// Base64 with padding (RFC 4648), over OpenSSL.
std::string EncodeBase64(const std::string& bytes);
// Strict: false for anything but whole, padded base64 without spaces.
// `bytes` is the caller's, so that a secret in it can be wiped.
bool DecodeBase64(const std::string& text, std::string& bytes);

#endif
