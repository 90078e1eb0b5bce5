#include "report/reportformaterhtml.h"

#include "report/reportlanguage.h"

#include <cstring>
#include <string_view>

namespace {

const std::string_view HeaderCellOpen = "\t\t<th>";
const std::string_view HeaderCellClose = "</th>\n";
const std::string_view DataCellOpen = "\t\t<td>";
const std::string_view DataCellClose = "</td>\n";

// The most bytes that one character unit takes when escaped: "&amp;".
const size_t MaxEscapedPerUnit = 5;

char* Put(char* out, std::string_view bytes)
{
    std::memcpy(out, bytes.data(), bytes.size());
    return out + bytes.size();
}

// Appends the text as UTF-8 with the characters that HTML reads as markup
// written as entities.
void AppendEscaped(TextView text, ReportText& out)
{
    char* bytes = out.Room(text.size() * MaxEscapedPerUnit);
    const wchar_t* in = text.data();
    const wchar_t* const end = in + text.size();
    while (in != end) {
        switch (*in) {
        case L'&': bytes = Put(bytes, "&amp;"); ++in; break;
        case L'<': bytes = Put(bytes, "&lt;"); ++in; break;
        case L'>': bytes = Put(bytes, "&gt;"); ++in; break;
        default:
            if (IsAscii(*in))
                *bytes++ = static_cast<char>(*in++);
            else
                bytes = ReportText::PutUtf8(in, end, bytes);
            break;
        }
    }
    out.Advance(bytes);
}

void AppendCell(std::string_view open, TextView text, std::string_view close, ReportText& out)
{
    out.Append(open);
    AppendEscaped(text, out);
    out.Append(close);
}

wxString Escaped(const wxString& text)
{
    return ReportText::Fragment([&text](ReportText& out) { AppendEscaped(ViewOf(text), out); });
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
    return ReportText::Fragment([&text](ReportText& out) {
        AppendCell(HeaderCellOpen, ViewOf(text), HeaderCellClose, out);
    });
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
    return ReportText::Fragment([&text](ReportText& out) {
        AppendCell(DataCellOpen, ViewOf(text), DataCellClose, out);
    });
}

void ReportFormaterHtml::AppendHeaderCells(TextView line, ReportText& out) const
{
    ForEachCell(line, [&out](TextView cell) {
        AppendCell(HeaderCellOpen, cell, HeaderCellClose, out);
    });
}

void ReportFormaterHtml::AppendCells(TextView line, ReportText& out) const
{
    ForEachCell(line, [&out](TextView cell) {
        AppendCell(DataCellOpen, cell, DataCellClose, out);
    });
}
