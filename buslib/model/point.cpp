#include "buslib/model/point.h"

#include <wx/intl.h>

#include <boost/any.hpp>

namespace morva_velox {

namespace {

// The code of the events a point starts with.
constexpr int InitialEventCode = Event::LastCode;
// The step of a state that has no row of its own.
constexpr std::int32_t DefaultStep = 4;

wxString translated(const char* text)
{
    return wxGetTranslation(text, CatalogName);
}

bool inRange(std::int32_t value, std::int32_t low, std::int32_t high)
{
    return value >= low && value <= high;
}

} // namespace

Point::Point(const Address& address)
    : m_currentEvent(InitialEventCode, Address::host())
    , m_previousEvent(InitialEventCode, Address::host())
    , m_address(address)
{
    fillNextStepTable();
    fillHandlerTable();
}

Point::Point(const Point& other)
    : m_currentEvent(InitialEventCode, Address::host())
    , m_previousEvent(InitialEventCode, Address::host())
    , m_address(other.m_address)
{
    copyFrom(other);
}

Point& Point::operator=(const Point& other)
{
    if (this != &other)
        copyFrom(other);
    return *this;
}

Point::~Point() = default;

void Point::copyFrom(const Point& other)
{
    m_address = other.m_address;
    m_algorithms = other.m_algorithms;
    m_busy = other.m_busy.load();
    m_stopRequested = other.m_stopRequested.load();
    m_lastErrorCode = other.m_lastErrorCode;
    m_nextStepTable = other.m_nextStepTable;
    m_handlerTable = other.m_handlerTable;
    m_overrideTable = other.m_overrideTable;
    m_params = other.m_params;
    m_state = other.m_state;
    m_label = other.m_label;
    m_spareValue = other.m_spareValue;
    m_mark = other.m_mark;
}

void Point::fillNextStepTable()
{
    m_nextStepTable = {{1, 1}, {2, 2}, {3, 4}, {4, 6}, {5, 5}, {6, 7}, {7, 8}, {8, 9},
                       {25, 8}, {26, 8}, {27, 8}, {33, 4}, {42, 8}, {43, 30}};
    for (std::int32_t state = 9; state <= 24; ++state)
        m_nextStepTable[state] = state + 1;
    for (std::int32_t state = 28; state <= 31; ++state)
        m_nextStepTable[state] = DefaultStep;
    for (std::int32_t state = 34; state <= 41; ++state)
        m_nextStepTable[state] = DefaultStep;
    for (std::int32_t state = 44; state <= 50; ++state)
        m_nextStepTable[state] = state - 7;
}

void Point::fillHandlerTable()
{
    m_handlerTable = {
        {0, &Point::onPlugged},
        {1, &Point::onUnplugged},
        {2, &Point::onMeasuresRestarted},
        {3, &Point::onParamsRead},
        {4, &Point::onAlgorithmsRead},
        {5, &Point::onFirstMeasure},
        {23, &Point::onStatusRead},
        {24, &Point::onAddressChanged},
        {25, &Point::onDeviceDateChanged},
        {26, &Point::onDatesChanged},
        {27, &Point::onVolumeChanged},
        {28, &Point::onLanguageChanged},
        {29, &Point::onThresholdExceeded},
        {30, &Point::onPrethresholdExceeded},
        {31, &Point::onThresholdReduced},
        {32, &Point::onParametersSet},
        {33, &Point::onAlgorithmChanged},
        {34, &Point::onSerialPortError},
        {35, &Point::onNoAnswer},
        {36, &Point::onReadError},
        {37, &Point::onWriteError},
        {38, &Point::onUnknownVariable},
        {39, &Point::onSingleMeasure},
        {40, &Point::onParamsChanged},
        {41, &Point::onFactoryNumberChanged},
        {42, &Point::onInstantValueRead},
        {43, &Point::onWriteDataToDevice},
        {44, &Point::onGetTrueValue},
        {45, &Point::onClearMemory},
        {46, &Point::onTableHeaderRead},
        {47, &Point::onRecordsCountRead},
        {48, &Point::onNextRecordRead},
    };
    for (int code = 6; code <= 22; ++code)
        m_handlerTable[code] = &Point::onMeasure;
}

bool Point::mark() const
{
    return m_mark;
}

void Point::setMark(bool mark)
{
    m_mark = mark;
}

void Point::noop()
{
}

bool Point::keepsEvents() const
{
    return true;
}

bool Point::isSpecial() const
{
    return false;
}

bool Point::processEvent(Event& event)
{
    if (event.address() != m_address)
        return false;

    bool handled = false;
    const auto override = m_overrideTable.find(event.code());
    if (override != m_overrideTable.end()) {
        handled = override->second(*this, event);
    } else {
        const auto handler = m_handlerTable.find(event.code());
        if (handler == m_handlerTable.end())
            m_state = StateReadingParams;
        else
            handled = handler->second(*this, event);
    }

    m_previousEvent = m_currentEvent;
    m_currentEvent = event;
    const std::uint8_t kept = keepsEvents() ? 1 : 0;
    event.setHandledFlag(kept);
    m_currentEvent.setHandledFlag(kept);

    if (handled)
        m_lastErrorCode = event.isError() ? boost::any_cast<Error>(event.data()) : NoError;
    return handled;
}

bool Point::dispatch(const Event& event)
{
    const auto handler = m_handlerTable.find(event.code());
    return handler != m_handlerTable.end() && handler->second(*this, event);
}

void Point::insertOverride(int code, const Handler& handler)
{
    m_overrideTable[code] = handler;
}

std::int32_t Point::nextStep() const
{
    const auto step = m_nextStepTable.find(m_state);
    return step != m_nextStepTable.end() ? step->second : DefaultStep;
}

bool Point::hasFailed() const
{
    switch (m_state) {
    case StateNoAnswer:
    case StateSerialPortError:
    case StateUnknownVariable:
    case StateReadError:
    case StateWriteError:
        return true;
    default:
        return false;
    }
}

wxString Point::stateText() const
{
    return stateTextWith(m_measure.textWithFactor(), false);
}

wxString Point::stateDescription() const
{
    return stateTextWith(m_measure.textWithPrefix(), true);
}

wxString Point::stateTextWith(const wxString& valueText, bool describing) const
{
    const std::int32_t s = m_state;
    if (inRange(s, 7, 24))
        return m_measure.hasValue() ? valueText : translated(wxTRANSLATE("Measure"));
    if (inRange(s, 28, 31))
        return errorText(NoAnswer);
    if (inRange(s, 34, 37))
        return translated(wxTRANSLATE("Read error"));
    if (inRange(s, 38, 41))
        return errorText(WriteError);
    switch (s) {
    case 1: return translated(wxTRANSLATE("Point plugged"));
    case 2: return translated(wxTRANSLATE("Point unplugged"));
    case 3: return translated(wxTRANSLATE("Reading parameters..."));
    case 5: return translated(wxTRANSLATE("Reading algorithms..."));
    case 25: return translated(wxTRANSLATE("Threshold exceeded")) + valueText;
    case 26: return translated(wxTRANSLATE("Prethreshold exceeded")) + valueText;
    case 27: return translated(wxTRANSLATE("Threshold reduced")) + valueText;
    case 32: return translated(wxTRANSLATE("Serial port error"));
    case 33: return errorText(UnknownVariable);
    case 42: return translated(wxTRANSLATE("Measures restarted"));
    case 43: return valueText;
    case 44: return translated(wxTRANSLATE("Instant value reading"));
    default: break;
    }
    if (describing)
        return wxString();
    switch (s) {
    case 45: return translated(wxTRANSLATE("Writing data to device"));
    case 46: return translated(wxTRANSLATE("Getting true value"));
    case 47: return translated(wxTRANSLATE("Clearing nonvolatile memory"));
    case 49: return translated(wxTRANSLATE("Reading records count"));
    default: return wxString();
    }
}

bool Point::tryAcquire()
{
    bool expected = false;
    return m_busy.compare_exchange_strong(expected, true);
}

void Point::release()
{
    m_busy = false;
}

bool Point::requestStop()
{
    if (!m_busy)
        return false;
    m_stopRequested = true;
    return true;
}

void Point::restart()
{
    m_state = StatePlugged;
    m_busy = false;
    m_stopRequested = false;
    m_lastErrorCode = NoError;
}

bool Point::storeMeasure(const Event& event, std::int32_t newState)
{
    m_measure = boost::any_cast<const Measure&>(event.data());
    m_state = newState;
    return true;
}

bool Point::onPlugged(const Event&)
{
    m_state = StateReadingParams;
    return true;
}

bool Point::onUnplugged(const Event&)
{
    m_state = StateUnplugged;
    return true;
}

bool Point::onParamsRead(const Event& event)
{
    m_params = boost::any_cast<const PointParams&>(event.data());
    m_state = StateReadingAlgorithms;
    return true;
}

bool Point::onAlgorithmsRead(const Event& event)
{
    m_algorithms = boost::any_cast<const Algorithms&>(event.data());
    m_state = StateMeasuring;
    return true;
}

bool Point::onParametersSet(const Event&)
{
    m_state = StateReadingParams;
    return true;
}

bool Point::onMeasure(const Event& event)
{
    return storeMeasure(event, StateMeasured);
}

bool Point::onFirstMeasure(const Event& event)
{
    return storeMeasure(event, StateMeasuring);
}

bool Point::onThresholdExceeded(const Event& event)
{
    return storeMeasure(event, StateThresholdExceeded);
}

bool Point::onPrethresholdExceeded(const Event& event)
{
    return storeMeasure(event, StatePrethresholdExceeded);
}

bool Point::onThresholdReduced(const Event& event)
{
    return storeMeasure(event, StateThresholdReduced);
}

bool Point::onWriteError(const Event&)
{
    m_state = StateWriteError;
    return true;
}

bool Point::onReadError(const Event&)
{
    m_state = StateReadError;
    return true;
}

bool Point::onNoAnswer(const Event&)
{
    m_state = StateNoAnswer;
    return true;
}

bool Point::onMeasuresRestarted(const Event&)
{
    m_state = StateMeasuresRestarted;
    return true;
}

bool Point::onAlgorithmChanged(const Event&)
{
    m_state = StateMeasuring;
    return true;
}

bool Point::onStatusRead(const Event&)
{
    m_state = StateMeasuring;
    return true;
}

bool Point::onAddressChanged(const Event&)
{
    m_state = StatePlugged;
    return true;
}

bool Point::onDatesChanged(const Event&)
{
    m_state = StatePlugged;
    return true;
}

bool Point::onDeviceDateChanged(const Event&)
{
    m_state = StatePlugged;
    return true;
}

bool Point::onSerialPortError(const Event&)
{
    if (m_state == StateSerialPortError)
        return false;
    m_state = StateSerialPortError;
    return true;
}

bool Point::onUnknownVariable(const Event&)
{
    if (m_state == StateUnknownVariable)
        return false;
    m_state = StateUnknownVariable;
    return true;
}

bool Point::onSingleMeasure(const Event& event)
{
    return storeMeasure(event, StateSingleMeasure);
}

bool Point::onParamsChanged(const Event& event)
{
    const auto& texts = boost::any_cast<const ParamTexts&>(event.data());
    std::vector<PointParam>& params = m_params.params();
    for (const auto& [index, text] : texts) {
        if (index < params.size())
            params[index].setFromText(text);
    }
    m_state = StateMeasuring;
    resetMeasure();
    return true;
}

bool Point::onVolumeChanged(const Event&)
{
    return true;
}

bool Point::onLanguageChanged(const Event&)
{
    m_state = StateReadingParams;
    return true;
}

bool Point::onFactoryNumberChanged(const Event&)
{
    return true;
}

bool Point::onInstantValueRead(const Event& event)
{
    m_instant = boost::any_cast<const InstantValue&>(event.data());
    m_state = StateMeasuring;
    return true;
}

bool Point::onWriteDataToDevice(const Event&)
{
    m_state = StateMeasuring;
    return true;
}

bool Point::onGetTrueValue(const Event&)
{
    m_state = StateMeasuring;
    return true;
}

bool Point::onClearMemory(const Event&)
{
    m_state = StateMeasuring;
    return true;
}

bool Point::onTableHeaderRead(const Event&)
{
    return true;
}

bool Point::onRecordsCountRead(const Event&)
{
    m_state = StateMeasuring;
    return true;
}

bool Point::onNextRecordRead(const Event&)
{
    return true;
}

} // namespace morva_velox
