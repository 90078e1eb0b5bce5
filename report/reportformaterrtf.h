#ifndef MORVA_REPORT_REPORTFORMATERRTF_H
#define MORVA_REPORT_REPORTFORMATERRTF_H

#include "report/reportformater.h"

#include <wx/string.h>

#include <vector>

// The Rich Text Format report: code page 1251, Times New Roman, a title
// paragraph and one table per table of the unit, every cell with single
// borders and the columns of equal width. The page turns to landscape when
// the widest report line has too many fields for a portrait page.
//
// Text goes out as Windows-1251 bytes, those from 0x80 up as hexadecimal
// escapes; '\', '{' and '}' are escaped, and a character that the code page
// cannot hold is written as a Unicode escape.
class ReportFormaterRtf : public ReportFormater {
public:
    ReportFormaterRtf();

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
    void Prepare(const ReportLines& lines) override;

    // The text as it stands inside a paragraph, without the paragraph's
    // braces.
    wxString Encoded(const wxString& text) const;

protected:
    void AppendHeaderCells(TextView line, ReportText& out) const override;
    void AppendCells(TextView line, ReportText& out) const override;

private:
    static int FieldCount(TextView line);
    void AppendParagraph(TextView text, ReportText& out) const;
    void AppendEncoded(TextView text, ReportText& out) const;
    wxString RowDefinition() const;

    int minColumnWidth = 650;
    int portraitWidth = 9000;
    int landscapeWidth = 14000;
    int columnCount = 0;
    bool landscape = false;
    int tableWidth = portraitWidth;

    // Every row of a table is defined alike: made once per table.
    wxString rowDefinition;
    // The Windows-1251 byte of every character of the basic plane, as the
    // converter decodes the bytes from 0x80 up; NotInCodePage for the
    // characters the code page does not hold (and for ASCII, which is
    // written as it is).
    static constexpr unsigned char NotInCodePage = 0;
    std::vector<unsigned char> codePageBytes;
};

#endif
