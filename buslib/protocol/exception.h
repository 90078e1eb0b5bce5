#ifndef MORVA_VELOX_EXCEPTION_H
#define MORVA_VELOX_EXCEPTION_H

#include "buslib/serial/error.h"

#include <wx/string.h>

#include <cstdint>

namespace morva_velox {

// The one failure type of the bus library: an error code, its translated
// text and the place where it was raised. Thrown by value, caught by
// reference.
class Exception {
public:
    Exception(const char* file, int line, std::uint32_t code);

    wxString message() const { return m_message; }
    Error code() const { return static_cast<Error>(m_code); }
    int line() const { return m_line; }
    wxString file() const { return m_file; }

private:
    wxString m_file;
    int m_line;
    wxString m_message;
    std::uint32_t m_code;
};

} // namespace morva_velox

// Raises Exception with the current source position.
#define MORVA_VELOX_THROW(code) \
    throw ::morva_velox::Exception(__FILE__, __LINE__, (code))

#endif
