#ifndef MORVA_VELOX_EVENT_H
#define MORVA_VELOX_EVENT_H

#include "buslib/protocol/address.h"
#include "buslib/protocol/datatypes.h"
#include "buslib/model/statusmessage.h"

#include <wx/datetime.h>
#include <wx/string.h>

#include <cstdint>
#include <vector>

namespace morva_velox {

class Measure;

// One event of a point or of the unit: a code, the address it concerns and a
// payload whose type the code fixes:
//   3            PointParams
//   4            Algorithms
//   5..22, 29..31, 39  Measure
//   33           MeasuringAlgorithm
//   35..37       Error
//   40           ParamTexts (parameter index to text)
//   42           Point::InstantValue
// On construction the event composes its text and its status messages.
class Event {
public:
    // Codes above this one are unknown events.
    static constexpr int LastCode = 49;

    Event(int code, const Address& address, const Value& data = Value());
    Event(const Event&) = default;
    Event& operator=(const Event&) = default;
    virtual ~Event() = default;

    int code() const { return m_code; }
    const Address& address() const { return m_address; }
    const wxDateTime& time() const { return m_time; }
    const Value& data() const { return m_data; }
    const wxString& text() const { return m_text; }
    const std::vector<StatusMessage>& messages() const { return m_messages; }

    std::uint8_t handledFlag() const { return m_handledFlag; }
    void setHandledFlag(std::uint8_t flag) { m_handledFlag = flag; }

    bool isError() const { return m_code >= 35 && m_code <= 37; }
    bool isThresholdExceeded() const { return m_code == 29; }
    bool isPrethresholdExceeded() const { return m_code == 30; }
    bool isThresholdReduced() const { return m_code == 31; }
    bool isMeasure() const { return m_code == 39; }
    bool isParamsChanged() const { return m_code == 40; }

    // The short text of the event's numeric value: the raw value for the
    // measure codes 5 to 22 and 29 to 31, the measure text for 39, else empty.
    wxString valueText() const;

private:
    const Measure& measure() const;
    wxString composeText() const;
    std::vector<StatusMessage> composeMessages() const;

    Address m_address;
    int m_code;
    wxDateTime m_time;
    Value m_data;
    std::vector<StatusMessage> m_messages;
    wxString m_text;
    std::uint8_t m_handledFlag = 0;
};

} // namespace morva_velox

#endif
