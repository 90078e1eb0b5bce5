#ifndef MORVA_REPORT_REPORTGENERATOR_H
#define MORVA_REPORT_REPORTGENERATOR_H

#include "report/reportformater.h"
#include "report/reporttext.h"

#include <wx/datetime.h>
#include <wx/string.h>

#include <functional>
#include <memory>

// The report formats in the order of the window's "Generate report to"
// choice.
enum ReportFormat {
    ReportFormatRtf = 0,
    ReportFormatHtml = 1,
    ReportFormatTxt = 2,
    ReportFormatCsv = 3
};

// What became of one report, for the window or a command-line reader to
// show: the file name and a translated message, either "Report
// successfully generated in file " or the error, each followed by the name.
// When the report was written in full but its name could not be claimed,
// or not flushed to disk, the error goes on in a second line: "The report
// was kept in the file " and where.
struct ReportOutcome {
    bool ok = false;
    wxString fileName;
    wxString message;
};

// Receives the document piece by piece, in order, as wide text.
using ReportSink = std::function<bool(const wxString&)>;

// A new writer for the format index: 0 RTF, 1 HTML, 2 TXT, 3 CSV, any
// other HTML.
std::unique_ptr<ReportFormater> CreateFormater(int formatIndex);

// The format index for a selection of the format choice: one outside 0 to
// 3 (no selection) counts as TXT.
int ReportFormatIndex(int selection);

// folder + "report" + "_%Y_%m_%d_%H_%M_%S" of the local time + "." +
// extension; a path separator is put after a folder that lacks one, and an
// empty folder means the working directory.
wxString ReportFileName(const wxString& folder, const wxString& extension,
                        const wxDateTime& now);

// "Report on " + date + " " + time + " - " + "MORVA_Reporter", translated.
wxString ReportTitle(const wxDateTime& now);

// The rows and cells of table number `number` (counted from 1): the
// non-empty lines after the (number - 1)-th empty line, each cut at every
// tab.
ReportTable CutTable(const ReportLines& lines, unsigned number);

// The cells of one line: a line with k tabs gives k + 1 cells.
ReportRow CutCells(const wxString& line);

// Builds the whole document through the writer into `text`, which hands it
// on as it grows; stops after the table during which its receiver refused a
// piece and returns false then.
bool BuildReport(ReportFormater& formater, const ReportLines& lines,
                 unsigned tableCount, const wxString& title, ReportText& text);

// The same, handing the document to the sink piece by piece as wide text.
bool BuildReport(ReportFormater& formater, const ReportLines& lines,
                 unsigned tableCount, const wxString& title,
                 const ReportSink& sink);

// Writes one report into the file of that name, or, when a file of that
// name exists, into the first free name with "_2", "_3", ... before the
// extension; an existing file is never replaced. The outcome names the file
// written.
ReportOutcome WriteReport(ReportFormater& formater, const wxString& fileName,
                          const ReportLines& lines, unsigned tableCount,
                          const wxDateTime& now = wxDateTime::Now());

class ReportFile;

// Writes a report file under `fileName` as WriteReport does, through
// `write`, which fills the new file and says whether it all went well; the
// outcome as WriteReport's.
ReportOutcome WriteReportFile(const wxString& fileName, const std::function<bool(ReportFile& file)>& write);

// Writes the report of the lines a reading collected, in the format of the
// selection, into the folder; the local time names the file and dates the
// title.
ReportOutcome GenerateReport(const ReportLines& lines, unsigned tableCount,
                             int selection, const wxString& folder,
                             const wxDateTime& now = wxDateTime::Now());

#endif
