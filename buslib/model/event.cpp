#include "buslib/model/event.h"

#include "buslib/model/algorithm.h"
#include "buslib/serial/error.h"
#include "buslib/model/measure.h"

#include <wx/intl.h>

#include <boost/any.hpp>

namespace morva_velox {

namespace {

wxString translated(const char* text)
{
    return wxGetTranslation(text, CatalogName);
}

// The fixed text of an event code, or none for the codes whose text is made
// from the payload or the address.
const char* fixedText(int code)
{
    switch (code) {
    case 2: return wxTRANSLATE("Measures restarted");
    case 3: return wxTRANSLATE("Params have been read");
    case 4: return wxTRANSLATE("Algorithms have been read");
    case 23: return wxTRANSLATE("Status read");
    case 24: return wxTRANSLATE("Address changed");
    case 25: return wxTRANSLATE("Date in device changed");
    case 26: return wxTRANSLATE("Dates changed");
    case 27: return wxTRANSLATE("Volume level changed");
    case 28: return wxTRANSLATE("Current device language change");
    case 32: return wxTRANSLATE("Parameters have been set");
    case 34: return wxTRANSLATE("Serial port error");
    case 35: return wxTRANSLATE("No answer");
    case 36: return wxTRANSLATE("Read error");
    case 37: return wxTRANSLATE("Write error");
    case 38: return wxTRANSLATE("Unknown variable");
    case 40: return wxTRANSLATE("Params have been changed");
    case 41: return wxTRANSLATE("Factory number changed");
    case 42: return wxTRANSLATE("Instant value read");
    case 43: return wxTRANSLATE("Write data to device");
    case 44: return wxTRANSLATE("Get true value");
    case 45: return wxTRANSLATE("Clear nonvolatile memory");
    case 46: return wxTRANSLATE("Table header read");
    case 47: return wxTRANSLATE("Redords count read");
    case 48: return wxTRANSLATE("Next record read");
    default: return nullptr;
    }
}

bool isMeasureCode(int code)
{
    return (code >= 5 && code <= 22) || (code >= 29 && code <= 31);
}

// The text before the last blank; empty when there is no blank or the only
// blank starts the text.
wxString beforeLastBlank(const wxString& text)
{
    const int blank = text.Find(' ', true);
    return blank > 0 ? text.Left(static_cast<size_t>(blank)) : wxString();
}

} // namespace

Event::Event(int code, const Address& address, const Value& data)
    : m_address(address)
    , m_code(code)
    , m_time(wxDateTime::Now())
    , m_data(data)
{
    m_text = composeText();
    m_messages = composeMessages();
}

const Measure& Event::measure() const
{
    return boost::any_cast<const Measure&>(m_data);
}

wxString Event::composeText() const
{
    const bool fromHost = m_address == Address::host();
    switch (m_code) {
    case 0:
        return translated(fromHost ? wxTRANSLATE("CPU plugged") : wxTRANSLATE("Point plugged"));
    case 1:
        return translated(fromHost ? wxTRANSLATE("CPU unplugged") : wxTRANSLATE("Point unplugged"));
    case 5:
    case 6:
    case 39:
        return measure().textWithFactor();
    case 29:
    case 30:
    case 31:
        return measure().textWithFactor() + " " + measure().kindText();
    case 33:
        return wxString::Format("%s (%d)", translated(wxTRANSLATE("Current algorithm changed")),
                                static_cast<int>(boost::any_cast<MeasuringAlgorithm>(m_data)));
    default:
        break;
    }
    const char* text = m_code >= 0 ? fixedText(m_code) : nullptr;
    return translated(text ? text : wxTRANSLATE("Unknown event"));
}

std::vector<StatusMessage> Event::composeMessages() const
{
    if (m_code > LastCode)
        return {};
    if (m_code >= 29 && m_code <= 31)
        return {StatusMessage(measure().kindText(), MessageThreshold)};
    if (m_code >= 34 && m_code <= 38)
        return {StatusMessage(m_text, MessageError)};
    if (m_code == LastCode)
        return {StatusMessage(translated(wxTRANSLATE("Program error")) + "! " + m_text, MessageError)};
    if (m_code == 39)
        return {StatusMessage(beforeLastBlank(m_text), MessageInformation)};
    return {StatusMessage(m_text, MessageInformation)};
}

wxString Event::valueText() const
{
    if (isMeasureCode(m_code))
        return wxString::Format("%.3g", static_cast<double>(measure().rawValue()));
    if (m_code == 39)
        return measure().textWithFactor();
    return wxString();
}

} // namespace morva_velox
