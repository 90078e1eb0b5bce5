#include "buslib/protocol/exception.h"

namespace morva_velox {

Exception::Exception(const char* file, int line, std::uint32_t code)
    : m_file(wxString::FromUTF8(file ? file : ""))
    , m_line(line)
    , m_message(errorText(code))
    , m_code(code)
{
}

} // namespace morva_velox
