#include "report/reportformatertxt.h"

wxString ReportFormaterTxt::DocumentBegin() const
{
    return wxString();
}

wxString ReportFormaterTxt::DocumentEnd() const
{
    return wxS("\n");
}

wxString ReportFormaterTxt::DocumentHeader(int /*language*/, wxString /*title*/) const
{
    return wxString();
}

wxString ReportFormaterTxt::BodyBegin() const
{
    return wxString();
}

wxString ReportFormaterTxt::BodyEnd() const
{
    return wxString();
}

wxString ReportFormaterTxt::Paragraph(wxString text) const
{
    return text + wxS("\n");
}

wxString ReportFormaterTxt::Separator() const
{
    return wxS("\n");
}

wxString ReportFormaterTxt::Extension() const
{
    return wxS("txt");
}

wxString ReportFormaterTxt::TableBegin(int /*columnCount*/)
{
    return wxS("\n");
}

wxString ReportFormaterTxt::TableEnd() const
{
    return wxS("\n");
}

wxString ReportFormaterTxt::HeaderRowBegin() const
{
    return wxString();
}

wxString ReportFormaterTxt::HeaderRowEnd() const
{
    return RowEnd();
}

wxString ReportFormaterTxt::HeaderCell(const wxString& text) const
{
    return text + wxS("  \t");
}

wxString ReportFormaterTxt::TableBodyBegin() const
{
    return wxString();
}

wxString ReportFormaterTxt::TableBodyEnd() const
{
    return wxString();
}

wxString ReportFormaterTxt::RowBegin() const
{
    return wxString();
}

wxString ReportFormaterTxt::RowEnd() const
{
    return wxS("\n");
}

wxString ReportFormaterTxt::Cell(const wxString& text) const
{
    return text + wxS("\t");
}

void ReportFormaterTxt::AppendHeaderCells(TextView line, ReportText& out) const
{
    ForEachCell(line, [&out](TextView cell) {
        out.AppendText(cell);
        out.Append("  \t");
    });
}

void ReportFormaterTxt::AppendCells(TextView line, ReportText& out) const
{
    // Every cell followed by a tab: the line, whose cells are already joined
    // by tabs, and one more tab.
    out.AppendText(line);
    out.Append("\t");
}
