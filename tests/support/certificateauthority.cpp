#include "support/certificateauthority.h"

#include <openssl/bio.h>
#include <openssl/ec.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <cstdint>
#include <stdexcept>

#include <sys/stat.h>

namespace morva_test {

namespace {

// Long enough for any test, short enough to be plainly a test's.
constexpr long ValidSeconds = 7L * 24 * 3600;
// A little before now, so that a clock a second behind still accepts it.
constexpr long ValidFromSeconds = -3600;

// What OpenSSL says about its last failure, after `what`.
[[noreturn]] void fail(const std::string& what)
{
    std::string text = "certificate authority: " + what;
    const unsigned long code = ERR_get_error();
    if (code != 0) {
        char reason[256];
        ERR_error_string_n(code, reason, sizeof reason);
        text += ": ";
        text += reason;
    }
    ERR_clear_error();
    throw std::runtime_error(text);
}

void check(int result, const std::string& what)
{
    if (result <= 0)
        fail(what);
}

struct BioFree {
    void operator()(BIO* bio) const { BIO_free_all(bio); }
};
struct ExtensionFree {
    void operator()(X509_EXTENSION* extension) const { X509_EXTENSION_free(extension); }
};

std::unique_ptr<BIO, BioFree> fileForWriting(const std::string& file)
{
    std::unique_ptr<BIO, BioFree> bio(BIO_new_file(file.c_str(), "w"));
    if (!bio)
        fail("cannot write " + file);
    return bio;
}

} // namespace

void CertificateAuthority::KeyFree::operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
void CertificateAuthority::CertificateFree::operator()(X509* certificate) const { X509_free(certificate); }

CertificateAuthority::CertificateAuthority(const std::string& folder, const std::string& name)
    : m_key(newKey()), m_certificate(newCertificate(name, m_key.get())),
      m_certificateFile(folder + "/" + name + ".crt")
{
    X509* const self = m_certificate.get();
    X509_set_issuer_name(self, X509_get_subject_name(self));
    addExtension(self, self, NID_basic_constraints, "critical,CA:TRUE");
    addExtension(self, self, NID_key_usage, "critical,keyCertSign,cRLSign");
    addExtension(self, self, NID_subject_key_identifier, "hash");
    check(X509_sign(self, m_key.get(), EVP_sha256()), "signing the authority's certificate");
    writeCertificate(self, m_certificateFile);
}

CertificateAuthority::~CertificateAuthority() = default;

void CertificateAuthority::issueServerCertificate(const std::string& certificateFile, const std::string& keyFile) const
{
    const Key key = newKey();
    const Certificate certificate = newCertificate("127.0.0.1", key.get());
    X509* const server = certificate.get();
    X509_set_issuer_name(server, X509_get_subject_name(m_certificate.get()));
    addExtension(server, m_certificate.get(), NID_basic_constraints, "critical,CA:FALSE");
    addExtension(server, m_certificate.get(), NID_key_usage, "critical,digitalSignature,keyEncipherment");
    addExtension(server, m_certificate.get(), NID_ext_key_usage, "serverAuth");
    addExtension(server, m_certificate.get(), NID_subject_alt_name, "IP:127.0.0.1,DNS:localhost");
    addExtension(server, m_certificate.get(), NID_authority_key_identifier, "keyid:always");
    check(X509_sign(server, m_key.get(), EVP_sha256()), "signing the server's certificate");
    writeCertificate(server, certificateFile);
    writeKey(key.get(), keyFile);
}

CertificateAuthority::Key CertificateAuthority::newKey()
{
    Key key(EVP_EC_gen("P-256"));
    if (!key)
        fail("making a key");
    return key;
}

CertificateAuthority::Certificate CertificateAuthority::newCertificate(const std::string& commonName, EVP_PKEY* key)
{
    Certificate certificate(X509_new());
    if (!certificate)
        fail("making a certificate");
    X509* const c = certificate.get();
    std::uint64_t serial = 0;
    check(RAND_bytes(reinterpret_cast<unsigned char*>(&serial), sizeof serial), "drawing a serial number");
    check(X509_set_version(c, X509_VERSION_3), "setting the certificate's version");
    check(ASN1_INTEGER_set_uint64(X509_get_serialNumber(c), serial >> 1), "setting the serial number");
    if (!X509_gmtime_adj(X509_getm_notBefore(c), ValidFromSeconds) || !X509_gmtime_adj(X509_getm_notAfter(c), ValidSeconds))
        fail("setting the certificate's dates");
    check(X509_NAME_add_entry_by_txt(X509_get_subject_name(c), "CN", MBSTRING_UTF8,
                                     reinterpret_cast<const unsigned char*>(commonName.c_str()), -1, -1, 0),
          "naming the certificate");
    check(X509_set_pubkey(c, key), "setting the certificate's key");
    return certificate;
}

void CertificateAuthority::addExtension(X509* certificate, X509* issuer, int nid, const char* value)
{
    X509V3_CTX context;
    X509V3_set_ctx(&context, issuer, certificate, nullptr, nullptr, 0);
    const std::unique_ptr<X509_EXTENSION, ExtensionFree> extension(
        X509V3_EXT_conf_nid(nullptr, &context, nid, value));
    if (!extension)
        fail(std::string("making the extension ") + OBJ_nid2sn(nid) + "=" + value);
    check(X509_add_ext(certificate, extension.get(), -1), std::string("adding the extension ") + OBJ_nid2sn(nid));
}

void CertificateAuthority::writeCertificate(X509* certificate, const std::string& file)
{
    const auto bio = fileForWriting(file);
    check(PEM_write_bio_X509(bio.get(), certificate), "writing " + file);
}

void CertificateAuthority::writeKey(EVP_PKEY* key, const std::string& file)
{
    // Private before the key is in it.
    const auto bio = fileForWriting(file);
    if (::chmod(file.c_str(), S_IRUSR | S_IWUSR) != 0)
        fail("cannot make " + file + " private");
    check(PEM_write_bio_PrivateKey(bio.get(), key, nullptr, nullptr, 0, nullptr, nullptr), "writing " + file);
}

} // namespace morva_test
