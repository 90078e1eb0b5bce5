#include "report/reportformater.h"

#include <string>

void ReportFormater::AfterCells(wxString& /*tableText*/) const
{
}

void ReportFormater::Prepare(const ReportLines& /*lines*/)
{
}

wxString ReportFormater::FormatTable(const ReportTable& table)
{
    if (table.empty())
        return wxString();

    const ReportRow& header = table.front();
    wxString text = TableBegin(static_cast<int>(header.size()));
    text += HeaderRowBegin();
    for (const wxString& cell : header)
        text += HeaderCell(cell);
    AfterCells(text);
    text += HeaderRowEnd();
    text += TableBodyBegin();

    for (auto row = table.begin() + 1; row != table.end(); ++row) {
        text += RowBegin();
        for (const wxString& cell : *row)
            text += Cell(cell);
        AfterCells(text);
        text += RowEnd();
    }

    text += TableBodyEnd();
    text += TableEnd();
    return text;
}

void ReportFormater::AppendTable(ReportLines::const_iterator first,
                                 ReportLines::const_iterator last, ReportText& out)
{
    if (first == last)
        return;

    const ReportText::Position tableStart = out.End();
    const TextView header = ViewOf(*first);
    out.AppendText(TableBegin(static_cast<int>(CellCount(header))));
    out.AppendText(HeaderRowBegin());
    AppendHeaderCells(header, out);
    AfterCellsAppended(out, tableStart);
    out.AppendText(HeaderRowEnd());
    out.AppendText(TableBodyBegin());

    // A row's opening and closing depend only on the writer's state, which
    // stays as it is for the whole table: converted once.
    const std::string rowBegin = ReportText::Utf8(RowBegin());
    const std::string rowEnd = ReportText::Utf8(RowEnd());
    for (auto line = first + 1; line != last; ++line) {
        out.Append(rowBegin);
        AppendCells(ViewOf(*line), out);
        AfterCellsAppended(out, tableStart);
        out.Append(rowEnd);
    }

    out.AppendText(TableBodyEnd());
    out.AppendText(TableEnd());
}

void ReportFormater::AppendHeaderCells(TextView line, ReportText& out) const
{
    ForEachCell(line, [this, &out](TextView cell) {
        out.AppendText(HeaderCell(wxString(cell.data(), cell.size())));
    });
}

void ReportFormater::AppendCells(TextView line, ReportText& out) const
{
    ForEachCell(line, [this, &out](TextView cell) {
        out.AppendText(Cell(wxString(cell.data(), cell.size())));
    });
}

void ReportFormater::AfterCellsAppended(ReportText& /*tableText*/,
                                        ReportText::Position /*tableStart*/) const
{
}
