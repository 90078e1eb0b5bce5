#include "web/passwordhash.h"

#include "web/base64.h"
#include "web/secrettext.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <charconv>
#include <stdexcept>
#include <vector>

namespace {

const std::string Scheme = "pbkdf2-sha256";
// Some 0.1-0.3 s on this kind of machine.
constexpr unsigned long WorkFactor = 600000;
// A hash asking for more is refused: a spoilt or hostile settings file must
// not stall every log-in for minutes.
constexpr unsigned long MostIterations = 5000000;
constexpr std::size_t SaltBytes = 16;
constexpr std::size_t HashBytes = 32;

// The bytes of base64 `text` when it holds exactly `size` of them.
bool FromBase64(const std::string& text, std::string& bytes, std::size_t size)
{
    return DecodeBase64(text, bytes) && bytes.size() == size;
}

bool Derive(const std::string& password, const std::string& salt, unsigned long iterations, SecretText& out)
{
    return PKCS5_PBKDF2_HMAC(password.data(), static_cast<int>(password.size()),
                             reinterpret_cast<const unsigned char*>(salt.data()), static_cast<int>(salt.size()),
                             static_cast<int>(iterations), EVP_sha256(), static_cast<int>(out.text().size()), out.bytes())
        == 1;
}

struct StoredHash {
    unsigned long iterations = 0;
    std::string salt;
    std::string hash;
};

std::vector<std::string> Fields(const std::string& text)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('$', start)) != std::string::npos; start = end + 1)
        fields.push_back(text.substr(start, end - start));
    fields.push_back(text.substr(start));
    return fields;
}

bool Parse(const std::string& text, StoredHash& stored)
{
    const std::vector<std::string> fields = Fields(text);
    if (fields.size() != 4 || fields[0] != Scheme)
        return false;
    const std::string& count = fields[1];
    const char* end = count.data() + count.size();
    const auto [stop, error] = std::from_chars(count.data(), end, stored.iterations);
    if (count.empty() || error != std::errc() || stop != end || stored.iterations == 0
        || stored.iterations > MostIterations)
        return false;
    return FromBase64(fields[2], stored.salt, SaltBytes) && FromBase64(fields[3], stored.hash, HashBytes);
}

} // namespace

std::string HashPassword(const std::string& password)
{
    std::string salt(SaltBytes, '\0');
    if (RAND_bytes(reinterpret_cast<unsigned char*>(salt.data()), static_cast<int>(salt.size())) != 1)
        throw std::runtime_error("no random bytes for a password's salt");
    SecretText hash(HashBytes);
    if (!Derive(password, salt, WorkFactor, hash))
        throw std::runtime_error("the password cannot be hashed");
    return Scheme + "$" + std::to_string(WorkFactor) + "$" + EncodeBase64(salt) + "$"
        + EncodeBase64(hash.text());
}

bool PasswordMatches(const std::string& password, const std::string& stored)
{
    StoredHash parsed;
    if (!Parse(stored, parsed))
        return false;
    SecretText hash(HashBytes);
    return Derive(password, parsed.salt, parsed.iterations, hash)
        && CRYPTO_memcmp(hash.text().data(), parsed.hash.data(), HashBytes) == 0;
}
