#ifndef MORVA_WEB_SECRETTEXT_H
#define MORVA_WEB_SECRETTEXT_H

#include <cstddef>
#include <string>

// A string holding a secret (a password, a derived key), wiped with
// OPENSSL_cleanse when it goes. Whatever is copied out of it is the
// copier's to wipe.
class SecretText {
public:
    SecretText() = default;
    explicit SecretText(std::size_t size) : m_text(size, '\0') {}
    ~SecretText();
    SecretText(const SecretText&) = delete;
    SecretText& operator=(const SecretText&) = delete;

    std::string& text() { return m_text; }
    const std::string& text() const { return m_text; }
    unsigned char* bytes() { return reinterpret_cast<unsigned char*>(m_text.data()); }

private:
    std::string m_text;
};

#endif
