#include "report/reportformaterrtf.h"

#include "report/reportlanguage.h"

#include <wx/strconv.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <string_view>

namespace {

const wchar_t CellBorders[] =
    L"\\clbrdrt \\brdrs \\brdrw10 \\clbrdrl \\brdrs \\brdrw10 "
    L"\\clbrdrb \\brdrs \\brdrw10 \\clbrdrr \\brdrs \\brdrw10 ";

const std::string_view ParagraphOpen = "{\\f0\\lang1049 ";
const std::string_view ParagraphClose = "}";
const std::string_view CellOpen = "\n\\pard \\intbl ";
const std::string_view CellClose = " \\cell";

// The most bytes that one character unit takes when encoded: a character
// beyond the basic plane held in one unit is written as two Unicode
// escapes of up to 9 bytes each ("\\u-10179?").
const size_t MaxEncodedPerUnit = 18;

bool IsRtfSpecial(std::uint32_t c)
{
    return c == '\\' || c == '{' || c == '}';
}

char* PutHexEscape(char* out, unsigned char byte)
{
    static const char digits[] = "0123456789abcdef";
    *out++ = '\\';
    *out++ = '\'';
    *out++ = digits[byte >> 4];
    *out++ = digits[byte & 0x0f];
    return out;
}

char* PutUtf16Unit(char* out, std::uint32_t unit)
{
    // RTF takes the unit as a signed 16-bit number; '?' stands for readers
    // that do not know the escape.
    *out++ = '\\';
    *out++ = 'u';
    out = std::to_chars(out, out + 6, static_cast<int>(static_cast<std::int16_t>(unit))).ptr;
    *out++ = '?';
    return out;
}

// A character that the code page cannot hold, as RTF's Unicode escape of
// each of its UTF-16 units.
char* PutUnicodeEscape(char* out, std::uint32_t value)
{
    if (value < 0x10000)
        return PutUtf16Unit(out, value);
    const std::uint32_t offset = value - 0x10000;
    out = PutUtf16Unit(out, 0xD800 + (offset >> 10));
    return PutUtf16Unit(out, 0xDC00 + (offset & 0x3FF));
}

} // namespace

ReportFormaterRtf::ReportFormaterRtf()
    : codePageBytes(0x10000, NotInCodePage)
{
    const wxCSConv codePage(wxS("windows-1251"));
    for (unsigned byte = 0x80; byte <= 0xff; ++byte) {
        const char in = static_cast<char>(byte);
        wchar_t out[2] = {};
        if (codePage.ToWChar(out, 2, &in, 1) != 1)
            continue;
        const auto character = static_cast<std::uint32_t>(out[0]);
        if (character < codePageBytes.size())
            codePageBytes[character] = static_cast<unsigned char>(byte);
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
    return ReportText::Fragment([this, &text](ReportText& out) { AppendParagraph(ViewOf(text), out); });
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
    return ReportText::Fragment([this, &text](ReportText& out) {
        out.Append(CellOpen);
        out.AppendText(Paragraph(text));
        out.Append(CellClose);
    });
}

void ReportFormaterRtf::Prepare(const ReportLines& lines)
{
    int widest = 0;
    for (const wxString& line : lines)
        widest = std::max(widest, FieldCount(ViewOf(line)));
    if (widest * minColumnWidth > portraitWidth) {
        landscape = true;
        tableWidth = landscapeWidth;
    }
}

wxString ReportFormaterRtf::Encoded(const wxString& text) const
{
    return ReportText::Fragment([this, &text](ReportText& out) { AppendEncoded(ViewOf(text), out); });
}

void ReportFormaterRtf::AppendHeaderCells(TextView line, ReportText& out) const
{
    AppendCells(line, out);
}

void ReportFormaterRtf::AppendCells(TextView line, ReportText& out) const
{
    ForEachCell(line, [this, &out](TextView cell) {
        out.Append(CellOpen);
        AppendParagraph(cell, out);
        out.Append(CellClose);
    });
}

int ReportFormaterRtf::FieldCount(TextView line)
{
    // Every tab starts a further field, except a tab at the very end.
    if (line.empty())
        return 0;
    const int trailing = line.back() == L'\t' ? 1 : 0;
    return static_cast<int>(CellCount(line)) - trailing;
}

void ReportFormaterRtf::AppendParagraph(TextView text, ReportText& out) const
{
    out.Append(ParagraphOpen);
    AppendEncoded(text, out);
    out.Append(ParagraphClose);
}

void ReportFormaterRtf::AppendEncoded(TextView text, ReportText& out) const
{
    char* bytes = out.Room(text.size() * MaxEncodedPerUnit);
    for (const wchar_t c : text) {
        const auto value = static_cast<std::uint32_t>(c);
        if (value < 0x80) {
            if (IsRtfSpecial(value))
                *bytes++ = '\\';
            *bytes++ = static_cast<char>(value);
        } else if (value < codePageBytes.size() && codePageBytes[value] != NotInCodePage) {
            bytes = PutHexEscape(bytes, codePageBytes[value]);
        } else {
            bytes = PutUnicodeEscape(bytes, value);
        }
    }
    out.Advance(bytes);
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
