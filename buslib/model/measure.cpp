#include "buslib/model/measure.h"

#include "buslib/serial/error.h"

#include <wx/intl.h>

#include <cmath>

namespace morva_velox {

namespace {

wxString translated(const wxString& text)
{
    return wxGetTranslation(text, CatalogName);
}

// A decimal scale: its power-of-ten text, its SI prefix and the factor from
// the raw to the scaled value.
struct Scale {
    const wchar_t* factor;
    const wchar_t* prefix;
    double multiplier;
};

// "×10⁻⁶" / "µ", "×10⁻³" / "m", "×10³" / "k", "×10⁶" / "M".
constexpr Scale Micro{L"\u00D710\u207B\u2076", L"\u00B5", 1e6};
constexpr Scale Milli{L"\u00D710\u207B\u00B3", L"m", 1e3};
constexpr Scale Kilo{L"\u00D710\u00B3", L"k", 1e-3};
constexpr Scale Mega{L"\u00D710\u2076", L"M", 1e-6};

enum class Bound { Open, Closed };

// One range of raw values and how a value in it is rounded:
// scaled = r(v * inner) / divisor * outer, with r(x) = ceil(x - 0.5).
struct ScaleRow {
    double low;
    Bound lowBound;
    double high;
    Bound highBound;
    double inner;
    double divisor;
    double outer;
    const Scale* scale; // none for the unscaled rows

    bool contains(double v) const
    {
        const bool aboveLow = lowBound == Bound::Closed ? v >= low : v > low;
        const bool belowHigh = highBound == Bound::Closed ? v <= high : v < high;
        return aboveLow && belowHigh;
    }
};

constexpr Bound O = Bound::Open;
constexpr Bound C = Bound::Closed;

// The first row that contains the value wins.
const ScaleRow ScaleRows[] = {
    {1e-9, O, 1e-6, C, 1e9, 1000, 1, &Micro},
    {1e-6, O, 1e-5, C, 1e8, 100, 1, &Micro},
    {1e-5, O, 0.001, O, 1e7, 10, 1, &Micro},
    {0.001, C, 0.01, O, 1e5, 100, 1, &Milli},
    {0.01, C, 1, O, 1e4, 10, 1, &Milli},
    {1, C, 10, C, 100, 100, 1, nullptr},
    {10, O, 100, C, 10, 10, 1, nullptr},
    {100, O, 1000, O, 1, 1, 1, nullptr},
    {1000, C, 10000, C, 0.1, 0.1, 0.001, &Kilo},
    {10000, O, 100000, C, 0.01, 0.01, 0.001, &Kilo},
    {100000, O, 1e6, C, 0.001, 0.001, 0.001, &Kilo},
    {1e6, O, 1e7, O, 1e-4, 1e-4, 1e-6, &Mega},
    {1e7, C, 1e8, C, 1e-5, 1e-5, 1e-6, &Mega},
    {1e8, O, 1e9, C, 1e-6, 1e-6, 1e-6, &Mega},
    {1e9, O, 1e11, C, 1e-7, 1e-7, 1e-6, &Mega},
};

const ScaleRow* findScaleRow(float v)
{
    const double widened = v;
    for (const ScaleRow& row : ScaleRows) {
        if (row.contains(widened))
            return &row;
    }
    return nullptr;
}

// Rounding in extended precision, nearest with halves going down.
float roundScaled(float v, const ScaleRow& row)
{
    const long double x = static_cast<long double>(v) * row.inner;
    const long double rounded = std::ceil(x - 0.5L);
    return static_cast<float>(rounded / row.divisor * row.outer);
}

// The number part of a measure text, with a blank on either side; empty
// when the value fits no format (not a number).
wxString numberText(float scaled)
{
    const double s = scaled;
    if (s >= 1e11 || s <= 0.001)
        return s != 0 ? wxString::Format(" %2.2e ", s) : wxString(" 0 ");
    if (s > 0.0001 && s < 1)
        return wxString::Format(" %.3f ", s);
    if (s >= 1 && s < 10)
        return wxString::Format(" %.2f ", s);
    if (s >= 10 && s < 100)
        return wxString::Format(" %.1f ", s);
    if (s >= 100)
        return wxString::Format(" %.0f ", s);
    return wxString();
}

} // namespace

Measure::Measure(float rawValue, const wxString& unit, int firstSetting,
                 std::uint8_t secondSetting, int thirdSetting, std::uint16_t flags)
    : m_rawValue(rawValue)
    , m_scaledValue(rawValue)
    , m_firstSetting(firstSetting)
    , m_secondSetting(secondSetting)
    , m_unit(unit)
    , m_thirdSetting(thirdSetting)
    , m_flags(flags)
{
    scale();
}

void Measure::scale()
{
    const ScaleRow* row = findScaleRow(m_rawValue);
    if (!row)
        return;
    m_scaledValue = roundScaled(m_rawValue, *row);
    if (row->scale) {
        m_factorText = translated(row->scale->factor);
        m_prefixText = translated(row->scale->prefix);
        m_multiplier = static_cast<float>(row->scale->multiplier);
    }
}

void Measure::setCounter(const wxString& label, int value)
{
    m_counterLabel = label;
    m_counterValue = value;
}

wxString Measure::textWithFactor() const
{
    return composeText(m_factorText);
}

wxString Measure::textWithPrefix() const
{
    return composeText(m_prefixText);
}

wxString Measure::counterText() const
{
    return wxString::Format("%s %d", m_counterLabel, m_counterValue);
}

wxString Measure::composeText(const wxString& scaleText) const
{
    if (hasFlag(CounterForm))
        return counterText();
    const wxString number = numberText(m_scaledValue);
    if (number.empty())
        return wxString::Format("Something wrong with scaled! %g", static_cast<double>(m_scaledValue));
    return number + scaleText + m_unit;
}

wxString Measure::kindText() const
{
    if (hasFlag(ThresholdExceeded))
        return translated(wxTRANSLATE("Threshold exceeded"));
    if (hasFlag(ThresholdReduced))
        return translated(wxTRANSLATE("Threshold reduced"));
    if (hasFlag(PrethresholdExceeded))
        return translated(wxTRANSLATE("Prethreshold exceeded"));
    if (hasFlag(CounterForm))
        return counterText();
    return translated(wxTRANSLATE("Measure"));
}

} // namespace morva_velox
