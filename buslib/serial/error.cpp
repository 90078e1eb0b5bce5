#include "buslib/serial/error.h"

#include <wx/intl.h>

namespace morva_velox {

const char* const CatalogName = "morva_velox";

const char* errorTextUntranslated(std::uint32_t code)
{
    switch (code) {
    case NoError: return wxTRANSLATE("No error");
    case UnsupportedCommand: return wxTRANSLATE("Unsupported command");
    case UnsupportedDataFormat: return wxTRANSLATE("Unsupported data format");
    case HeaderCorrupted: return wxTRANSLATE("Package header structure corrupted");
    case UnknownVariable: return wxTRANSLATE("Unknown variable");
    case BusyCannotAnswer: return wxTRANSLATE("Unit is busy and can not answer now");
    case BusyWillAnswerLater: return wxTRANSLATE("Unit is busy and will answer later");
    case DataCorrupted: return wxTRANSLATE("Package data corrupted");
    case WrongRedirect: return wxTRANSLATE("Wrong \"Redirect\" package");
    case NoAnswer: return wxTRANSLATE("No answer");
    case NotAllDataReceived: return wxTRANSLATE("Not all data received");
    case WriteError: return wxTRANSLATE("Write error");
    case SerialPortError: return wxTRANSLATE("Serial port error");
    case UnsupportedDataType: return wxTRANSLATE("Unsupported data type");
    case BufferOverflow: return wxTRANSLATE("Buffer overflow");
    case BufferUnderflow: return wxTRANSLATE("Buffer underflow");
    default: return wxTRANSLATE("Unknown error");
    }
}

wxString errorText(std::uint32_t code)
{
    return wxGetTranslation(errorTextUntranslated(code), CatalogName);
}

} // namespace morva_velox
