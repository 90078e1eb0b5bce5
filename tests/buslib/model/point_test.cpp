// The point's state machine, its texts and steps, and its copy semantics.
#include "buslib/model/point.h"

#include <boost/any.hpp>
#include <gtest/gtest.h>

#include <array>
#include <set>

using namespace morva_velox;

namespace {

const Address Here = Address::fromBytes(1, 2, 3);
const wxString Milli(L"\u00D710\u207B\u00B3");
// A state that no handler sets and that has no text.
constexpr std::int32_t Neutral = 99;

Measure sampleMeasure()
{
    return Measure(0.0123f, "V", 0, 0, 0, 0);
}

Error errorOf(int code)
{
    return code == 35 ? NoAnswer : code == 36 ? DataCorrupted : WriteError;
}

// A payload of the type that each code carries.
Value payloadFor(int code)
{
    if (code == 3) {
        PointParams params;
        params.setText(0, "first");
        params.setText(1, "second");
        params.setParams({PointParam(1, TypeByte, "B", static_cast<unsigned char>(1))});
        return params;
    }
    if (code == 4) {
        Algorithm algorithm;
        algorithm.name = "RMS";
        return Algorithms{algorithm, Algorithm{}};
    }
    if ((code >= 5 && code <= 22) || (code >= 29 && code <= 31) || code == 39)
        return sampleMeasure();
    if (code == 33)
        return static_cast<MeasuringAlgorithm>(2);
    if (code >= 35 && code <= 37)
        return errorOf(code);
    if (code == 40)
        return ParamTexts{};
    if (code == 42)
        return Point::InstantValue{1.5f, 2.5f, 3};
    return Value();
}

Event eventFor(int code, const Address& address = Here)
{
    return Event(code, address, payloadFor(code));
}

// A point of another kind: its own plug handler, and it keeps no events.
class QuietPoint : public Point {
public:
    using Point::Point;
    bool keepsEvents() const override { return false; }

protected:
    bool onPlugged(const Event&) override
    {
        setState(60);
        return true;
    }
};

} // namespace

TEST(PointTest, NewPoint)
{
    const Point point(Here);
    EXPECT_EQ(point.state(), 1);
    EXPECT_EQ(point.stateText(), "Point plugged");
    EXPECT_EQ(point.nextStep(), 1);
    EXPECT_EQ(point.currentEvent().code(), 49);
    EXPECT_EQ(point.currentEvent().address(), Address::host());
    EXPECT_TRUE(point.currentEvent().data().empty());
    EXPECT_EQ(point.previousEvent().code(), 49);
    EXPECT_EQ(point.lastErrorCode(), NoError);
    EXPECT_FALSE(point.measure().hasValue());
    EXPECT_FALSE(point.mark());
    EXPECT_TRUE(point.keepsEvents());
    EXPECT_FALSE(point.isSpecial());
    EXPECT_FALSE(point.isBusy());
    EXPECT_EQ(point.instantValue().count, 0);
    EXPECT_EQ(point.spareValue(), 0.0f);
    EXPECT_EQ(point.params().statusTable().count(), 0);
    EXPECT_EQ(point.addressText(), "001.002.003");
    EXPECT_EQ(Point(Address::fromBytes(10, 0, 255)).addressText(), "010.000.255");
}

TEST(PointTest, EveryCodeReachesItsHandler)
{
    // New state by event code 0..50 (Neutral: the state is left as it was).
    const std::array<std::int32_t, 51> newState = {
        3, 2, 42, 5, 7, 7, 8, 8, 8, 8,                  // 0..9
        8, 8, 8, 8, 8, 8, 8, 8, 8, 8,                   // 10..19
        8, 8, 8, 7, 1, 1, 1, Neutral, 3, 25,            // 20..29
        26, 27, 3, 7, 32, 31, 37, 41, 33, 43,           // 30..39
        7, Neutral, 7, 7, 7, 7, Neutral, 7, Neutral, 3, // 40..49
        3,                                              // 50
    };
    for (int code = -2; code <= 60; ++code) {
        Point point(Here);
        Event earlier = eventFor(36);
        ASSERT_TRUE(point.processEvent(earlier));
        point.setState(Neutral);

        Event event = eventFor(code);
        const bool handled = code >= 0 && code <= 48;
        EXPECT_EQ(point.processEvent(event), handled) << code;
        const std::int32_t expected = code >= 0 && code <= 50 ? newState[code] : 3;
        EXPECT_EQ(point.state(), expected) << code;
        EXPECT_EQ(point.currentEvent().code(), code);
        EXPECT_EQ(point.previousEvent().code(), 36);
        EXPECT_EQ(event.handledFlag(), 1) << code;
        EXPECT_EQ(point.currentEvent().handledFlag(), 1) << code;
        const Error error = !handled ? DataCorrupted
                                     : code >= 35 && code <= 37 ? errorOf(code) : NoError;
        EXPECT_EQ(point.lastErrorCode(), error) << code;
    }
}

TEST(PointTest, HandlersStoreTheirPayloads)
{
    Point point(Here);
    Event params = eventFor(3);
    point.processEvent(params);
    EXPECT_EQ(point.firstText(), "first");
    EXPECT_EQ(point.secondText(), "second");
    EXPECT_EQ(point.params().params().size(), 1u);

    Event algorithms = eventFor(4);
    point.processEvent(algorithms);
    ASSERT_EQ(point.algorithms().size(), 2u);
    EXPECT_EQ(point.algorithms()[0].name, "RMS");

    for (const int code : {5, 6, 14, 29, 30, 31, 39}) {
        Point measured(Here);
        Event event = eventFor(code);
        measured.processEvent(event);
        EXPECT_FLOAT_EQ(measured.measure().rawValue(), 0.0123f) << code;
    }

    Event instant = eventFor(42);
    point.processEvent(instant);
    EXPECT_EQ(point.instantValue().firstValue, 1.5f);
    EXPECT_EQ(point.instantValue().secondValue, 2.5f);
    EXPECT_EQ(point.instantValue().count, 3);
}

TEST(PointTest, RepeatedPortAndVariableFailuresAreRefusedButRecorded)
{
    struct Row {
        int code;
        std::int32_t state;
    };
    for (const Row row : {Row{34, 32}, Row{38, 33}}) {
        Point point(Here);
        Event first = eventFor(row.code);
        EXPECT_TRUE(point.processEvent(first));
        EXPECT_EQ(point.state(), row.state);
        Event noAnswer = eventFor(35);
        point.processEvent(noAnswer);
        point.setState(row.state);

        Event again = eventFor(row.code);
        EXPECT_FALSE(point.processEvent(again)) << row.code;
        EXPECT_EQ(point.state(), row.state);
        EXPECT_EQ(point.currentEvent().code(), row.code);
        EXPECT_EQ(point.previousEvent().code(), 35);
        EXPECT_EQ(again.handledFlag(), 1);
        EXPECT_EQ(point.lastErrorCode(), NoAnswer);
    }
}

TEST(PointTest, EventOfAnotherAddressChangesNothing)
{
    Point point(Here);
    for (const Address other : {Address::fromBytes(1, 2, 4), Address::fromBytes(1, 3, 3),
                                Address::fromBytes(2, 2, 3)}) {
        Event event = eventFor(0, other);
        EXPECT_FALSE(point.processEvent(event));
        EXPECT_EQ(point.state(), 1);
        EXPECT_EQ(point.currentEvent().code(), 49);
        EXPECT_EQ(event.handledFlag(), 0);
    }
}

TEST(PointTest, WrongPayloadFailsBeforeOrAfterRecording)
{
    Point point(Here);
    for (const int code : {3, 4, 14, 40, 42}) {
        Event wrong(code, Here, wxString("not the payload"));
        EXPECT_THROW(point.processEvent(wrong), boost::bad_any_cast) << code;
    }
    EXPECT_EQ(point.state(), 1);
    EXPECT_EQ(point.currentEvent().code(), 49);

    // An error event without its error: handled and recorded, then the
    // error cannot be taken.
    Event emptyError(35, Here);
    EXPECT_THROW(point.processEvent(emptyError), boost::bad_any_cast);
    EXPECT_EQ(point.state(), 31);
    EXPECT_EQ(point.currentEvent().code(), 35);
}

TEST(PointTest, ChangedParamsAreSetFromTheirTexts)
{
    Point point(Here);
    PointParams params;
    params.setParams({
        PointParam(1, TypeByte, "B", static_cast<unsigned char>(1)),
        PointParam(2, TypeFloat, "F", 1.0f),
        PointParam(3, TypeAddress, "A", Address::fromBytes(9, 9, 9)),
    });
    Event read(3, Here, params);
    point.processEvent(read);
    Event measured = eventFor(5);
    point.processEvent(measured);
    ASSERT_TRUE(point.measure().hasValue());

    Event changed(40, Here, ParamTexts{{0, "300"}, {2, "1.2.3"}, {3, "7"}, {200, "8"}});
    EXPECT_TRUE(point.processEvent(changed));
    const std::vector<PointParam>& now = point.params().params();
    EXPECT_EQ(now[0].text(3), "44");
    EXPECT_EQ(now[1].text(3), "1");
    EXPECT_EQ(now[2].text(3), "1.2.3");
    EXPECT_EQ(point.state(), 7);
    EXPECT_FALSE(point.measure().hasValue());
    EXPECT_FLOAT_EQ(point.measure().scaledValue(), 12.3f);
    EXPECT_EQ(point.stateText(), "Measure");
}

TEST(PointTest, OverridesComeFirstAndSubclassHandlersAreCalled)
{
    Point point(Here);
    point.insertOverride(0, [](Point& p, const Event&) {
        p.setState(77);
        return false;
    });
    point.insertOverride(60, [](Point&, const Event&) { return true; });

    Event plugged = eventFor(0);
    EXPECT_FALSE(point.processEvent(plugged));
    EXPECT_EQ(point.state(), 77);
    Event unhandled = eventFor(60);
    EXPECT_TRUE(point.processEvent(unhandled));
    EXPECT_EQ(point.state(), 77);

    Point copy(point);
    Event again = eventFor(0);
    copy.processEvent(again);
    EXPECT_EQ(copy.state(), 77);

    QuietPoint quiet(Here);
    Event event = eventFor(0);
    EXPECT_TRUE(quiet.processEvent(event));
    EXPECT_EQ(quiet.state(), 60);
    EXPECT_EQ(event.handledFlag(), 0);
    EXPECT_EQ(quiet.currentEvent().handledFlag(), 0);
}

TEST(PointTest, DispatchRunsTheHandlerAlone)
{
    Point point(Here);
    const Event unplugged = eventFor(1, Address::fromBytes(7, 7, 7));
    EXPECT_TRUE(point.dispatch(unplugged));
    EXPECT_EQ(point.state(), 2);
    EXPECT_EQ(point.currentEvent().code(), 49);
    EXPECT_FALSE(point.dispatch(eventFor(49)));
    EXPECT_FALSE(point.dispatch(eventFor(-1)));
    EXPECT_EQ(point.state(), 2);
    point.setState(33);
    EXPECT_FALSE(point.dispatch(eventFor(38)));
}

TEST(PointTest, StateTextsDescriptionsAndQueries)
{
    struct Row {
        std::int32_t low;
        std::int32_t high;
        const char* text;
        bool withValue = false; // followed by the measure text
        bool textOnly = false; // no description
    };
    const Row rows[] = {
        {-1, 0, ""},
        {1, 1, "Point plugged"},
        {2, 2, "Point unplugged"},
        {3, 3, "Reading parameters..."},
        {4, 4, ""},
        {5, 5, "Reading algorithms..."},
        {6, 6, ""},
        {7, 24, "", true},
        {25, 25, "Threshold exceeded", true},
        {26, 26, "Prethreshold exceeded", true},
        {27, 27, "Threshold reduced", true},
        {28, 31, "No answer"},
        {32, 32, "Serial port error"},
        {33, 33, "Unknown variable"},
        {34, 37, "Read error"},
        {38, 41, "Write error"},
        {42, 42, "Measures restarted"},
        {43, 43, "", true},
        {44, 44, "Instant value reading"},
        {45, 45, "Writing data to device", false, true},
        {46, 46, "Getting true value", false, true},
        {47, 47, "Clearing nonvolatile memory", false, true},
        {48, 48, ""},
        {49, 49, "Reading records count", false, true},
        {50, 51, ""},
    };
    Point point(Here);
    Event measured = eventFor(5);
    point.processEvent(measured);
    const wxString withFactor = " 12.3 " + Milli + "V";
    const wxString withPrefix = " 12.3 mV";
    const std::set<std::int32_t> failed = {31, 32, 33, 37, 41};

    for (const Row& row : rows) {
        for (std::int32_t state = row.low; state <= row.high; ++state) {
            point.setState(state);
            const wxString text(row.text);
            EXPECT_EQ(point.stateText(), row.withValue ? text + withFactor : text) << state;
            const wxString description = row.textOnly ? wxString()
                : row.withValue                       ? text + withPrefix
                                                      : text;
            EXPECT_EQ(point.stateDescription(), description) << state;
            EXPECT_EQ(point.hasFailed(), failed.count(state) == 1) << state;
            EXPECT_EQ(point.isThresholdExceeded(), state == 25);
            EXPECT_EQ(point.isPrethresholdExceeded(), state == 26);
            EXPECT_EQ(point.isThresholdReduced(), state == 27);
            EXPECT_EQ(point.inState43(), state == 43);
        }
    }
}

TEST(PointTest, MeasuringStateShowsMeasureUntilAValueArrives)
{
    Point point(Here);
    point.setState(7);
    EXPECT_EQ(point.stateText(), "Measure");
    EXPECT_EQ(point.stateDescription(), "Measure");
    Event measured = eventFor(5);
    point.processEvent(measured);
    EXPECT_EQ(point.state(), 7);
    EXPECT_EQ(point.stateText(), " 12.3 " + Milli + "V");
    point.resetMeasure();
    EXPECT_EQ(point.stateText(), "Measure");
}

TEST(PointTest, NextStepOfEveryState)
{
    const std::array<std::int32_t, 51> steps = {
        4, 1, 2, 4, 6, 5, 7, 8, 9, 10,      // 0..9
        11, 12, 13, 14, 15, 16, 17, 18, 19, 20, // 10..19
        21, 22, 23, 24, 25, 8, 8, 8, 4, 4,  // 20..29
        4, 4, 4, 4, 4, 4, 4, 4, 4, 4,       // 30..39
        4, 4, 8, 30, 37, 38, 39, 40, 41, 42, // 40..49
        43,                                 // 50
    };
    Point point(Here);
    for (std::int32_t state = 0; state <= 50; ++state) {
        point.setState(state);
        EXPECT_EQ(point.nextStep(), steps[state]) << state;
    }
    for (const std::int32_t state : {-1, 51, 1000}) {
        point.setState(state);
        EXPECT_EQ(point.nextStep(), 4) << state;
    }
}

TEST(PointTest, CopiesKeepReadDataButStartWithFreshEvents)
{
    Point original(Here);
    Event params = eventFor(3);
    original.processEvent(params);
    Event algorithms = eventFor(4);
    original.processEvent(algorithms);
    Event measured = eventFor(5);
    original.processEvent(measured);
    Event failure = eventFor(37);
    original.processEvent(failure);
    original.setLabel("pump");
    original.setSpareValue(4.5f);
    original.setMark(true);
    ASSERT_TRUE(original.tryAcquire());
    ASSERT_TRUE(original.requestStop());

    const Point copy(original);
    EXPECT_EQ(copy.address(), Here);
    EXPECT_EQ(copy.state(), 41);
    EXPECT_EQ(copy.label(), "pump");
    EXPECT_EQ(copy.spareValue(), 4.5f);
    EXPECT_TRUE(copy.mark());
    EXPECT_TRUE(copy.isBusy());
    EXPECT_TRUE(copy.isStopRequested());
    EXPECT_EQ(copy.lastErrorCode(), WriteError);
    EXPECT_EQ(copy.firstText(), "first");
    EXPECT_EQ(copy.algorithms().size(), 2u);
    EXPECT_FALSE(copy.measure().hasValue());
    EXPECT_EQ(copy.currentEvent().code(), 49);
    EXPECT_EQ(copy.nextStep(), 4);

    Point assigned(Address::fromBytes(5, 5, 5));
    Event own = eventFor(6, Address::fromBytes(5, 5, 5));
    assigned.processEvent(own);
    assigned = original;
    EXPECT_EQ(assigned.address(), Here);
    EXPECT_EQ(assigned.state(), 41);
    EXPECT_EQ(assigned.label(), "pump");
    // Assignment leaves the target's own events and measure.
    EXPECT_TRUE(assigned.measure().hasValue());
    EXPECT_EQ(assigned.currentEvent().code(), 6);
}

TEST(PointTest, HandOverFlags)
{
    Point point(Here);
    EXPECT_FALSE(point.requestStop());
    EXPECT_FALSE(point.isStopRequested());
    EXPECT_TRUE(point.tryAcquire());
    EXPECT_FALSE(point.tryAcquire());
    EXPECT_TRUE(point.isBusy());
    EXPECT_TRUE(point.requestStop());
    EXPECT_TRUE(point.isStopRequested());
    point.release();
    EXPECT_FALSE(point.isBusy());
    EXPECT_TRUE(point.tryAcquire());
}
