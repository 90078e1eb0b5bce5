// Scaling, text forms and kind text of measured values.
#include "buslib/model/measure.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace morva_velox;

namespace {

const wxString Micro(L"\u00D710\u207B\u2076");
const wxString Milli(L"\u00D710\u207B\u00B3");
const wxString Kilo(L"\u00D710\u00B3");
const wxString Mega(L"\u00D710\u2076");
const wxString MicroPrefix(L"\u00B5");

Measure measureOf(float raw, const wxString& unit = "V", std::uint16_t flags = 0)
{
    return Measure(raw, unit, 0, 0, 0, flags);
}

} // namespace

TEST(MeasureTest, ScalesIntoTheRangeThatHoldsTheWidenedFloat)
{
    struct Row {
        float raw;
        float scaled;
        wxString factor;
        wxString prefix;
        float multiplier;
    };
    const Row rows[] = {
        // The float nearest 1e-6 lies just below 1e-6: first micro row.
        {1e-6f, 1.0f, Micro, MicroPrefix, 1e6f},
        {2.5e-6f, 2.5f, Micro, MicroPrefix, 1e6f},
        // The float nearest 1e-5 lies below 1e-5: second micro row.
        {1e-5f, 10.0f, Micro, MicroPrefix, 1e6f},
        {0.000234f, 234.0f, Micro, MicroPrefix, 1e6f},
        // The float nearest 0.001 lies above 0.001: the first milli row.
        {0.001f, 1.0f, Milli, "m", 1000.0f},
        {0.0123f, 12.3f, Milli, "m", 1000.0f},
        {0.5f, 500.0f, Milli, "m", 1000.0f},
        {2.5f, 2.5f, "", "", 1.0f},
        {10.0f, 10.0f, "", "", 1.0f},
        {47.25f, 47.2f, "", "", 1.0f},
        // Halves go down: r(x) = ceil(x - 0.5).
        {100.5f, 100.0f, "", "", 1.0f},
        {123.456f, 123.0f, "", "", 1.0f},
        {1000.0f, 1.0f, Kilo, "k", 0.001f},
        {12345.0f, 12.3f, Kilo, "k", 0.001f},
        {654321.0f, 654.0f, Kilo, "k", 0.001f},
        {5e6f, 5.0f, Mega, "M", 1e-6f},
        {2.5e10f, 25000.0f, Mega, "M", 1e-6f},
        // Outside every range: kept as it is, with no scale.
        {0.0f, 0.0f, "", "", 1.0f},
        {-5.0f, -5.0f, "", "", 1.0f},
        {1e-10f, 1e-10f, "", "", 1.0f},
        {2e12f, 2e12f, "", "", 1.0f},
    };
    for (const Row& row : rows) {
        const Measure m = measureOf(row.raw);
        EXPECT_FLOAT_EQ(m.scaledValue(), row.scaled) << row.raw;
        EXPECT_EQ(m.factorText(), row.factor) << row.raw;
        EXPECT_EQ(m.prefixText(), row.prefix) << row.raw;
        EXPECT_FLOAT_EQ(m.multiplier(), row.multiplier) << row.raw;
        EXPECT_EQ(m.rawValue(), row.raw);
    }
}

TEST(MeasureTest, NotANumberStaysUnscaled)
{
    const Measure m = measureOf(std::numeric_limits<float>::quiet_NaN());
    EXPECT_TRUE(std::isnan(m.scaledValue()));
    EXPECT_TRUE(m.factorText().empty());
    EXPECT_TRUE(m.hasValue());
}

TEST(MeasureTest, BothTextFormsFormatTheScaledValue)
{
    struct Row {
        float raw;
        wxString unit;
        wxString withFactor;
        wxString withPrefix;
    };
    const Row rows[] = {
        {0.0123f, "V", " 12.3 " + Milli + "V", " 12.3 mV"},
        {0.5f, "A", " 500 " + Milli + "A", " 500 mA"},
        {2.5f, "V", " 2.50 V", " 2.50 V"},
        {47.25f, "Hz", " 47.2 Hz", " 47.2 Hz"},
        {1e-6f, "g", " 1.00 " + Micro + "g", " 1.00 " + MicroPrefix + "g"},
        {5e6f, "Pa", " 5.00 " + Mega + "Pa", " 5.00 MPa"},
        {0.0f, "V", " 0 V", " 0 V"},
        {-5.0f, "V", " -5.00e+00 V", " -5.00e+00 V"},
        {2e12f, "", " 2.00e+12 ", " 2.00e+12 "},
        {std::numeric_limits<float>::quiet_NaN(), "V", "Something wrong with scaled! nan",
         "Something wrong with scaled! nan"},
    };
    for (const Row& row : rows) {
        const Measure m = measureOf(row.raw, row.unit);
        EXPECT_EQ(m.textWithFactor(), row.withFactor) << row.raw;
        EXPECT_EQ(m.textWithPrefix(), row.withPrefix) << row.raw;
    }
}

TEST(MeasureTest, CounterFormShowsLabelAndCount)
{
    Measure m = measureOf(0.0123f, "V", Measure::CounterForm);
    m.setCounter("Pulses", 17);
    EXPECT_EQ(m.textWithFactor(), "Pulses 17");
    EXPECT_EQ(m.textWithPrefix(), "Pulses 17");
    EXPECT_EQ(m.kindText(), "Pulses 17");
}

TEST(MeasureTest, KindTextFollowsTheFirstFlagThatApplies)
{
    struct Row {
        std::uint16_t flags;
        const char* text;
    };
    const Row rows[] = {
        {0, "Measure"},
        {0x01 | 0x10 | 0x100, "Measure"},
        {Measure::ThresholdExceeded, "Threshold exceeded"},
        {Measure::ThresholdExceeded | Measure::ThresholdReduced | Measure::PrethresholdExceeded,
         "Threshold exceeded"},
        {Measure::ThresholdReduced | Measure::PrethresholdExceeded, "Threshold reduced"},
        {Measure::PrethresholdExceeded | Measure::CounterForm, "Prethreshold exceeded"},
        {Measure::CounterForm, "Count 3"},
    };
    for (const Row& row : rows) {
        Measure m = measureOf(1.0f, "V", row.flags);
        m.setCounter("Count", 3);
        EXPECT_EQ(m.kindText(), row.text) << row.flags;
    }
}

TEST(MeasureTest, KeepsSettingsAndMarksMissingValue)
{
    Measure m(2.5f, "V", -7, 200, 42, 0x20);
    EXPECT_EQ(m.firstSetting(), -7);
    EXPECT_EQ(m.secondSetting(), 200);
    EXPECT_EQ(m.thirdSetting(), 42);
    EXPECT_EQ(m.flags(), 0x20);
    EXPECT_FALSE(m.noFlags());
    EXPECT_TRUE(m.hasValue());

    m.clearValue();
    EXPECT_FALSE(m.hasValue());
    EXPECT_FLOAT_EQ(m.rawValue(), -666.666f);
    EXPECT_FLOAT_EQ(m.scaledValue(), 2.5f);
    EXPECT_EQ(m.unit(), "V");

    const Measure none;
    EXPECT_FALSE(none.hasValue());
    EXPECT_TRUE(none.noFlags());
    EXPECT_FLOAT_EQ(none.multiplier(), 1.0f);
    EXPECT_EQ(none.textWithFactor(), " -6.67e+02 ");
}
