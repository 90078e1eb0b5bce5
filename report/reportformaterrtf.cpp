#include "report/reportformaterrtf.h"

#include "report/reportlanguage.h"

#include <wx/strconv.h>

#include <algorithm>
#include <cstdint>

namespace {

const wchar_t CellBorders[] =
    L"\\clbrdrt \\brdrs \\brdrw10 \\clbrdrl \\brdrs \\brdrw10 "
    L"\\clbrdrb \\brdrs \\brdrw10 \\clbrdrr \\brdrs \\brdrw10 ";

bool IsRtfSpecial(wxUniChar::value_type c)
{
    return c == '\\' || c == '{' || c == '}';
}

void AppendHexEscape(wxString& out, unsigned char byte)
{
    static const char digits[] = "0123456789abcdef";
    out += wxS("\\'");
    out += wxUniChar(digits[byte >> 4]);
    out += wxUniChar(digits[byte & 0x0f]);
}

void AppendUtf16Unit(wxString& out, std::uint32_t unit)
{
    // RTF takes the unit as a signed 16-bit number; '?' stands for readers
    // that do not know the escape.
    out += wxString::Format(wxS("\\u%d?"), static_cast<int>(static_cast<std::int16_t>(unit)));
}

// A character that the code page cannot hold, as RTF's Unicode escape of
// each of its UTF-16 units.
void AppendUnicodeEscape(wxString& out, wxUniChar c)
{
    const std::uint32_t value = c.GetValue();
    if (value < 0x10000) {
        AppendUtf16Unit(out, value);
        return;
    }
    const std::uint32_t offset = value - 0x10000;
    AppendUtf16Unit(out, 0xD800 + (offset >> 10));
    AppendUtf16Unit(out, 0xDC00 + (offset & 0x3FF));
}

} // namespace

ReportFormaterRtf::ReportFormaterRtf()
{
    const wxCSConv codePage(wxS("windows-1251"));
    for (unsigned byte = 0x80; byte <= 0xff; ++byte) {
        const char in = static_cast<char>(byte);
        wchar_t out[2] = {};
        if (codePage.ToWChar(out, 2, &in, 1) == 1)
            codePageBytes.emplace(out[0], static_cast<unsigned char>(byte));
    }
}

wxString ReportFormaterRtf::DocumentBegin() const
{
    return wxS("{\\rtf ");
}

wxString ReportFormaterRtf::DocumentEnd() const
{
    return wxS("}");
}

wxString ReportFormaterRtf::DocumentHeader(int language, wxString title) const
{
    const wxString codePageDigits = IsCyrillicLanguage(language) ? wxS("1251") : wxString();
    wxString header = codePageDigits.empty() ? wxS("\\ansi") : wxS("\\ansicpg") + codePageDigits;
    header += wxS("\n{\\fonttbl{\\f0\\froman\\fprq2\\fcharset204 Times New Roman;}}");
    header += wxS("{\\info {\\title ") + Encoded(title) + wxS("}{\\author Dorin V. Marsk}}");
    if (landscape) {
        header += wxS("\\paperw16840\\paperh11907\\margl1440\\margr1440\\margt1797\\margb1797\n");
        header += wxS("\\landscape\n");
    }
    return header;
}

wxString ReportFormaterRtf::BodyBegin() const
{
    return wxString();
}

wxString ReportFormaterRtf::BodyEnd() const
{
    return wxString();
}

wxString ReportFormaterRtf::Paragraph(wxString text) const
{
    return wxS("{\\f0\\lang1049 ") + Encoded(text) + wxS("}");
}

wxString ReportFormaterRtf::Separator() const
{
    return wxS("\n\\par\n\\par\n");
}

wxString ReportFormaterRtf::Extension() const
{
    return wxS("rtf");
}

wxString ReportFormaterRtf::TableBegin(int count)
{
    columnCount = count;
    rowDefinition = RowDefinition();
    return wxString();
}

wxString ReportFormaterRtf::TableEnd() const
{
    return wxString();
}

wxString ReportFormaterRtf::HeaderRowBegin() const
{
    return RowBegin() + wxS("\n\\trhdr\n");
}

wxString ReportFormaterRtf::HeaderRowEnd() const
{
    return RowEnd();
}

wxString ReportFormaterRtf::HeaderCell(const wxString& text) const
{
    return Cell(text);
}

wxString ReportFormaterRtf::TableBodyBegin() const
{
    return wxString();
}

wxString ReportFormaterRtf::TableBodyEnd() const
{
    return wxString();
}

wxString ReportFormaterRtf::RowBegin() const
{
    return rowDefinition.empty() ? RowDefinition() : rowDefinition;
}

wxString ReportFormaterRtf::RowEnd() const
{
    return wxS(" \\row \\pard\n");
}

wxString ReportFormaterRtf::Cell(const wxString& text) const
{
    return wxS("\n\\pard \\intbl ") + Paragraph(text) + wxS(" \\cell");
}

void ReportFormaterRtf::Prepare(const ReportLines& lines)
{
    int widest = 0;
    for (const wxString& line : lines)
        widest = std::max(widest, FieldCount(line));
    if (widest * minColumnWidth > portraitWidth) {
        landscape = true;
        tableWidth = landscapeWidth;
    }
}

wxString ReportFormaterRtf::Encoded(const wxString& text) const
{
    const bool plain = std::all_of(text.begin(), text.end(), [](wxUniChar c) {
        return c.GetValue() < 0x80 && !IsRtfSpecial(c.GetValue());
    });
    if (plain)
        return text;
    wxString out;
    out.reserve(text.length());
    for (const wxUniChar c : text)
        AppendEncoded(out, c);
    return out;
}

int ReportFormaterRtf::FieldCount(const wxString& line)
{
    // Every tab starts a further field, except a tab at the very end.
    if (line.empty())
        return 0;
    const auto tabs = std::count(line.begin(), line.end(), wxUniChar('\t'));
    const int trailing = line.Last() == '\t' ? 1 : 0;
    return static_cast<int>(tabs) + 1 - trailing;
}

void ReportFormaterRtf::AppendEncoded(wxString& out, wxUniChar c) const
{
    const wxUniChar::value_type value = c.GetValue();
    if (value < 0x80) {
        if (IsRtfSpecial(value))
            out += wxUniChar('\\');
        out += c;
        return;
    }
    const auto byte = codePageBytes.find(value);
    if (byte != codePageBytes.end())
        AppendHexEscape(out, byte->second);
    else
        AppendUnicodeEscape(out, c);
}

wxString ReportFormaterRtf::RowDefinition() const
{
    wxString definition = wxS("\\trowd\n");
    if (columnCount <= 0)
        return definition;
    const int width = tableWidth / columnCount;
    for (int i = 0; i < columnCount; ++i) {
        if (i > 0)
            definition += wxS("\n");
        definition += CellBorders;
        definition += wxString::Format(wxS("\\cellx%d"), (i + 1) * width);
    }
    return definition;
}
