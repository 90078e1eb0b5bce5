#ifndef MORVA_VELOX_POINTPARAM_H
#define MORVA_VELOX_POINTPARAM_H

#include "buslib/protocol/address.h"
#include "buslib/protocol/datatypes.h"

#include <wx/string.h>

#include <cstdint>
#include <optional>

namespace morva_velox {

// Parses an address text "a.b.c": three parts of one to three characters,
// each a base-10 integer in 0..255, taken as the three wire bytes in order.
// Nothing for any other text.
std::optional<Address> parseAddressText(const wxString& text);

// One typed, named parameter of a point. The value holds the type that the
// type code names: unsigned char for TypeByte, float for TypeFloat, wxString
// for TypeWideText, Address for TypeAddress.
class PointParam {
public:
    PointParam() = default;
    PointParam(std::uint8_t variable, std::int32_t type, const wxString& name, const Value& value);

    std::uint8_t variable() const { return m_variable; }
    void setVariable(std::uint8_t variable) { m_variable = variable; }
    std::int32_t type() const { return m_type; }
    void setType(std::int32_t type) { m_type = type; }
    const wxString& name() const { return m_name; }
    void setName(const wxString& name) { m_name = name; }
    const Value& value() const { return m_value; }
    void setValue(const Value& value) { m_value = value; }

    // Sets the value from a text by the type. Never fails: a bad number
    // stores what the conversion yields, a bad address leaves the value, and
    // any other type leaves it too.
    void setFromText(const wxString& text);

    // The value as text; "%.*g" with the given precision for a float.
    // Raises Exception(UnsupportedDataFormat) for a type without a text form.
    wxString text(int precision) const;
    // As text(), with every digit of a float ("%.32f").
    wxString exactText() const;
    // "name: text(3)".
    wxString describe() const;

private:
    wxString format(const wxString& floatFormat, int precision) const;

    std::uint8_t m_variable = 0;
    std::int32_t m_type = TypeNone;
    wxString m_name;
    Value m_value;
};

} // namespace morva_velox

#endif
