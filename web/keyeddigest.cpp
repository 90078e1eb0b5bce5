#include "web/keyeddigest.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>

#include <stdexcept>

KeyedDigest::KeyedDigest()
{
    if (RAND_bytes(m_key, sizeof m_key) != 1)
        throw std::runtime_error("no random bytes for the log-in's key");
}

KeyedDigest::~KeyedDigest()
{
    OPENSSL_cleanse(m_key, sizeof m_key);
}

std::string KeyedDigest::operator()(const std::string& text) const
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (!HMAC(EVP_sha256(), m_key, sizeof m_key, reinterpret_cast<const unsigned char*>(text.data()), text.size(),
              digest, &size))
        throw std::runtime_error("HMAC-SHA256 failed");
    return std::string(reinterpret_cast<const char*>(digest), size);
}
