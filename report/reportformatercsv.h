#ifndef MORVA_REPORT_REPORTFORMATERCSV_H
#define MORVA_REPORT_REPORTFORMATERCSV_H

#include "report/reportformater.h"

// The tab-separated report with the extension "csv": the tables only, each
// row its cells joined by single tabs, without quoting.
class ReportFormaterCSV : public ReportFormater {
public:
    wxString DocumentBegin() const override;
    wxString DocumentEnd() const override;
    wxString DocumentHeader(int language, wxString title) const override;
    wxString BodyBegin() const override;
    wxString BodyEnd() const override;
    wxString Paragraph(wxString text) const override;
    wxString Separator() const override;
    wxString Extension() const override;
    wxString TableBegin(int columnCount) override;
    wxString TableEnd() const override;
    wxString HeaderRowBegin() const override;
    wxString HeaderRowEnd() const override;
    wxString HeaderCell(const wxString& text) const override;
    wxString TableBodyBegin() const override;
    wxString TableBodyEnd() const override;
    wxString RowBegin() const override;
    wxString RowEnd() const override;
    wxString Cell(const wxString& text) const override;
    void AfterCells(wxString& tableText) const override;

protected:
    void AppendHeaderCells(TextView line, ReportText& out) const override;
    void AppendCells(TextView line, ReportText& out) const override;
    void AfterCellsAppended(ReportText& tableText, ReportText::Position tableStart) const override;
};

#endif
