#include "report/reportformatercsv.h"

wxString ReportFormaterCSV::DocumentBegin() const
{
    return wxString();
}

wxString ReportFormaterCSV::DocumentEnd() const
{
    return wxS("\n");
}

wxString ReportFormaterCSV::DocumentHeader(int /*language*/, wxString /*title*/) const
{
    return wxString();
}

wxString ReportFormaterCSV::BodyBegin() const
{
    return wxString();
}

wxString ReportFormaterCSV::BodyEnd() const
{
    return wxString();
}

wxString ReportFormaterCSV::Paragraph(wxString /*text*/) const
{
    return wxString();
}

wxString ReportFormaterCSV::Separator() const
{
    return wxS("\n");
}

wxString ReportFormaterCSV::Extension() const
{
    return wxS("csv");
}

wxString ReportFormaterCSV::TableBegin(int /*columnCount*/)
{
    return wxS("\n");
}

wxString ReportFormaterCSV::TableEnd() const
{
    return wxS("\n");
}

wxString ReportFormaterCSV::HeaderRowBegin() const
{
    return wxString();
}

wxString ReportFormaterCSV::HeaderRowEnd() const
{
    return RowEnd();
}

wxString ReportFormaterCSV::HeaderCell(const wxString& text) const
{
    return text + wxS("\t");
}

wxString ReportFormaterCSV::TableBodyBegin() const
{
    return wxString();
}

wxString ReportFormaterCSV::TableBodyEnd() const
{
    return wxString();
}

wxString ReportFormaterCSV::RowBegin() const
{
    return wxString();
}

wxString ReportFormaterCSV::RowEnd() const
{
    return wxS("\n");
}

wxString ReportFormaterCSV::Cell(const wxString& text) const
{
    return text + wxS("\t");
}

void ReportFormaterCSV::AfterCells(wxString& tableText) const
{
    // Drops the tab after the last cell, trailing empty cells and, for a row
    // of empty cells, the row itself together with the previous line feed.
    // Scans back only over what it removes.
    const size_t last = tableText.find_last_not_of(wxS(" \t\n\v\f\r"));
    tableText.erase(last == wxString::npos ? 0 : last + 1);
}

void ReportFormaterCSV::AppendHeaderCells(TextView line, ReportText& out) const
{
    AppendCells(line, out);
}

void ReportFormaterCSV::AppendCells(TextView line, ReportText& out) const
{
    // Every cell followed by a tab: the line, whose cells are already joined
    // by tabs, and one more tab.
    out.AppendText(line);
    out.Append("\t");
}

void ReportFormaterCSV::AfterCellsAppended(ReportText& tableText,
                                           ReportText::Position tableStart) const
{
    tableText.TrimWhiteSpace(tableStart);
}
