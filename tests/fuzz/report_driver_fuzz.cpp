// Fuzz target: arbitrary report lines and table counts through the report
// driver and all four writers.
//
// Input: byte 0 is the table count (0 to 15), byte 1 says how the rest is
// read: bit 0 clear, as 8-bit text (ISO 8859-1), bit 0 set, as UTF-16LE
// units, the way the unit's texts arrive. A zero byte or unit ends a line.
//
// What must hold, besides no crash and no sanitizer report:
// - HTML: read back as HTML text (character references decoded, a cell
//   ending at the next tag), every header and body cell comes back intact;
// - RTF: the groups balance, and every cell comes back through a reader of
//   the escapes the writer uses;
// - CSV and TXT: when no cell holds a line break, every row comes back as
//   its line, cut at tabs (CSV drops the white space at a row's end).
#include "report/reportformatercsv.h"
#include "report/reportformaterhtml.h"
#include "report/reportformaterrtf.h"
#include "report/reportformatertxt.h"
#include "report/reportgenerator.h"

#include "buslib/protocol/serialportveloxprotocol.h"

#include <wx/init.h>
#include <wx/strconv.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

const wxString Title = wxS("Report on <01.02.2026> & \\{12:00} - MORVA_Reporter");

[[noreturn]] void violated(const char* format, const wxString& what)
{
    std::fprintf(stderr, "invariant violated: %s: [%s]\n", format, what.utf8_str().data());
    std::abort();
}

void expectEqual(const char* what, const wxString& expected, const wxString& actual)
{
    if (expected != actual)
        violated(what, expected + wxS("] != [") + actual);
}

ReportLines linesOf(const std::uint8_t* bytes, std::size_t size, bool wide)
{
    ReportLines lines;
    const std::size_t unit = wide ? 2 : 1;
    std::size_t start = 0;
    for (std::size_t i = 0; i + unit <= size; i += unit) {
        const bool end = wide ? (bytes[i] == 0 && bytes[i + 1] == 0) : bytes[i] == 0;
        if (!end)
            continue;
        lines.push_back(wide ? morva_velox::utf16::decode(bytes + start, (i - start) / 2)
                             : wxString(reinterpret_cast<const char*>(bytes + start), wxConvISO8859_1, i - start));
        start = i + unit;
    }
    const std::size_t rest = (size - start) / unit;
    if (rest > 0)
        lines.push_back(wide ? morva_velox::utf16::decode(bytes + start, rest)
                             : wxString(reinterpret_cast<const char*>(bytes + start), wxConvISO8859_1, rest));
    return lines;
}

// The tables as the driver must see them: table t is the non-empty lines
// after the (t - 1)-th empty line, each cut at every tab; a table past the
// lines is empty.
std::vector<ReportTable> tablesOf(const ReportLines& lines, unsigned count)
{
    std::vector<ReportTable> tables(count);
    unsigned t = 0;
    for (const wxString& line : lines) {
        if (t >= count)
            break;
        if (line.empty()) {
            ++t;
            continue;
        }
        ReportRow cells;
        wxString rest = line;
        for (;;) {
            const size_t tab = rest.find('\t');
            cells.push_back(rest.substr(0, tab));
            if (tab == wxString::npos)
                break;
            rest = rest.substr(tab + 1);
        }
        tables[t].push_back(cells);
    }
    return tables;
}

wxString build(ReportFormater& formater, const ReportLines& lines, unsigned count)
{
    wxString text;
    BuildReport(formater, lines, count, Title, [&text](const wxString& piece) {
        text += piece;
        return true;
    });
    return text;
}

// --- HTML -----------------------------------------------------------------

wxString decodeHtmlText(const wxString& raw)
{
    static const std::map<wxString, wxString> entities
        = {{wxS("amp"), wxS("&")}, {wxS("lt"), wxS("<")}, {wxS("gt"), wxS(">")}};
    wxString out;
    for (size_t i = 0; i < raw.length(); ++i) {
        if (raw[i] != '&') {
            out += raw[i];
            continue;
        }
        const size_t semicolon = raw.find(';', i);
        const auto entity = semicolon == wxString::npos
            ? entities.end()
            : entities.find(raw.substr(i + 1, semicolon - i - 1));
        if (entity == entities.end())
            violated("HTML: a bare ampersand", raw);
        out += entity->second;
        i = semicolon;
    }
    return out;
}

// The text of every <th> and <td>, in order of the document.
std::vector<wxString> htmlCells(const wxString& html)
{
    std::vector<wxString> cells;
    size_t at = 0;
    for (;;) {
        size_t open = html.find(wxS("<t"), at);
        while (open != wxString::npos && html.compare(open, 4, wxS("<th>")) != 0
               && html.compare(open, 4, wxS("<td>")) != 0)
            open = html.find(wxS("<t"), open + 2);
        if (open == wxString::npos)
            break;
        const size_t begin = open + 4;
        const size_t end = html.find('<', begin);
        if (end == wxString::npos)
            violated("HTML: a cell without its end tag", html.substr(open, 40));
        const wxString closing = html[open + 2] == 'h' ? wxS("</th>") : wxS("</td>");
        if (html.compare(end, closing.length(), closing) != 0)
            violated("HTML: markup inside a cell", html.substr(open, end - open + 10));
        cells.push_back(decodeHtmlText(html.substr(begin, end - begin)));
        at = end;
    }
    return cells;
}

// --- RTF ------------------------------------------------------------------

bool isAsciiLetter(wxUniChar c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

class RtfReader {
public:
    // Reads the document, checking that its groups balance; collects the
    // text of every group that begins with the paragraph's font and
    // language words (the title paragraph and each cell).
    RtfReader(const wxString& rtf, const std::map<unsigned long, wchar_t>& codePage)
        : m_rtf(rtf)
        , m_codePage(codePage)
    {
        read();
    }

    // The characters of the bytes 0x80 to 0xFF of Windows-1251.
    static std::map<unsigned long, wchar_t> codePage1251()
    {
        std::map<unsigned long, wchar_t> characters;
        const wxCSConv codePage(wxS("windows-1251"));
        for (unsigned byte = 0x80; byte <= 0xff; ++byte) {
            const char in = static_cast<char>(byte);
            wchar_t out[2] = {};
            if (codePage.ToWChar(out, 2, &in, 1) == 1)
                characters[byte] = out[0];
        }
        return characters;
    }

    const std::vector<wxString>& paragraphs() const { return m_paragraphs; }

private:
    void read()
    {
        int depth = 0;
        int paragraphDepth = 0;
        wxString text;
        std::uint32_t highSurrogate = 0;
        for (size_t i = 0; i < m_rtf.length();) {
            const wxUniChar c = m_rtf[i];
            if (c == '{') {
                ++depth;
                ++i;
                if (m_rtf.compare(i, 13, wxS("\\f0\\lang1049 ")) == 0 && paragraphDepth == 0) {
                    paragraphDepth = depth;
                    text.clear();
                    i += 13;
                }
            } else if (c == '}') {
                if (depth == paragraphDepth) {
                    m_paragraphs.push_back(text);
                    paragraphDepth = 0;
                }
                if (--depth < 0)
                    violated("RTF: a group closed that was not open", m_rtf.substr(0, i + 1).Right(60));
                ++i;
            } else if (c == '\\') {
                i = escape(i, paragraphDepth != 0 ? &text : nullptr, highSurrogate);
            } else {
                if (paragraphDepth != 0)
                    text += c;
                ++i;
            }
        }
        if (depth != 0 || paragraphDepth != 0)
            violated("RTF: groups left open", m_rtf.Right(60));
    }

    // Reads the control word or symbol at i; returns where the text goes on.
    size_t escape(size_t i, wxString* text, std::uint32_t& highSurrogate)
    {
        if (i + 1 >= m_rtf.length())
            violated("RTF: a backslash at the end", m_rtf.Right(60));
        const wxUniChar next = m_rtf[i + 1];
        if (next == '\\' || next == '{' || next == '}') {
            if (text)
                *text += next;
            return i + 2;
        }
        if (next == '\'') {
            const unsigned long byte = hex(i + 2);
            const auto wide = m_codePage.find(byte);
            if (wide == m_codePage.end())
                violated("RTF: a code-page byte with no character", m_rtf.substr(i, 4));
            if (text)
                *text += wxUniChar(wide->second);
            return i + 4;
        }
        size_t j = i + 1;
        while (j < m_rtf.length() && isAsciiLetter(m_rtf[j]))
            ++j;
        if (j == i + 1)
            violated("RTF: an unknown control symbol", m_rtf.substr(i, 4));
        const bool unicode = j == i + 2 && m_rtf[i + 1] == 'u';
        size_t k = j;
        const bool negative = k < m_rtf.length() && m_rtf[k] == '-';
        if (negative)
            ++k;
        long parameter = 0;
        const size_t digits = k;
        for (; k < m_rtf.length() && m_rtf[k] >= '0' && m_rtf[k] <= '9'; ++k)
            parameter = parameter * 10 + static_cast<long>(m_rtf[k].GetValue() - '0');
        if (negative)
            parameter = -parameter;
        if (k < m_rtf.length() && m_rtf[k] == ' ')
            ++k;
        if (unicode) {
            // The '?' after the number is the one-character fallback.
            if (k == digits || k >= m_rtf.length() || m_rtf[k] != '?')
                violated("RTF: a Unicode escape without its fallback", m_rtf.substr(i, 12));
            ++k;
            if (text)
                appendUnit(*text, static_cast<std::uint16_t>(parameter), highSurrogate);
        }
        return k;
    }

    static void appendUnit(wxString& text, std::uint32_t unit, std::uint32_t& high)
    {
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            high = unit;
            return;
        }
        if (unit >= 0xDC00 && unit <= 0xDFFF && high != 0) {
            text += wxUniChar(0x10000 + ((high - 0xD800) << 10) + (unit - 0xDC00));
            high = 0;
            return;
        }
        text += wxUniChar(unit);
    }

    unsigned long hex(size_t at) const
    {
        unsigned long value = 0;
        if (at + 2 > m_rtf.length() || !m_rtf.substr(at, 2).ToULong(&value, 16))
            violated("RTF: a hex escape without two digits", m_rtf.substr(at - 2, 4));
        return value;
    }

    const wxString& m_rtf;
    const std::map<unsigned long, wchar_t>& m_codePage;
    std::vector<wxString> m_paragraphs;
};

// --- CSV and TXT ------------------------------------------------------------

bool hasLineBreak(const std::vector<ReportTable>& tables)
{
    for (const ReportTable& table : tables)
        for (const ReportRow& row : table)
            for (const wxString& cell : row)
                if (cell.find_first_of(wxS("\n")) != wxString::npos)
                    return true;
    return false;
}

std::vector<wxString> nonEmptyLines(const wxString& text)
{
    std::vector<wxString> lines;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find('\n', start);
        const wxString line = text.substr(start, end == wxString::npos ? wxString::npos : end - start);
        if (!line.empty())
            lines.push_back(line);
        if (end == wxString::npos)
            return lines;
        start = end + 1;
    }
}

wxString joined(const ReportRow& row, const wxString& after, const wxString& between)
{
    wxString line;
    for (size_t i = 0; i < row.size(); ++i) {
        line += row[i];
        line += i + 1 < row.size() ? between : after;
    }
    return line;
}

bool isAsciiSpace(wxUniChar c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

wxString withoutTrailingSpace(wxString text)
{
    size_t end = text.length();
    while (end > 0 && isAsciiSpace(text[end - 1]))
        --end;
    text.Truncate(end);
    return text;
}

void checkPlainText(const wxString& document, const std::vector<ReportTable>& tables, bool csv)
{
    std::vector<wxString> expected;
    if (!csv)
        expected.push_back(Title);
    for (const ReportTable& table : tables) {
        for (size_t r = 0; r < table.size(); ++r) {
            if (csv) {
                const wxString line = withoutTrailingSpace(joined(table[r], wxString(), wxS("\t")));
                if (!line.empty())
                    expected.push_back(line);
            } else {
                const wxString after = r == 0 ? wxS("  \t") : wxS("\t");
                expected.push_back(joined(table[r], after, after));
            }
        }
    }
    const std::vector<wxString> actual = nonEmptyLines(document);
    if (actual.size() != expected.size())
        violated(csv ? "CSV: line count" : "TXT: line count", document.Left(200));
    for (size_t i = 0; i < actual.size(); ++i)
        expectEqual(csv ? "CSV line" : "TXT line", expected[i], actual[i]);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static wxInitializer initializer(*argc, *argv);
    return initializer.IsOk() ? 0 : 1;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const unsigned tableCount = data[0] & 0x0f;
    const ReportLines lines = linesOf(data + 2, size - 2, (data[1] & 1) != 0);
    const std::vector<ReportTable> tables = tablesOf(lines, tableCount);

    std::vector<wxString> cells;
    for (const ReportTable& table : tables)
        for (const ReportRow& row : table)
            cells.insert(cells.end(), row.begin(), row.end());

    ReportFormaterHtml html;
    const std::vector<wxString> htmlBack = htmlCells(build(html, lines, tableCount));
    if (htmlBack.size() != cells.size())
        violated("HTML: cell count", wxString::Format("%zu != %zu", cells.size(), htmlBack.size()));
    for (size_t i = 0; i < cells.size(); ++i)
        expectEqual("HTML cell", cells[i], htmlBack[i]);

    ReportFormaterRtf rtf;
    static const std::map<unsigned long, wchar_t> codePage = RtfReader::codePage1251();
    const RtfReader rtfBack(build(rtf, lines, tableCount), codePage);
    const std::vector<wxString>& paragraphs = rtfBack.paragraphs();
    if (paragraphs.size() != cells.size() + 1)
        violated("RTF: paragraph count", wxString::Format("%zu != %zu", cells.size() + 1, paragraphs.size()));
    expectEqual("RTF title", Title, paragraphs[0]);
    for (size_t i = 0; i < cells.size(); ++i)
        expectEqual("RTF cell", cells[i], paragraphs[i + 1]);

    ReportFormaterCSV csv;
    ReportFormaterTxt txt;
    const wxString csvText = build(csv, lines, tableCount);
    const wxString txtText = build(txt, lines, tableCount);
    if (!hasLineBreak(tables)) {
        checkPlainText(csvText, tables, true);
        checkPlainText(txtText, tables, false);
    }
    return 0;
}
