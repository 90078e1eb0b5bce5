#include "report/reportformater.h"

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
