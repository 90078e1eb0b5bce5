#ifndef MORVA_VELOX_POINT_H
#define MORVA_VELOX_POINT_H

#include "buslib/protocol/address.h"
#include "buslib/model/algorithm.h"
#include "buslib/serial/error.h"
#include "buslib/model/event.h"
#include "buslib/model/measure.h"
#include "buslib/model/pointparams.h"

#include <wx/string.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>

namespace morva_velox {

// A measuring point on the bus, identified by its address. It keeps what has
// been read from the point and follows the events that concern it through a
// small state machine: each event code reaches one handler, which stores the
// event's payload and sets the next state.
//
// A worker thread may hold a point while another thread manages the
// collection: tryAcquire()/release() hand the point over and requestStop()
// asks the holder to give it up. Everything else is used by one thread at a
// time by agreement.
class Point {
public:
    // The instant value of a point.
    struct InstantValue {
        float firstValue = 0.0f;
        float secondValue = 0.0f;
        std::int32_t count = 0;
    };

    // Handles an event of the given point; returns whether it was handled.
    using Handler = std::function<bool(Point&, const Event&)>;

    // State codes that the handlers set.
    enum State : std::int32_t {
        StatePlugged = 1,
        StateUnplugged = 2,
        StateReadingParams = 3,
        StateReadingAlgorithms = 5,
        StateMeasuring = 7,
        StateMeasured = 8,
        StateThresholdExceeded = 25,
        StatePrethresholdExceeded = 26,
        StateThresholdReduced = 27,
        StateNoAnswer = 31,
        StateSerialPortError = 32,
        StateUnknownVariable = 33,
        StateReadError = 37,
        StateWriteError = 41,
        StateMeasuresRestarted = 42,
        StateSingleMeasure = 43,
    };

    explicit Point(const Address& address);
    // Copies the address, the read data, the flags, the state, the tables
    // and the label; the events, measure and instant value start afresh.
    Point(const Point& other);
    // As the copy constructor, but keeps this point's events, measure and
    // instant value.
    Point& operator=(const Point& other);
    virtual ~Point();

    virtual bool mark() const;
    virtual void setMark(bool mark);
    virtual void noop();
    // Whether the point keeps the events it applies; stored into each
    // applied event's handled flag.
    virtual bool keepsEvents() const;
    virtual bool isSpecial() const;

    // Applies an event of this point's address: runs its handler, records the
    // event and the error it carries. False for another address, for an
    // unhandled code (which restarts the point at state 3) and when the
    // handler refuses the event.
    bool processEvent(Event& event);
    // Runs the handler of the event's code alone; false without a handler.
    bool dispatch(const Event& event);
    // A handler consulted before the point's own for that code.
    void insertOverride(int code, const Handler& handler);

    std::int32_t state() const { return m_state; }
    void setState(std::int32_t state) { m_state = state; }
    wxString stateText() const;
    wxString stateDescription() const;
    // The step code kept for the current state; 4 for a state without one.
    std::int32_t nextStep() const;

    bool hasFailed() const;
    bool isThresholdExceeded() const { return m_state == StateThresholdExceeded; }
    bool isPrethresholdExceeded() const { return m_state == StatePrethresholdExceeded; }
    bool isThresholdReduced() const { return m_state == StateThresholdReduced; }
    bool inState43() const { return m_state == StateSingleMeasure; }

    const Address& address() const { return m_address; }
    // "%03d.%03d.%03d" of the address's wire bytes.
    wxString addressText() const { return m_address.text(); }
    const PointParams& params() const { return m_params; }
    const wxString& firstText() const { return m_params.text(0); }
    const wxString& secondText() const { return m_params.text(1); }
    const Algorithms& algorithms() const { return m_algorithms; }
    const Measure& measure() const { return m_measure; }
    // Marks the measure as holding no value.
    void resetMeasure() { m_measure.clearValue(); }
    const InstantValue& instantValue() const { return m_instant; }
    const Event& currentEvent() const { return m_currentEvent; }
    const Event& previousEvent() const { return m_previousEvent; }
    Error lastErrorCode() const { return m_lastErrorCode; }

    const wxString& label() const { return m_label; }
    void setLabel(const wxString& label) { m_label = label; }
    float spareValue() const { return m_spareValue; }
    void setSpareValue(float value) { m_spareValue = value; }

    // Takes the point for the calling thread; false when somebody holds it.
    bool tryAcquire();
    void release();
    // Asks the holder to give the point up; false when nobody holds it.
    bool requestStop();
    bool isBusy() const { return m_busy; }
    bool isStopRequested() const { return m_stopRequested; }
    // Returns the point to state 1, not held, not stopped, without an error.
    void restart();

protected:
    virtual bool onPlugged(const Event& event);
    virtual bool onUnplugged(const Event& event);
    virtual bool onParamsRead(const Event& event);
    virtual bool onAlgorithmsRead(const Event& event);
    virtual bool onParametersSet(const Event& event);
    virtual bool onMeasure(const Event& event);
    virtual bool onFirstMeasure(const Event& event);
    virtual bool onThresholdExceeded(const Event& event);
    virtual bool onPrethresholdExceeded(const Event& event);
    virtual bool onThresholdReduced(const Event& event);
    virtual bool onWriteError(const Event& event);
    virtual bool onReadError(const Event& event);
    virtual bool onNoAnswer(const Event& event);
    virtual bool onMeasuresRestarted(const Event& event);
    virtual bool onAlgorithmChanged(const Event& event);
    virtual bool onStatusRead(const Event& event);
    virtual bool onAddressChanged(const Event& event);
    virtual bool onDatesChanged(const Event& event);
    virtual bool onDeviceDateChanged(const Event& event);
    virtual bool onSerialPortError(const Event& event);
    virtual bool onUnknownVariable(const Event& event);
    virtual bool onSingleMeasure(const Event& event);
    virtual bool onParamsChanged(const Event& event);
    virtual bool onVolumeChanged(const Event& event);
    virtual bool onLanguageChanged(const Event& event);
    virtual bool onFactoryNumberChanged(const Event& event);
    virtual bool onInstantValueRead(const Event& event);
    virtual bool onWriteDataToDevice(const Event& event);
    virtual bool onGetTrueValue(const Event& event);
    virtual bool onClearMemory(const Event& event);
    virtual bool onTableHeaderRead(const Event& event);
    virtual bool onRecordsCountRead(const Event& event);
    virtual bool onNextRecordRead(const Event& event);

private:
    using HandlerTable = std::map<int, Handler>;

    void fillHandlerTable();
    void fillNextStepTable();
    void copyFrom(const Point& other);
    bool storeMeasure(const Event& event, std::int32_t newState);
    wxString stateTextWith(const wxString& valueText, bool describing) const;

    InstantValue m_instant;
    float m_spareValue = 0.0f;
    bool m_mark = false;
    std::atomic<bool> m_busy{false};
    std::atomic<bool> m_stopRequested{false};
    wxString m_label;
    std::int32_t m_state = StatePlugged;
    Event m_currentEvent;
    Event m_previousEvent;
    PointParams m_params;
    Address m_address;
    Algorithms m_algorithms;
    Measure m_measure;
    Error m_lastErrorCode = NoError;
    std::map<std::int32_t, std::int32_t> m_nextStepTable;
    HandlerTable m_handlerTable;
    HandlerTable m_overrideTable;
};

} // namespace morva_velox

#endif
