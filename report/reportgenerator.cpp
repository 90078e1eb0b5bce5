#include "report/reportgenerator.h"

#include "report/reportfile.h"
#include "report/reportformatercsv.h"
#include "report/reportformaterhtml.h"
#include "report/reportformaterrtf.h"
#include "report/reportformatertxt.h"
#include "report/reportlanguage.h"

#include <wx/filename.h>
#include <wx/log.h>
#include <wx/translation.h>

#include <algorithm>

namespace {

const wxChar CatalogName[] = wxS("MORVA_Reporter");

ReportOutcome Failure(const wxString& fileName, const wxString& error)
{
    return ReportOutcome{false, fileName, error + fileName};
}

ReportOutcome Success(const wxString& fileName)
{
    return ReportOutcome{
        true, fileName,
        wxGetTranslation("Report successfully generated in file ", CatalogName) + fileName};
}

// The first line of table `number`: the one after the (number - 1)-th empty
// line; the end of the lines when there are not that many.
ReportLines::const_iterator TableStart(const ReportLines& lines, unsigned number)
{
    auto line = lines.begin();
    for (unsigned passed = 0; passed + 1 < number && line != lines.end(); ++line) {
        if (line->empty())
            ++passed;
    }
    return line;
}

} // namespace

std::unique_ptr<ReportFormater> CreateFormater(int formatIndex)
{
    switch (formatIndex) {
    case ReportFormatRtf: return std::make_unique<ReportFormaterRtf>();
    case ReportFormatTxt: return std::make_unique<ReportFormaterTxt>();
    case ReportFormatCsv: return std::make_unique<ReportFormaterCSV>();
    case ReportFormatHtml:
    default: return std::make_unique<ReportFormaterHtml>();
    }
}

int ReportFormatIndex(int selection)
{
    return selection >= ReportFormatRtf && selection <= ReportFormatCsv ? selection
                                                                          : ReportFormatTxt;
}

wxString ReportFileName(const wxString& folder, const wxString& extension,
                        const wxDateTime& now)
{
    wxString name = folder;
    if (!name.empty() && !wxFileName::IsPathSeparator(name.Last()))
        name += wxFileName::GetPathSeparator();
    name += wxS("report") + now.Format(wxS("_%Y_%m_%d_%H_%M_%S"));
    name += wxS(".") + extension;
    return name;
}

wxString ReportTitle(const wxDateTime& now)
{
    return wxGetTranslation("Report on ", CatalogName) + now.Format(wxS("%x")) + wxS(" ")
        + now.Format(wxS("%X")) + wxS(" - ") + wxGetTranslation("MORVA_Reporter", CatalogName);
}

ReportRow CutCells(const wxString& line)
{
    ReportRow cells;
    ForEachCell(ViewOf(line), [&cells](TextView cell) { cells.emplace_back(cell.data(), cell.size()); });
    return cells;
}

ReportTable CutTable(const ReportLines& lines, unsigned number)
{
    ReportTable table;
    for (auto line = TableStart(lines, number); line != lines.end() && !line->empty(); ++line)
        table.push_back(CutCells(*line));
    return table;
}

bool BuildReport(ReportFormater& formater, const ReportLines& lines,
                 unsigned tableCount, const wxString& title, ReportText& text)
{
    text.AppendText(formater.DocumentBegin());
    formater.Prepare(lines);
    text.AppendText(formater.DocumentHeader(ReportLanguage(), title));
    text.AppendText(formater.BodyBegin());
    text.AppendText(formater.Paragraph(title));
    text.AppendText(formater.Separator());

    // The tables follow one another through the lines, each ended by an
    // empty line.
    auto line = lines.begin();
    for (unsigned number = 1; number <= tableCount && text.Good(); ++number) {
        const auto tableEnd = std::find_if(line, lines.end(), [](const wxString& l) { return l.empty(); });
        formater.AppendTable(line, tableEnd, text);
        text.AppendText(formater.Separator());
        line = tableEnd == lines.end() ? tableEnd : tableEnd + 1;
    }

    text.AppendText(formater.BodyEnd());
    text.AppendText(formater.DocumentEnd());
    return text.Finish();
}

bool BuildReport(ReportFormater& formater, const ReportLines& lines,
                 unsigned tableCount, const wxString& title,
                 const ReportSink& sink)
{
    ReportText text([&sink](std::string_view piece) {
        return sink(wxString::FromUTF8(piece.data(), piece.size()));
    });
    return BuildReport(formater, lines, tableCount, title, text);
}

ReportOutcome WriteReportFile(const wxString& fileName, const std::function<bool(ReportFile& file)>& write)
{
    // The outcome tells the caller what went wrong; no log window from here.
    wxLogNull noLog;

    ReportFile file(fileName);
    if (!file.IsOpened())
        return Failure(fileName, wxGetTranslation("Error creating file: ", CatalogName));
    if (write(file) && file.Commit())
        return Success(file.FileName());
    ReportOutcome failure = Failure(fileName, wxGetTranslation("Error writing file: ", CatalogName));
    // A report that reached the disk is kept even when its name could not
    // be made to last: the operator learns where, before clearing the unit.
    if (!file.KeptName().empty())
        failure.message += wxS("\n") + wxGetTranslation("The report was kept in the file ", CatalogName)
            + file.KeptName();
    return failure;
}

ReportOutcome WriteReport(ReportFormater& formater, const wxString& fileName,
                          const ReportLines& lines, unsigned tableCount,
                          const wxDateTime& now)
{
    return WriteReportFile(fileName, [&](ReportFile& file) {
        ReportText text([&file](std::string_view piece) { return file.Write(piece); });
        return BuildReport(formater, lines, tableCount, ReportTitle(now), text);
    });
}

ReportOutcome GenerateReport(const ReportLines& lines, unsigned tableCount,
                             int selection, const wxString& folder,
                             const wxDateTime& now)
{
    const std::unique_ptr<ReportFormater> formater = CreateFormater(ReportFormatIndex(selection));
    const wxString fileName = ReportFileName(folder, formater->Extension(), now);
    return WriteReport(*formater, fileName, lines, tableCount, now);
}
