#ifndef MORVA_REPORT_REPORTFORMATERHTML_H
#define MORVA_REPORT_REPORTFORMATERHTML_H

#include "report/reportformater.h"

// The HTML report: one document with a head, a title paragraph and one
// bordered table per table of the unit. The title and every cell are
// written with '&', '<' and '>' as entities, so the unit's texts show as
// they are.
class ReportFormaterHtml : public ReportFormater {
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
