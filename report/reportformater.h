#ifndef MORVA_REPORT_REPORTFORMATER_H
#define MORVA_REPORT_REPORTFORMATER_H

#include "report/reportcells.h"
#include "report/reporttext.h"

#include <wx/string.h>

#include <vector>

// The lines that a reading of the unit collects: per table its header line,
// one line per record and one empty line; cells are separated by tabs.
using ReportLines = std::vector<wxString>;

// One table cut from the report lines: row 0 is the header row, the others
// are body rows; rows may have different numbers of cells.
using ReportRow = std::vector<wxString>;
using ReportTable = std::vector<ReportRow>;

// The writer through which the report driver builds a document without
// knowing its format. Every operation returns one fragment of the document
// text; none writes to a file. A writer is made for one report only.
class ReportFormater {
public:
    virtual ~ReportFormater() = default;

    virtual wxString DocumentBegin() const = 0;
    virtual wxString DocumentEnd() const = 0;
    virtual wxString DocumentHeader(int language, wxString title) const = 0;
    virtual wxString BodyBegin() const = 0;
    virtual wxString BodyEnd() const = 0;
    virtual wxString Paragraph(wxString text) const = 0;
    virtual wxString Separator() const = 0;
    virtual wxString Extension() const = 0;
    virtual wxString TableBegin(int columnCount) = 0;
    virtual wxString TableEnd() const = 0;
    virtual wxString HeaderRowBegin() const = 0;
    virtual wxString HeaderRowEnd() const = 0;
    virtual wxString HeaderCell(const wxString& text) const = 0;
    virtual wxString TableBodyBegin() const = 0;
    virtual wxString TableBodyEnd() const = 0;
    virtual wxString RowBegin() const = 0;
    virtual wxString RowEnd() const = 0;
    virtual wxString Cell(const wxString& text) const = 0;
    // Adjusts the table text built so far after the cells of each row.
    // Works in place, so that a writer that trims the end of a row costs
    // only what it removes, not a copy of the whole table per row.
    virtual void AfterCells(wxString& tableText) const;
    // Sees all report lines before the document header is written.
    virtual void Prepare(const ReportLines& lines);

    // The text of one table; the empty text for a table without rows.
    wxString FormatTable(const ReportTable& table);

    // Appends to `out` the text of the table whose rows are the lines
    // [first, last), each cut into cells at its tabs: the text that
    // FormatTable gives for these rows, written straight as UTF-8 without a
    // string per fragment.
    void AppendTable(ReportLines::const_iterator first, ReportLines::const_iterator last,
                     ReportText& out);

protected:
    // The appending counterparts through which AppendTable writes the cells
    // of a row, given as the whole tab-separated line, and adjusts the table
    // text after them (`tableStart` is where the table's text began). Each
    // must append exactly what its counterpart gives: HeaderCell or Cell of
    // every cell in order, and the change that AfterCells makes. The
    // defaults go through those operations, and leave the text unchanged
    // after the cells.
    virtual void AppendHeaderCells(TextView line, ReportText& out) const;
    virtual void AppendCells(TextView line, ReportText& out) const;
    virtual void AfterCellsAppended(ReportText& tableText, ReportText::Position tableStart) const;

    ReportFormater() = default;
    ReportFormater(const ReportFormater&) = default;
    ReportFormater& operator=(const ReportFormater&) = default;
};

#endif
