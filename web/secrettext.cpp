#include "web/secrettext.h"

#include <openssl/crypto.h>

SecretText::~SecretText()
{
    // The whole buffer: a shrunk string's tail may still hold secret bytes.
    m_text.resize(m_text.capacity());
    OPENSSL_cleanse(m_text.data(), m_text.size());
}
