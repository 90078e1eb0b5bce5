#include "tools/unitsim/controlcodec.h"

#include <wx/arrstr.h>

#include <cstdio>
#include <optional>
#include <sstream>
#include <stdexcept>

namespace morva_sim {

namespace {

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    throw std::invalid_argument("not a hexadecimal digit");
}

template <typename T>
std::string optionalField(const std::optional<T>& value)
{
    return value ? std::to_string(static_cast<unsigned long long>(*value)) : std::string("-");
}

long long numberField(std::istream& in)
{
    std::string field;
    if (!(in >> field))
        throw std::invalid_argument("missing field");
    std::size_t used = 0;
    const long long value = std::stoll(field, &used);
    if (used != field.size())
        throw std::invalid_argument("not a number: " + field);
    return value;
}

template <typename T>
std::optional<T> optionalNumberField(std::istream& in)
{
    const std::istream::pos_type at = in.tellg();
    std::string field;
    if (!(in >> field))
        throw std::invalid_argument("missing field");
    if (field == "-")
        return std::nullopt;
    in.seekg(at);
    return static_cast<T>(numberField(in));
}

} // namespace

std::string hexOf(const Bytes& bytes)
{
    if (bytes.empty())
        return "-";
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (const std::uint8_t b : bytes) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02x", b);
        hex += pair;
    }
    return hex;
}

Bytes bytesOfHex(const std::string& hex)
{
    if (hex == "-")
        return {};
    if (hex.size() % 2 != 0)
        throw std::invalid_argument("odd number of hexadecimal digits");
    Bytes bytes;
    bytes.reserve(hex.size() / 2);
    for (std::size_t i = 0; i < hex.size(); i += 2)
        bytes.push_back(static_cast<std::uint8_t>(hexDigit(hex[i]) * 16 + hexDigit(hex[i + 1])));
    return bytes;
}

std::string encodeMemory(const UnitMemory& memory)
{
    wxString text;
    for (const wxString& line : memory.toReportLines())
        text << line << '\n';
    const wxScopedCharBuffer utf8 = text.utf8_str();
    return hexOf(Bytes(utf8.data(), utf8.data() + utf8.length()));
}

UnitMemory decodeMemory(const std::string& hex)
{
    const Bytes utf8 = bytesOfHex(hex);
    const wxString text = wxString::FromUTF8(reinterpret_cast<const char*>(utf8.data()), utf8.size());
    if (text.empty() && !utf8.empty())
        throw std::invalid_argument("memory text is not UTF-8");
    return UnitMemory::fromText(text);
}

std::string encodeFaultRule(const FaultRule& rule)
{
    std::ostringstream out;
    out << static_cast<int>(rule.fault.kind) << ' ' << rule.fault.count << ' '
        << static_cast<int>(rule.fault.errorCode) << ' ' << rule.fault.delay.count() << ' '
        << hexOf(rule.fault.bytes) << ' ' << optionalField(rule.requestIndex) << ' '
        << optionalField(rule.command) << ' ' << optionalField(rule.variable) << ' ' << rule.times;
    return out.str();
}

FaultRule decodeFaultRule(const std::string& fields)
{
    std::istringstream in(fields);
    FaultRule rule;
    const long long kind = numberField(in);
    if (kind < 0 || kind > static_cast<long long>(Fault::Kind::TruncatedData))
        throw std::invalid_argument("unknown fault kind");
    rule.fault.kind = static_cast<Fault::Kind>(kind);
    rule.fault.count = static_cast<std::size_t>(numberField(in));
    rule.fault.errorCode = static_cast<std::uint8_t>(numberField(in));
    rule.fault.delay = std::chrono::milliseconds(numberField(in));
    std::string hex;
    if (!(in >> hex))
        throw std::invalid_argument("missing bytes");
    rule.fault.bytes = bytesOfHex(hex);
    rule.requestIndex = optionalNumberField<std::size_t>(in);
    rule.command = optionalNumberField<std::uint8_t>(in);
    rule.variable = optionalNumberField<std::uint8_t>(in);
    rule.times = static_cast<int>(numberField(in));
    return rule;
}

} // namespace morva_sim
