#ifndef MORVA_ARCHIVE_SUMMARYCOLUMNS_H
#define MORVA_ARCHIVE_SUMMARYCOLUMNS_H

#include "archive/archivedreading.h"

#include <wx/datetime.h>

#include <cstdint>

// How both archives keep a reading's summary: its times as milliseconds
// since 1970, and its columns selected in one order.

inline std::int64_t ArchiveMilliseconds(const wxDateTime& time) { return time.GetValue().GetValue(); }

inline wxDateTime ArchiveTime(std::int64_t milliseconds) { return wxDateTime(wxLongLong(milliseconds)); }

// The summary from a row of the columns id, started, ended, port, device,
// baud, pace, version, outcome, error, table_count, record_count, station
// and uuid, in that order. `Row` answers IsNull, Integer and Text by column.
template <class Row>
ReadingSummary SummaryFromColumns(const Row& row)
{
    ReadingSummary summary;
    summary.id = row.Integer(0);
    summary.started = ArchiveTime(row.Integer(1));
    if (!row.IsNull(2))
        summary.ended = ArchiveTime(row.Integer(2));
    summary.facts.port = row.Text(3);
    summary.facts.device = row.Text(4);
    summary.facts.baud = static_cast<int>(row.Integer(5));
    summary.facts.pace = row.Text(6);
    summary.facts.version = row.Text(7);
    summary.end = ReadingEndFromKey(row.Text(8));
    summary.error = row.Text(9);
    summary.tableCount = static_cast<unsigned>(row.Integer(10));
    summary.recordCount = row.Integer(11);
    summary.facts.station = row.Text(12);
    summary.uuid = row.Text(13);
    return summary;
}

#endif
