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

// Cuts one line into the cells of `row`, reusing the row's strings.
void CutCellsInto(const wxString& line, ReportRow& row)
{
    size_t count = 0;
    size_t start = 0;
    for (;;) {
        const size_t tab = line.find('\t', start);
        const size_t length = tab == wxString::npos ? wxString::npos : tab - start;
        if (count == row.size())
            row.emplace_back();
        row[count++].assign(line, start, length);
        if (tab == wxString::npos)
            break;
        start = tab + 1;
    }
    row.resize(count);
}

// Cuts the rows from `line` up to the next empty line or the end into
// `table`, whose rows and cells are reused from the previous table, so that
// a long report does not allocate every cell anew. Afterwards `line` stands
// after that empty line, where the next table begins.
void CutRowsInto(ReportLines::const_iterator& line, ReportLines::const_iterator end,
                 ReportTable& table)
{
    size_t count = 0;
    for (; line != end && !line->empty(); ++line) {
        if (count == table.size())
            table.emplace_back();
        CutCellsInto(*line, table[count++]);
    }
    table.resize(count);
    if (line != end)
        ++line;
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
    CutCellsInto(line, cells);
    return cells;
}

ReportTable CutTable(const ReportLines& lines, unsigned number)
{
    auto line = TableStart(lines, number);
    ReportTable table;
    CutRowsInto(line, lines.end(), table);
    return table;
}

bool BuildReport(ReportFormater& formater, const ReportLines& lines,
                 unsigned tableCount, const wxString& title,
                 const ReportSink& sink)
{
    wxString text = formater.DocumentBegin();
    formater.Prepare(lines);
    text += formater.DocumentHeader(ReportLanguage(), title);
    text += formater.BodyBegin();
    text += formater.Paragraph(title);
    text += formater.Separator();
    if (!sink(text))
        return false;

    // Each table goes to the sink on its own, so that only one table's text
    // is held at a time. The tables follow one another through the lines.
    auto line = lines.begin();
    ReportTable table;
    for (unsigned number = 1; number <= tableCount; ++number) {
        CutRowsInto(line, lines.end(), table);
        text = formater.FormatTable(table);
        text += formater.Separator();
        if (!sink(text))
            return false;
    }

    return sink(formater.BodyEnd() + formater.DocumentEnd());
}

ReportOutcome WriteReport(ReportFormater& formater, const wxString& fileName,
                          const ReportLines& lines, unsigned tableCount,
                          const wxDateTime& now)
{
    // The outcome tells the caller what went wrong; no log window from here.
    wxLogNull noLog;

    ReportFile file(fileName);
    if (!file.IsOpened())
        return Failure(fileName, wxGetTranslation("Error creating file: ", CatalogName));

    const bool written = BuildReport(formater, lines, tableCount, ReportTitle(now),
                                     [&file](const wxString& piece) { return file.Write(piece); });
    if (!written || !file.Commit())
        return Failure(fileName, wxGetTranslation("Error writing file: ", CatalogName));
    return Success(fileName);
}

ReportOutcome GenerateReport(const ReportLines& lines, unsigned tableCount,
                             int selection, const wxString& folder,
                             const wxDateTime& now)
{
    const std::unique_ptr<ReportFormater> formater = CreateFormater(ReportFormatIndex(selection));
    const wxString fileName = ReportFileName(folder, formater->Extension(), now);
    return WriteReport(*formater, fileName, lines, tableCount, now);
}
