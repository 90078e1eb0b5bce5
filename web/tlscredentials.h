#ifndef MORVA_WEB_TLSCREDENTIALS_H
#define MORVA_WEB_TLSCREDENTIALS_H

#include "web/secrettext.h"

#include <wx/string.h>

#include <string>

typedef struct ssl_ctx_st SSL_CTX;

// The server's certificate (PEM, with the chain after it) and its private
// key, read from their files by their wide names and handed to a TLS
// context of TLS 1.2 or later.
class TlsCredentials {
public:
    // Throws std::runtime_error with the reason when a file cannot be read
    // or holds no certificate or key, or the key is not the certificate's.
    TlsCredentials(const wxString& certificateFile, const wxString& keyFile);

    // Puts them into `context`; false when OpenSSL refuses them.
    bool Apply(SSL_CTX& context) const;

private:
    std::string m_certificate;
    SecretText m_key;
};

#endif
