#include "web/tlscredentials.h"

#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>

#include <wx/ffile.h>

#include <memory>
#include <stdexcept>

namespace {

using Bio = std::unique_ptr<BIO, decltype(&BIO_free)>;
using Certificate = std::unique_ptr<X509, decltype(&X509_free)>;
using Key = std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)>;

// Reads the whole file into `bytes`.
void readFile(const wxString& path, const char* what, std::string& bytes)
{
    wxFFile file(path, "rb");
    const wxFileOffset size = file.IsOpened() ? file.Length() : -1;
    if (size < 0 || size > 1024 * 1024)
        throw std::runtime_error(std::string("cannot read the ") + what + " " + path.utf8_string());
    bytes.resize(static_cast<std::size_t>(size));
    if (file.Read(bytes.data(), bytes.size()) != bytes.size())
        throw std::runtime_error(std::string("cannot read the ") + what + " " + path.utf8_string());
}

Bio memoryOf(const std::string& bytes) { return Bio(BIO_new_mem_buf(bytes.data(), static_cast<int>(bytes.size())), BIO_free); }

// Puts the certificate, its chain and the key into the context.
bool load(SSL_CTX& context, const std::string& certificatePem, const std::string& keyPem)
{
    Bio certificates = memoryOf(certificatePem);
    Certificate leaf(PEM_read_bio_X509(certificates.get(), nullptr, nullptr, nullptr), X509_free);
    if (!leaf || SSL_CTX_use_certificate(&context, leaf.get()) != 1)
        return false;
    SSL_CTX_clear_chain_certs(&context);
    while (X509* next = PEM_read_bio_X509(certificates.get(), nullptr, nullptr, nullptr)) {
        if (SSL_CTX_add0_chain_cert(&context, next) != 1) {
            X509_free(next);
            return false;
        }
    }
    ERR_clear_error(); // the end of the chain reads as an error
    Bio keyBytes = memoryOf(keyPem);
    Key key(PEM_read_bio_PrivateKey(keyBytes.get(), nullptr, nullptr, nullptr), EVP_PKEY_free);
    return key && SSL_CTX_use_PrivateKey(&context, key.get()) == 1 && SSL_CTX_check_private_key(&context) == 1
        && SSL_CTX_set_min_proto_version(&context, TLS1_2_VERSION) == 1;
}

} // namespace

TlsCredentials::TlsCredentials(const wxString& certificateFile, const wxString& keyFile)
{
    readFile(certificateFile, "certificate", m_certificate);
    readFile(keyFile, "key", m_key.text());
    std::unique_ptr<SSL_CTX, decltype(&SSL_CTX_free)> trial(SSL_CTX_new(TLS_server_method()), SSL_CTX_free);
    if (!trial || !Apply(*trial))
        throw std::runtime_error("the certificate " + certificateFile.utf8_string() + " or its key "
                                 + keyFile.utf8_string() + " cannot be used: no PEM certificate and its own key");
}

bool TlsCredentials::Apply(SSL_CTX& context) const
{
    const bool applied = load(context, m_certificate, m_key.text());
    ERR_clear_error();
    return applied;
}
