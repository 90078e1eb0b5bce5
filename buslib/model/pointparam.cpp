#include "buslib/model/pointparam.h"

#include "buslib/protocol/exception.h"

#include <boost/any.hpp>

#include <cmath>
#include <cwchar>
#include <limits>

namespace morva_velox {

namespace {

constexpr size_t AddressParts = 3;
constexpr size_t MaxPartLength = 3;

// The whole part must be the number: a conversion that stops early, at a
// letter or at a zero character inside the text, is refused.
std::optional<std::uint8_t> parseAddressPart(const wxString& part)
{
    if (part.empty() || part.length() > MaxPartLength)
        return std::nullopt;
    const wchar_t* const begin = part.wc_str();
    wchar_t* end = nullptr;
    const long value = std::wcstol(begin, &end, 10);
    if (end != begin + part.length())
        return std::nullopt;
    if (value < 0 || value > 255)
        return std::nullopt;
    return static_cast<std::uint8_t>(value);
}

// Base-10 integer conversion that keeps the leading number of a text and
// gives 0 when there is none.
long leadingLong(const wxString& text)
{
    return std::wcstol(text.wc_str(), nullptr, 10);
}

// Double conversion of the leading number of a text, rounded to the nearest
// float. A magnitude that rounds beyond the largest float (half a unit in
// its last place above it, or more) becomes an infinity of that sign.
float leadingFloat(const wxString& text)
{
    using limits = std::numeric_limits<float>;
    const double value = std::wcstod(text.wc_str(), nullptr);
    const double largest = limits::max();
    const double halfUlpAboveLargest =
        largest + std::ldexp(1.0, limits::max_exponent - limits::digits - 1);
    if (std::fabs(value) >= halfUlpAboveLargest)
        return static_cast<float>(std::copysign(limits::infinity(), value));
    if (std::fabs(value) > largest)
        return static_cast<float>(std::copysign(largest, value));
    return static_cast<float>(value);
}

} // namespace

std::optional<Address> parseAddressText(const wxString& text)
{
    const int first = text.Find('.');
    if (first == wxNOT_FOUND)
        return std::nullopt;
    const wxString rest = text.Mid(static_cast<size_t>(first) + 1);
    const int second = rest.Find('.');
    if (second == wxNOT_FOUND)
        return std::nullopt;

    const wxString parts[AddressParts] = {
        text.Left(static_cast<size_t>(first)),
        rest.Left(static_cast<size_t>(second)),
        rest.Mid(static_cast<size_t>(second) + 1),
    };
    std::uint8_t bytes[AddressParts] = {};
    for (size_t i = 0; i < AddressParts; ++i) {
        const std::optional<std::uint8_t> byte = parseAddressPart(parts[i]);
        if (!byte)
            return std::nullopt;
        bytes[i] = *byte;
    }
    return Address::fromBytes(bytes[0], bytes[1], bytes[2]);
}

PointParam::PointParam(std::uint8_t variable, std::int32_t type, const wxString& name,
                       const Value& value)
    : m_variable(variable)
    , m_type(type)
    , m_name(name)
    , m_value(value)
{
}

void PointParam::setFromText(const wxString& text)
{
    switch (m_type) {
    case TypeByte:
        m_value = static_cast<unsigned char>(leadingLong(text) & 0xFF);
        break;
    case TypeFloat:
        m_value = leadingFloat(text);
        break;
    case TypeWideText:
        m_value = text;
        break;
    case TypeAddress:
        if (const std::optional<Address> address = parseAddressText(text))
            m_value = *address;
        break;
    default:
        break;
    }
}

wxString PointParam::format(const wxString& floatFormat, int precision) const
{
    switch (m_type) {
    case TypeByte:
        return wxString::Format("%d", static_cast<int>(boost::any_cast<unsigned char>(m_value)));
    case TypeFloat:
        return wxString::Format(floatFormat, precision,
                                static_cast<double>(boost::any_cast<float>(m_value)));
    case TypeWideText:
        return boost::any_cast<const wxString&>(m_value);
    case TypeAddress: {
        std::uint8_t bytes[Address::WireSize];
        boost::any_cast<const Address&>(m_value).toWire(bytes);
        return wxString::Format("%d.%d.%d", int{bytes[0]}, int{bytes[1]}, int{bytes[2]});
    }
    default:
        MORVA_VELOX_THROW(UnsupportedDataFormat);
    }
}

wxString PointParam::text(int precision) const
{
    return format("%.*g", precision);
}

wxString PointParam::exactText() const
{
    return format("%.*f", 32);
}

wxString PointParam::describe() const
{
    return m_name + ": " + text(3);
}

} // namespace morva_velox
