#ifndef MORVA_WEB_PASSWORDHASH_H
#define MORVA_WEB_PASSWORDHASH_H

#include <string>

// The password of the web view, kept only as a salted slow hash in one
// self-describing text: "pbkdf2-sha256$ITERATIONS$SALT$HASH" (PBKDF2 with
// HMAC-SHA256, a random 16-byte salt, salt and hash in base64).

// A fresh hash of `password` with a new random salt. Throws
// std::runtime_error when the system has no random bytes to give.
std::string HashPassword(const std::string& password);

// Whether `password` is the one `stored` was made of. false, never a throw,
// for any text that is no such hash; a settings file naming an absurd work
// factor is refused rather than obeyed.
bool PasswordMatches(const std::string& password, const std::string& stored);

#endif
