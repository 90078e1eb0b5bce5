#ifndef MORVA_INSIGHT_COLUMNCHOICE_H
#define MORVA_INSIGHT_COLUMNCHOICE_H

#include <cstddef>
#include <cstdint>
#include <optional>

// What the operator looks at: a numeric column, split into the series of
// another column, against a lower and an upper limit, within a time range.
struct ColumnChoice {
    std::size_t column = 0;
    std::optional<std::size_t> by;
    std::optional<double> lower;
    std::optional<double> upper;
    // Only the records whose times lie in [from, to] (seconds of the
    // unit's clock); without either, records without a time count too.
    std::optional<std::int64_t> from;
    std::optional<std::int64_t> to;

    bool Outside(double value) const
    {
        return (lower && value < *lower) || (upper && value > *upper);
    }
    bool HasLimits() const { return lower || upper; }
};

#endif
