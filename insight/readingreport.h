#ifndef MORVA_INSIGHT_READINGREPORT_H
#define MORVA_INSIGHT_READINGREPORT_H

#include "archive/archivedreading.h"
#include "report/reportformater.h"
#include "report/reportgenerator.h"

#include <wx/datetime.h>
#include <wx/string.h>

// The report of a reading in any format the programs write: the four of the
// report writers (RTF, HTML, TXT, CSV: ReportFormat 0 to 3), and after them
// the Excel workbook (Xlsx), which also tells the reading's facts.
class ReadingReport {
public:
    static constexpr int Xlsx = 4;
    static constexpr int FormatCount = 5;

    static ReportOutcome Make(const ReportLines& lines, unsigned tableCount, int format, const wxString& folder,
                              const wxDateTime& time, const ReadingSummary& reading);
};

#endif
