#ifndef MORVA_VELOX_DATATYPES_H
#define MORVA_VELOX_DATATYPES_H

#include <boost/any.hpp>

#include <array>
#include <cstdint>
#include <vector>

namespace morva_velox {

// Data type codes: byte 7 of a packet header, saying how the value in the
// data block is laid out.
enum DataType : std::uint8_t {
    TypeNone = 0,
    TypeByte = 1,
    TypeText8 = 3,
    TypeWord = 5,
    TypeLong = 11,
    TypeLSingle = 13,
    TypeFloat = 25,
    TypeWideText = 29,
    TypeQuad = 31,
    TypeAddress = 33,
};

// Command codes: byte 6 of a packet header.
enum Command : std::uint8_t {
    CommandError = 3,
    CommandSearch = 4,
    CommandRead = 6,
    CommandWrite = 8,
};

// Variables of the unit's nonvolatile memory.
enum Variable : std::uint8_t {
    VarRecordStatus = 248,
    VarStatusKind = 249,
    VarStatusCount = 250,
    VarStatusSelect = 251,
    VarTable = 252,
    VarRecordCount = 253,
    VarRecord = 254,
};

// The value of a variable of any type. Held types by data type:
//   TypeByte      unsigned char (one byte) or ByteBlock (an opaque block)
//   TypeText8     wxString
//   TypeWideText  wxString
//   TypeWord      std::uint16_t
//   TypeLong      std::int32_t
//   TypeLSingle   LSingle
//   TypeFloat     float
//   TypeQuad      Quad
//   TypeAddress   Address
using Value = boost::any;
using ByteBlock = std::vector<std::uint8_t>;
using Quad = std::array<std::uint32_t, 2>;

} // namespace morva_velox

#endif
