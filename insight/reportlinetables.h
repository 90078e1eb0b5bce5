#ifndef MORVA_INSIGHT_REPORTLINETABLES_H
#define MORVA_INSIGHT_REPORTLINETABLES_H

#include "insight/recordtable.h"
#include "report/reportformater.h"

#include <cstddef>
#include <vector>

// The tables in the lines a reading collected: per table its header, its
// records and an empty line.
class ReportLineTables {
public:
    // Where a table's lines are: its header, and one past its last record.
    struct Span {
        std::size_t header = 0;
        std::size_t end = 0;
    };

    static std::vector<Span> Spans(const ReportLines& lines);
    // The table of a span, cut into cells; `number` counted from 1.
    static RecordTable Table(const ReportLines& lines, const Span& span, unsigned number);
};

#endif
