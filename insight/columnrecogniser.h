#ifndef MORVA_INSIGHT_COLUMNRECOGNISER_H
#define MORVA_INSIGHT_COLUMNRECOGNISER_H

#include "insight/columnkind.h"
#include "insight/recordtable.h"

#include <cstddef>
#include <vector>

// Tells from a table's cells what each column holds. A column is of a kind
// when nearly all its non-empty cells are (one stray cell in ten is
// forgiven, so that a date column with a note in it stays a date column);
// empty cells count for no kind. A number column that counts on by one
// from record to record is the running number. A column that is none of
// these and whose values recur (at most 32 of them, repeated) is a series.
class ColumnRecogniser {
public:
    static constexpr std::size_t MaxSeries = 32;

    static std::vector<ColumnKind> Recognise(const RecordTable& table);
    static ColumnKind RecogniseColumn(const RecordTable& table, std::size_t column);
};

#endif
