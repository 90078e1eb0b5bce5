// Event texts, status messages, value texts and message styles.
#include "buslib/model/algorithm.h"
#include "buslib/serial/error.h"
#include "buslib/model/event.h"
#include "buslib/model/measure.h"
#include "buslib/model/point.h"
#include "buslib/model/pointparams.h"

#include <boost/any.hpp>
#include <gtest/gtest.h>

#include <optional>
#include <string>

using namespace morva_velox;

namespace {

const Address Unit = Address::fromBytes(1, 2, 3);
const wxString Milli(L"\u00D710\u207B\u00B3");

Measure sampleMeasure(std::uint16_t flags = 0)
{
    return Measure(0.0123f, "V", 0, 0, 0, flags);
}

// A payload of the type that each code carries.
Value payloadFor(int code)
{
    if (code == 3)
        return PointParams();
    if (code == 4)
        return Algorithms{Algorithm{}};
    if ((code >= 5 && code <= 22) || code == 39)
        return sampleMeasure();
    if (code == 29)
        return sampleMeasure(Measure::ThresholdExceeded);
    if (code == 30)
        return sampleMeasure(Measure::PrethresholdExceeded);
    if (code == 31)
        return sampleMeasure(Measure::ThresholdReduced);
    if (code == 33)
        return static_cast<MeasuringAlgorithm>(3);
    if (code >= 35 && code <= 37)
        return NoAnswer;
    if (code == 40)
        return ParamTexts{{0, "1"}};
    if (code == 42)
        return Point::InstantValue{};
    return Value();
}

struct Expected {
    wxString text;
    std::optional<wxString> message; // none: no message at all
    int kind;
};

Expected expectedFor(int code)
{
    const wxString value = " 12.3 " + Milli + "V";
    switch (code) {
    case 0: return {"Point plugged", "Point plugged", 0};
    case 1: return {"Point unplugged", "Point unplugged", 0};
    case 2: return {"Measures restarted", "Measures restarted", 0};
    case 3: return {"Params have been read", "Params have been read", 0};
    case 4: return {"Algorithms have been read", "Algorithms have been read", 0};
    case 5:
    case 6: return {value, value, 0};
    case 23: return {"Status read", "Status read", 0};
    case 24: return {"Address changed", "Address changed", 0};
    case 25: return {"Date in device changed", "Date in device changed", 0};
    case 26: return {"Dates changed", "Dates changed", 0};
    case 27: return {"Volume level changed", "Volume level changed", 0};
    case 28: return {"Current device language change", "Current device language change", 0};
    case 29: return {value + " Threshold exceeded", "Threshold exceeded", 2};
    case 30: return {value + " Prethreshold exceeded", "Prethreshold exceeded", 2};
    case 31: return {value + " Threshold reduced", "Threshold reduced", 2};
    case 32: return {"Parameters have been set", "Parameters have been set", 0};
    case 33: return {"Current algorithm changed (3)", "Current algorithm changed (3)", 0};
    case 34: return {"Serial port error", "Serial port error", 1};
    case 35: return {"No answer", "No answer", 1};
    case 36: return {"Read error", "Read error", 1};
    case 37: return {"Write error", "Write error", 1};
    case 38: return {"Unknown variable", "Unknown variable", 1};
    case 39: return {value, wxString(" 12.3"), 0};
    case 40: return {"Params have been changed", "Params have been changed", 0};
    case 41: return {"Factory number changed", "Factory number changed", 0};
    case 42: return {"Instant value read", "Instant value read", 0};
    case 43: return {"Write data to device", "Write data to device", 0};
    case 44: return {"Get true value", "Get true value", 0};
    case 45: return {"Clear nonvolatile memory", "Clear nonvolatile memory", 0};
    case 46: return {"Table header read", "Table header read", 0};
    case 47: return {"Redords count read", "Redords count read", 0};
    case 48: return {"Next record read", "Next record read", 0};
    case 49: return {"Unknown event", wxString("Program error! Unknown event"), 1};
    default: break;
    }
    if (code >= 7 && code <= 22)
        return {"Unknown event", wxString("Unknown event"), 0};
    return {"Unknown event", std::nullopt, 0};
}

} // namespace

TEST(EventTest, TextAndMessageOfEveryCode)
{
    for (int code = -1; code <= 52; ++code) {
        const Event event(code, Unit, payloadFor(code));
        const Expected expected = expectedFor(code);
        EXPECT_EQ(event.text(), expected.text) << code;
        if (code < 0) {
            // Below the table: an unknown event with an information message.
            ASSERT_EQ(event.messages().size(), 1u);
            EXPECT_EQ(event.messages()[0].kind(), MessageInformation);
        } else if (!expected.message) {
            EXPECT_TRUE(event.messages().empty()) << code;
        } else {
            ASSERT_EQ(event.messages().size(), 1u) << code;
            EXPECT_EQ(event.messages()[0].text(), *expected.message) << code;
            EXPECT_EQ(event.messages()[0].kind(), expected.kind) << code;
        }
        EXPECT_EQ(event.code(), code);
        EXPECT_EQ(event.address(), Unit);
        EXPECT_EQ(event.handledFlag(), 0);
    }
}

TEST(EventTest, PlugTextsNameTheCpuAtTheHostAddress)
{
    EXPECT_EQ(Event(0, Address::host()).text(), "CPU plugged");
    EXPECT_EQ(Event(1, Address::host()).text(), "CPU unplugged");
    EXPECT_EQ(Event(0, Address::fromBytes(1, 1, 2)).text(), "Point plugged");
    EXPECT_EQ(Event(1, Address::fromBytes(2, 1, 1)).text(), "Point unplugged");
}

TEST(EventTest, MeasureMessageDropsTheUnitAfterTheLastBlank)
{
    struct Row {
        wxString unit;
        std::uint16_t flags;
        wxString message;
    };
    const Row rows[] = {
        {"V", 0, " 2.50"},
        {"", 0, " 2.50"},
        {"km h", 0, " 2.50 km"},
        // A counter label without a blank: the only blank precedes the count.
        {"V", Measure::CounterForm, "Pulses"},
    };
    for (const Row& row : rows) {
        Measure m(2.5f, row.unit, 0, 0, 0, row.flags);
        m.setCounter("Pulses", 4);
        const Event event(39, Unit, m);
        ASSERT_EQ(event.messages().size(), 1u);
        EXPECT_EQ(event.messages()[0].text(), row.message) << row.unit;
    }
    // A text whose only blank is its first character gives an empty message.
    Measure counter(2.5f, "V", 0, 0, 0, Measure::CounterForm);
    counter.setCounter("", 4);
    EXPECT_EQ(Event(39, Unit, counter).messages()[0].text(), "");
}

TEST(EventTest, ValueTextOfMeasureCodes)
{
    const Measure m(123.456f, "V", 0, 0, 0, 0);
    struct Row {
        int code;
        wxString text;
    };
    const Row rows[] = {
        {5, "123"}, {6, "123"}, {15, "123"}, {22, "123"}, {29, "123"}, {31, "123"},
        {39, " 123 V"}, {23, ""}, {32, ""}, {40, ""},
    };
    for (const Row& row : rows) {
        const Value payload = row.code == 40 ? Value(ParamTexts{}) : Value(m);
        EXPECT_EQ(Event(row.code, Unit, payload).valueText(), row.text) << row.code;
    }
    EXPECT_EQ(Event(15, Unit, Measure(0.0123f, "V", 0, 0, 0, 0)).valueText(), "0.0123");
}

TEST(EventTest, WrongPayloadTypeFailsWithBadCast)
{
    EXPECT_THROW(Event(5, Unit), boost::bad_any_cast);
    EXPECT_THROW(Event(30, Unit, 2.5f), boost::bad_any_cast);
    EXPECT_THROW(Event(33, Unit, 3), boost::bad_any_cast);
    EXPECT_THROW(Event(39, Unit, wxString("x")), boost::bad_any_cast);
    const Event unknown(15, Unit, wxString("x"));
    EXPECT_EQ(unknown.text(), "Unknown event");
    EXPECT_THROW(unknown.valueText(), boost::bad_any_cast);
}

TEST(EventTest, PredicatesOnTheCode)
{
    for (int code = 0; code <= 50; ++code) {
        const Event event(code, Unit, payloadFor(code));
        EXPECT_EQ(event.isError(), code >= 35 && code <= 37) << code;
        EXPECT_EQ(event.isThresholdExceeded(), code == 29) << code;
        EXPECT_EQ(event.isPrethresholdExceeded(), code == 30) << code;
        EXPECT_EQ(event.isThresholdReduced(), code == 31) << code;
        EXPECT_EQ(event.isMeasure(), code == 39) << code;
        EXPECT_EQ(event.isParamsChanged(), code == 40) << code;
    }
}

TEST(EventTest, CopyKeepsEveryMember)
{
    const wxDateTime before = wxDateTime::Now();
    Event event(36, Unit, DataCorrupted);
    const wxDateTime after = wxDateTime::Now();
    EXPECT_TRUE(event.time().IsBetween(before, after));
    event.setHandledFlag(1);

    const Event copy(event);
    EXPECT_EQ(copy.handledFlag(), 1);
    EXPECT_EQ(copy.time(), event.time());
    EXPECT_EQ(copy.text(), "Read error");
    ASSERT_EQ(copy.messages().size(), 1u);
    EXPECT_EQ(copy.messages()[0].kind(), MessageError);
    EXPECT_EQ(boost::any_cast<Error>(copy.data()), DataCorrupted);
}

TEST(MessageStyleTest, ColoursOfEachKind)
{
    struct Row {
        int kind;
        Rgb background;
        Rgb foreground;
        bool alert;
    };
    const Row rows[] = {
        {0, {0, 255, 0}, {255, 255, 255}, false},
        {1, {255, 250, 0}, {0, 0, 0}, false},
        {2, {255, 0, 0}, {255, 255, 255}, true},
        {-1, {0, 255, 0}, {0, 0, 0}, false},
        {3, {0, 255, 0}, {0, 0, 0}, false},
    };
    for (const Row& row : rows) {
        const MessageStyle style(row.kind);
        EXPECT_EQ(style.kind(), row.kind);
        EXPECT_EQ(style.background(), row.background) << row.kind;
        EXPECT_EQ(style.foreground(), row.foreground) << row.kind;
        EXPECT_EQ(style.alert(), row.alert) << row.kind;
    }
}
