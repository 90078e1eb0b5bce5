#include "insight/readingreport.h"

#include "insight/xlsxreport.h"

ReportOutcome ReadingReport::Make(const ReportLines& lines, unsigned tableCount, int format, const wxString& folder,
                                  const wxDateTime& time, const ReadingSummary& reading)
{
    if (format == Xlsx)
        return XlsxReport::Generate(lines, reading, folder, time);
    return GenerateReport(lines, tableCount, format, folder, time);
}
