#ifndef MORVA_VELOX_ERROR_H
#define MORVA_VELOX_ERROR_H

#include <wx/string.h>

#include <cstdint>

namespace morva_velox {

// Failure codes of the bus protocol. Codes below 256 are the unit's own (it
// sends them in an error answer); codes from 0xF00 up are raised by the host.
enum Error : std::uint32_t {
    NoError = 0,
    UnsupportedCommand = 1,
    UnsupportedDataFormat = 2,
    HeaderCorrupted = 3,
    UnknownVariable = 4,
    BusyCannotAnswer = 5,
    BusyWillAnswerLater = 6,
    DataCorrupted = 7,
    WrongRedirect = 10,
    UnknownError = 255,
    NoAnswer = 3840,
    NotAllDataReceived = 3841,
    WriteError = 3842,
    SerialPortError = 3843,
    UnsupportedDataType = 3844,
    BufferOverflow = 3845,
    BufferUnderflow = 3846,
};

// The message catalog that holds the bus library's texts.
extern const char* const CatalogName;

// English text of an error code; "Unknown error" for any unlisted value.
const char* errorTextUntranslated(std::uint32_t code);

// The text of an error code in the current language.
wxString errorText(std::uint32_t code);

} // namespace morva_velox

#endif
