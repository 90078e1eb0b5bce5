#include "report/reportformaterhtml.h"

#include "report/reportlanguage.h"

namespace {

// The text with the characters that HTML reads as markup written as
// entities.
wxString Escaped(const wxString& text)
{
    if (text.find_first_of(wxS("&<>")) == wxString::npos)
        return text;
    wxString out;
    out.reserve(text.length());
    for (const wxUniChar c : text) {
        switch (c.GetValue()) {
        case '&': out += wxS("&amp;"); break;
        case '<': out += wxS("&lt;"); break;
        case '>': out += wxS("&gt;"); break;
        default: out += c; break;
        }
    }
    return out;
}

} // namespace

wxString ReportFormaterHtml::DocumentBegin() const
{
    return wxS("<html>\n");
}

wxString ReportFormaterHtml::DocumentEnd() const
{
    return wxS("</html>\n");
}

wxString ReportFormaterHtml::DocumentHeader(int language, wxString title) const
{
    const wxString charset = IsCyrillicLanguage(language) ? wxS("utf-8") : wxString();
    wxString header = wxS("<head>\n\t<title>") + Escaped(title) + wxS("</title>\n");
    if (!charset.empty())
        header += wxS("\t<meta content=\"text/html; charset=") + charset
            + wxS("\" http-equiv=Content-Type>\n");
    header += wxS("\t<meta name=\"Author\" content=\"Dorin V. Marsk\">\n"
                  "\t<meta name=\"generator\" content=\"MORVA_Reporter\">\n"
                  "</head>\n");
    return header;
}

wxString ReportFormaterHtml::BodyBegin() const
{
    return wxS("<body>\n");
}

wxString ReportFormaterHtml::BodyEnd() const
{
    return wxS("</body>\n");
}

wxString ReportFormaterHtml::Paragraph(wxString text) const
{
    return wxS("\t<p>") + Escaped(text) + wxS("\n");
}

wxString ReportFormaterHtml::Separator() const
{
    return wxS("\n\t\t<br>\n\t\t<br>\n");
}

wxString ReportFormaterHtml::Extension() const
{
    return wxS("html");
}

wxString ReportFormaterHtml::TableBegin(int columnCount)
{
    return wxString::Format(wxS("\t<table border=1 cols=%d>\n"), columnCount);
}

wxString ReportFormaterHtml::TableEnd() const
{
    return wxS("\t</table>\n");
}

wxString ReportFormaterHtml::HeaderRowBegin() const
{
    return wxS("\t<thead>\n");
}

wxString ReportFormaterHtml::HeaderRowEnd() const
{
    return wxS("\t</thead>\n");
}

wxString ReportFormaterHtml::HeaderCell(const wxString& text) const
{
    return wxS("\t\t<th>") + Escaped(text) + wxS("</th>\n");
}

wxString ReportFormaterHtml::TableBodyBegin() const
{
    return wxS("\t<tbody>\n");
}

wxString ReportFormaterHtml::TableBodyEnd() const
{
    return wxS("\t</tbody>\n");
}

wxString ReportFormaterHtml::RowBegin() const
{
    return wxS("\t<tr>\n");
}

wxString ReportFormaterHtml::RowEnd() const
{
    return wxS("\t</tr>\n");
}

wxString ReportFormaterHtml::Cell(const wxString& text) const
{
    return wxS("\t\t<td>") + Escaped(text) + wxS("</td>\n");
}
