#ifndef MORVA_VELOX_MEASURE_H
#define MORVA_VELOX_MEASURE_H

#include <wx/string.h>

#include <cstdint>

namespace morva_velox {

// One measured value with its unit, its state flags and its display form.
// Built from a raw value, it rounds the value to about three significant
// digits in a decimal scale (micro, milli, none, kilo, mega) and keeps the
// scale both as an SI prefix and as a power of ten.
class Measure {
public:
    // State bits of flags().
    enum Flag : std::uint16_t {
        ThresholdExceeded = 0x20,
        PrethresholdExceeded = 0x40,
        ThresholdReduced = 0x80,
        CounterForm = 0x200,
    };

    // The raw value of a measure that holds no value (the float nearest to
    // -666.666).
    static constexpr float NoValue = -666.666f;

    // A measure without a value and without scaling.
    Measure() = default;
    // A measure of raw value v, scaled at once.
    Measure(float rawValue, const wxString& unit, int firstSetting, std::uint8_t secondSetting,
            int thirdSetting, std::uint16_t flags);

    float rawValue() const { return m_rawValue; }
    float scaledValue() const { return m_scaledValue; }
    float multiplier() const { return m_multiplier; }
    int firstSetting() const { return m_firstSetting; }
    std::uint8_t secondSetting() const { return m_secondSetting; }
    const wxString& unit() const { return m_unit; }
    const wxString& factorText() const { return m_factorText; }
    const wxString& prefixText() const { return m_prefixText; }
    int thirdSetting() const { return m_thirdSetting; }
    std::uint16_t flags() const { return m_flags; }
    const wxString& counterLabel() const { return m_counterLabel; }
    int counterValue() const { return m_counterValue; }

    void setCounter(const wxString& label, int value);

    bool hasValue() const { return m_rawValue != NoValue; }
    // Marks the measure as holding no value; the other members stay.
    void clearValue() { m_rawValue = NoValue; }

    bool hasFlag(Flag flag) const { return (m_flags & flag) != 0; }
    bool noFlags() const { return m_flags == 0; }

    // The value with its power-of-ten scale text and unit, e.g. " 12.3 ×10⁻³V".
    wxString textWithFactor() const;
    // The value with its SI prefix and unit, e.g. " 12.3 mV".
    wxString textWithPrefix() const;
    // "Measure", or what the state flags say about the value.
    wxString kindText() const;

private:
    void scale();
    wxString composeText(const wxString& scaleText) const;
    wxString counterText() const;

    float m_rawValue = NoValue;
    // Without scaling the scaled value is the raw value itself.
    float m_scaledValue = NoValue;
    float m_multiplier = 1.0f;
    int m_firstSetting = 0;
    std::uint8_t m_secondSetting = 0;
    wxString m_unit;
    wxString m_factorText;
    wxString m_prefixText;
    int m_thirdSetting = 0;
    std::uint16_t m_flags = 0;
    wxString m_counterLabel;
    int m_counterValue = 0;
};

} // namespace morva_velox

#endif
