#ifndef MORVA_WEB_KEYEDDIGEST_H
#define MORVA_WEB_KEYEDDIGEST_H

#include <string>

// HMAC-SHA256 under a random key of its own, made when it is made and never
// kept anywhere: what the log-in remembers of a secret (a token, a header
// that was let in) is its digest, useless outside this process.
class KeyedDigest {
public:
    // Throws std::runtime_error when the system has no random bytes to give.
    KeyedDigest();
    ~KeyedDigest();
    KeyedDigest(const KeyedDigest&) = delete;
    KeyedDigest& operator=(const KeyedDigest&) = delete;

    // The 32 bytes of the digest of `text`.
    std::string operator()(const std::string& text) const;

private:
    unsigned char m_key[32];
};

#endif
