// Fuzz target: arbitrary texts set into point parameters of every type, and
// parsed as addresses.
//
// Input: byte 0 picks the parameter's type (byte, float, wide text, address
// or a type without a text form), byte 1 how the rest becomes a text (UTF-8,
// UTF-16LE units, or Latin-1 bytes), the rest is the text.
//
// What must hold: nothing crashes or trips a sanitizer; the value keeps the
// type's held type; a byte, float or address value written as text and set
// again comes back unchanged; a wide text is kept exactly; an address text
// that does not parse leaves the value alone, one that does has exactly two
// dots and at most three characters a part; a type without a text form keeps
// its value and refuses to show it with UnsupportedDataFormat.
#include "buslib/protocol/address.h"
#include "buslib/protocol/datatypes.h"
#include "buslib/serial/error.h"
#include "buslib/protocol/exception.h"
#include "buslib/model/pointparam.h"
#include "tests/fuzz/fuzzcheck.h"

#include <boost/any.hpp>
#include <wx/string.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

using namespace morva_velox;

namespace {

wxString textFrom(std::uint8_t encoding, const std::uint8_t* bytes, std::size_t size)
{
    switch (encoding % 3) {
    case 0:
        return wxString::FromUTF8(reinterpret_cast<const char*>(bytes), size);
    case 1: {
        wxString text;
        for (std::size_t i = 0; i + 1 < size; i += 2)
            text += wxUniChar(static_cast<unsigned>(bytes[i] | (bytes[i + 1] << 8)));
        return text;
    }
    default:
        return wxString(reinterpret_cast<const char*>(bytes), wxConvISO8859_1, size);
    }
}

const std::int32_t types[] = {TypeByte, TypeFloat, TypeWideText, TypeAddress, TypeNone, TypeLong};

// Setting a parameter from its own text gives the same value back.
void checkRoundTrip(const PointParam& param, int precision)
{
    PointParam again(param.variable(), param.type(), param.name(), Value());
    again.setFromText(param.text(precision));
    switch (param.type()) {
    case TypeByte:
        check(boost::any_cast<unsigned char>(again.value())
                    == boost::any_cast<unsigned char>(param.value()),
                "byte text round trip");
        break;
    case TypeFloat: {
        const float before = boost::any_cast<float>(param.value());
        const float after = boost::any_cast<float>(again.value());
        check(std::isnan(before) ? std::isnan(after) : after == before, "float text round trip");
        break;
    }
    case TypeAddress:
        check(boost::any_cast<const Address&>(again.value())
                    == boost::any_cast<const Address&>(param.value()),
                "address text round trip");
        break;
    default:
        break;
    }
}

void checkAddressText(const wxString& text)
{
    const std::optional<Address> address = parseAddressText(text);
    if (!address)
        return;
    check(text.Freq('.') == 2, "a parsed address has two dots");
    for (const wxString& part : {text.BeforeFirst('.'), text.AfterFirst('.').BeforeFirst('.'),
                                 text.AfterLast('.')})
        check(!part.empty() && part.length() <= 3, "a parsed address part has 1..3 characters");
}

void checkParam(std::int32_t type, const wxString& text)
{
    const Address earlier = Address::fromBytes(9, 8, 7);
    const Value initial = type == TypeAddress ? Value(earlier) : Value();
    PointParam param(7, type, "fuzz", initial);
    param.setFromText(text);

    switch (type) {
    case TypeByte:
        check(param.value().type() == typeid(unsigned char), "byte value type");
        checkRoundTrip(param, 3);
        break;
    case TypeFloat:
        check(param.value().type() == typeid(float), "float value type");
        checkRoundTrip(param, 9);
        (void)param.exactText();
        break;
    case TypeWideText:
        check(boost::any_cast<const wxString&>(param.value()) == text, "wide text kept exactly");
        check(param.text(3) == text, "wide text shown as set");
        break;
    case TypeAddress: {
        const Address value = boost::any_cast<const Address&>(param.value());
        if (!parseAddressText(text))
            check(value == earlier, "an address that does not parse leaves the value");
        checkRoundTrip(param, 3);
        break;
    }
    default:
        check(param.value().empty(), "a type without a text form keeps its value");
        try {
            (void)param.text(3);
            violated("a type without a text form has no text");
        } catch (const Exception& e) {
            check(e.code() == UnsupportedDataFormat, "refused with UnsupportedDataFormat");
        }
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const std::int32_t type = types[data[0] % (sizeof types / sizeof types[0])];
    const wxString text = textFrom(data[1], data + 2, size - 2);
    checkAddressText(text);
    checkParam(type, text);
    return 0;
}
