#ifndef MORVA_REPORT_REPORTFORMATERTXT_H
#define MORVA_REPORT_REPORTFORMATERTXT_H

#include "report/reportformater.h"

// The plain text report: the title line, then the tables with every cell
// followed by a tab (header cells by two blanks and a tab).
class ReportFormaterTxt : public ReportFormater {
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

protected:
    void AppendHeaderCells(TextView line, ReportText& out) const override;
    void AppendCells(TextView line, ReportText& out) const override;
};

#endif
