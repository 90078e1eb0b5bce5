#ifndef MORVA_TESTS_CERTIFICATEAUTHORITY_H
#define MORVA_TESTS_CERTIFICATEAUTHORITY_H

// A certificate authority of the tests' own, made with OpenSSL: a fresh key
// and a self-signed certificate (written to <folder>/<name>.crt, the file a
// client names as its sslrootcert), which signs certificates for servers
// on this machine. Two authorities never trust each other's certificates.

#include <memory>
#include <string>

#include <openssl/types.h>

namespace morva_test {

class CertificateAuthority {
public:
    // Makes the key and the certificate, common name `name`, and writes
    // the certificate to <folder>/<name>.crt; `folder` must exist. Throws
    // std::runtime_error with OpenSSL's reason when any step fails.
    CertificateAuthority(const std::string& folder, const std::string& name);
    ~CertificateAuthority();
    CertificateAuthority(const CertificateAuthority&) = delete;
    CertificateAuthority& operator=(const CertificateAuthority&) = delete;

    const std::string& certificateFile() const { return m_certificateFile; }

    // Writes a certificate for a server on this machine (its names
    // 127.0.0.1 and localhost), signed by this authority, to
    // `certificateFile`, and its fresh key to `keyFile`, readable by its
    // owner alone.
    void issueServerCertificate(const std::string& certificateFile, const std::string& keyFile) const;

private:
    struct KeyFree {
        void operator()(EVP_PKEY* key) const;
    };
    struct CertificateFree {
        void operator()(X509* certificate) const;
    };
    using Key = std::unique_ptr<EVP_PKEY, KeyFree>;
    using Certificate = std::unique_ptr<X509, CertificateFree>;

    static Key newKey();
    static Certificate newCertificate(const std::string& commonName, EVP_PKEY* key);
    static void addExtension(X509* certificate, X509* issuer, int nid, const char* value);
    static void writeCertificate(X509* certificate, const std::string& file);
    static void writeKey(EVP_PKEY* key, const std::string& file);

    Key m_key;
    Certificate m_certificate;
    std::string m_certificateFile;
};

} // namespace morva_test

#endif
