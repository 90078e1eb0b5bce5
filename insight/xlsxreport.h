#ifndef MORVA_INSIGHT_XLSXREPORT_H
#define MORVA_INSIGHT_XLSXREPORT_H

#include "archive/archivedreading.h"
#include "insight/recordtable.h"
#include "report/reportformater.h"
#include "report/reportgenerator.h"

#include <wx/datetime.h>
#include <wx/string.h>

#include <cstddef>
#include <functional>
#include <vector>

// A reading as an Excel workbook: a first sheet "Reading" with the
// reading's facts and the figures of every table's measured columns per
// series, then one sheet per table, its cells typed (see SpreadsheetCell),
// the header bold and frozen, a filter over the table, columns as wide as
// their cells. Written in the library's constant-memory mode, so that a
// full unit costs little memory; named and made to last as the other
// reports are (see ReportFile), never left half-written under its name.
class XlsxReport {
public:
    static const char* const Extension; // "xlsx"

    // The tables of a reading, one at a time: table `index` (counted from
    // 0). Each is asked for twice, for its figures and for its sheet, so
    // that only one is held at once.
    using TableSource = std::function<RecordTable(std::size_t index)>;

    // Writes the workbook of `count` tables under `fileName`, or the first
    // free name after it.
    static ReportOutcome Write(std::size_t count, const TableSource& table, const ReadingSummary& reading,
                               const wxString& fileName);
    static ReportOutcome Write(const std::vector<RecordTable>& tables, const ReadingSummary& reading,
                               const wxString& fileName);
    // The same for the lines a reading collected, named by the time in
    // `folder` as every report is.
    static ReportOutcome Generate(const ReportLines& lines, const ReadingSummary& reading, const wxString& folder,
                                  const wxDateTime& now);

    // A table's sheet: its number and the header's first words, within a
    // sheet name's 31 characters and without the characters one may not
    // hold.
    static wxString SheetName(unsigned number, const wxString& header);
};

#endif
