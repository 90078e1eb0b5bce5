#include "insight/xlsxreport.h"

#include "insight/columnfigures.h"
#include "insight/spreadsheetcell.h"
#include "insight/typedtable.h"
#include "insight/reportlinetables.h"
#include "insight/xlsxpath.h"
#include "report/reportfile.h"

#include <wx/intl.h>

#include <xlsxwriter.h>

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <string>

const char* const XlsxReport::Extension = "xlsx";

namespace {

constexpr std::size_t MaxSheetName = 31;
constexpr double MinWidth = 6;
constexpr double MaxWidth = 60;

std::string utf8(const wxString& text)
{
    return std::string(text.utf8_str());
}

std::size_t characters(std::string_view text)
{
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

// The number format of the spreadsheet for a unit's date style.
std::string dateFormat(const DateStyle& style)
{
    if (style.order == DateStyle::Order::YearMonthDay)
        return "yyyy-mm-dd";
    const std::string separator(1, style.separator);
    return "dd" + separator + "mm" + separator + (style.shortYear ? "yy" : "yyyy");
}

// One workbook being written: the library's handle and the formats it was
// given, each made once.
class Workbook {
public:
    explicit Workbook(const wxString& path)
    {
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        m_book = workbook_new_opt(XlsxPath(path).c_str(), &options);
        if (m_book)
            m_bold = workbook_add_format(m_book);
        if (m_bold)
            format_set_bold(m_bold);
    }
    ~Workbook()
    {
        // A workbook given up is still closed, to free what it holds.
        if (m_book)
            workbook_close(m_book);
    }
    Workbook(const Workbook&) = delete;
    Workbook& operator=(const Workbook&) = delete;

    bool Ok() const { return m_book && m_bold && m_ok; }
    lxw_format* Bold() const { return m_bold; }

    lxw_worksheet* AddSheet(const wxString& name)
    {
        lxw_worksheet* sheet = m_ok ? workbook_add_worksheet(m_book, utf8(name).c_str()) : nullptr;
        m_ok = m_ok && sheet;
        return sheet;
    }

    lxw_format* Format(const std::string& numberFormat)
    {
        auto known = m_formats.find(numberFormat);
        if (known != m_formats.end())
            return known->second;
        lxw_format* format = workbook_add_format(m_book);
        if (!format) {
            m_ok = false;
            return nullptr;
        }
        format_set_num_format(format, numberFormat.c_str());
        return m_formats.emplace(numberFormat, format).first->second;
    }

    lxw_format* NumberFormat(int decimals)
    {
        return Format(decimals == 0 ? std::string("0") : "0." + std::string(static_cast<std::size_t>(decimals), '0'));
    }

    void Check(lxw_error error) { m_ok = m_ok && error == LXW_NO_ERROR; }

    // Writes the file; false when anything failed on the way or now.
    bool Close()
    {
        lxw_workbook* book = m_book;
        m_book = nullptr;
        return m_ok && workbook_close(book) == LXW_NO_ERROR;
    }

private:
    lxw_workbook* m_book = nullptr;
    lxw_format* m_bold = nullptr;
    std::map<std::string, lxw_format*> m_formats;
    bool m_ok = true;
};

class SheetWriter {
public:
    SheetWriter(Workbook& book, lxw_worksheet* sheet) : m_book(book), m_sheet(sheet) {}

    void Text(lxw_row_t row, lxw_col_t column, const wxString& text, lxw_format* format = nullptr)
    {
        if (!text.empty())
            m_book.Check(worksheet_write_string(m_sheet, row, column, utf8(text).c_str(), format));
    }
    void Number(lxw_row_t row, lxw_col_t column, double value, lxw_format* format)
    {
        m_book.Check(worksheet_write_number(m_sheet, row, column, value, format));
    }
    void Time(lxw_row_t row, lxw_col_t column, const std::optional<std::int64_t>& seconds, const DateStyle& style)
    {
        if (seconds)
            Number(row, column, SpreadsheetCell::Serial(*seconds), m_book.Format(dateFormat(style) + " hh:mm:ss"));
    }

private:
    Workbook& m_book;
    lxw_worksheet* m_sheet;
};

// The sheet of one table.
void writeTable(Workbook& book, const TypedTable& table, const wxString& name)
{
    lxw_worksheet* sheet = book.AddSheet(name);
    if (!sheet)
        return;
    const RecordTable& records = table.Records();
    const std::size_t columns = std::max<std::size_t>(records.ColumnCount(), 1);
    std::vector<double> widths(columns, MinWidth);
    for (std::size_t column = 0; column < records.ColumnCount(); ++column) {
        widths[column] = std::max(widths[column], static_cast<double>(records.Heading(column).length()) + 2);
        for (std::size_t record = 0; record < records.RecordCount(); ++record)
            widths[column] = std::max(widths[column], static_cast<double>(characters(records.Cell(record, column))) + 2);
    }
    for (std::size_t column = 0; column < columns; ++column)
        book.Check(worksheet_set_column(sheet, static_cast<lxw_col_t>(column), static_cast<lxw_col_t>(column),
                                        std::min(widths[column], MaxWidth), nullptr));

    SheetWriter writer(book, sheet);
    for (std::size_t column = 0; column < records.ColumnCount(); ++column)
        writer.Text(0, static_cast<lxw_col_t>(column), records.Heading(column), book.Bold());
    const std::string date = dateFormat(table.Dates());
    for (std::size_t record = 0; record < records.RecordCount() && book.Ok(); ++record) {
        const auto row = static_cast<lxw_row_t>(record + 1);
        for (std::size_t column = 0; column < records.ColumnCount(); ++column) {
            const auto col = static_cast<lxw_col_t>(column);
            const SpreadsheetCell cell = SpreadsheetCell::Of(table, record, column);
            switch (cell.kind) {
            case SpreadsheetCell::Kind::Empty:
                break;
            case SpreadsheetCell::Kind::Number:
                writer.Number(row, col, cell.value, book.NumberFormat(cell.decimals));
                break;
            case SpreadsheetCell::Kind::Date:
                writer.Number(row, col, cell.value, book.Format(date));
                break;
            case SpreadsheetCell::Kind::Time:
                writer.Number(row, col, cell.value, book.Format("hh:mm:ss"));
                break;
            case SpreadsheetCell::Kind::DateTime:
                writer.Number(row, col, cell.value, book.Format(date + " hh:mm:ss"));
                break;
            case SpreadsheetCell::Kind::Text:
                writer.Text(row, col, records.CellText(record, column));
                break;
            }
        }
    }
    worksheet_freeze_panes(sheet, 1, 0);
    book.Check(worksheet_autofilter(sheet, 0, 0, static_cast<lxw_row_t>(records.RecordCount()),
                                    static_cast<lxw_col_t>(columns - 1)));
}

wxString timeText(const wxDateTime& time)
{
    return time.IsValid() ? time.FormatISOCombined(' ') : wxString();
}

// The figures of a table's measured columns, per series and for the whole
// table.
struct TableFigures {
    unsigned number = 0;
    std::vector<std::pair<wxString, std::vector<Figures>>> columns;
};

TableFigures figuresOf(const TypedTable& table)
{
    TableFigures figures;
    figures.number = table.Records().Number();
    for (std::size_t column = 0; column < table.ColumnCount(); ++column) {
        if (table.Kind(column) != ColumnKind::Number)
            continue;
        ColumnChoice choice;
        choice.column = column;
        choice.by = table.FirstSeries();
        figures.columns.emplace_back(table.Records().Name(column), ColumnFigures::Of(table, choice));
    }
    return figures;
}

// The first sheet: the reading's facts, then the tables' figures.
void writeReadingSheet(Workbook& book, const ReadingSummary& reading, const std::vector<TableFigures>& tables)
{
    lxw_worksheet* sheet = book.AddSheet("Reading");
    if (!sheet)
        return;
    SheetWriter writer(book, sheet);
    const ReadingFacts& facts = reading.facts;
    const std::pair<wxString, wxString> rows[] = {
        {_("Began"), timeText(reading.started)},
        {_("Ended"), timeText(reading.ended)},
        {_("Station"), facts.station},
        {_("Port"), facts.port},
        {_("Device"), facts.device},
        {_("Baud rate"), facts.baud > 0 ? wxString::Format("%d", facts.baud) : wxString()},
        {_("Pace"), facts.pace},
        {_("How it ended"), reading.error.empty() ? ReadingEndText(reading.end)
                                                  : ReadingEndText(reading.end) + wxT(": ") + reading.error},
        {_("Program version"), facts.version},
    };
    lxw_row_t row = 0;
    for (const auto& [label, value] : rows) {
        writer.Text(row, 0, label, book.Bold());
        writer.Text(row, 1, value);
        ++row;
    }
    book.Check(worksheet_set_column(sheet, 0, 0, 18, nullptr));
    book.Check(worksheet_set_column(sheet, 1, 11, 20, nullptr));

    const wxString headings[] = {_("Column"), _("Series"),     _("Count"),   _("Minimum"), _("Minimum at"),
                                 _("Maximum"), _("Maximum at"), _("Mean"),    _("First"),   _("Last")};
    for (const TableFigures& table : tables) {
        row += 1;
        writer.Text(row++, 0, wxString::Format(_("Table %u"), table.number), book.Bold());
        if (table.columns.empty()) {
            writer.Text(row++, 0, _("No measured columns."));
            continue;
        }
        for (std::size_t at = 0; at < std::size(headings); ++at)
            writer.Text(row, static_cast<lxw_col_t>(at), headings[at], book.Bold());
        ++row;
        for (const auto& [name, all] : table.columns)
            for (const Figures& figures : all) {
                writer.Text(row, 0, name);
                writer.Text(row, 1, figures.whole ? _("all") : figures.series);
                writer.Number(row, 2, static_cast<double>(figures.count), book.NumberFormat(0));
                if (figures.count > 0) {
                    writer.Text(row, 3, figures.minimum);
                    writer.Text(row, 4, figures.minimumAt);
                    writer.Text(row, 5, figures.maximum);
                    writer.Text(row, 6, figures.maximumAt);
                    writer.Text(row, 7, figures.mean);
                    writer.Text(row, 8, figures.first);
                    writer.Text(row, 9, figures.last);
                }
                ++row;
            }
    }
}

} // namespace

wxString XlsxReport::SheetName(unsigned number, const wxString& header)
{
    wxString words;
    for (wxChar c : header) {
        // Characters a sheet name may not hold, and the tabs between cells.
        if (wxString(wxT("[]:*?/\\\t'")).Find(c) != wxNOT_FOUND || c < 0x20)
            c = wxT(' ');
        if (c == wxT(' ') && (words.empty() || words.Last() == wxT(' ')))
            continue;
        words += c;
    }
    wxString name = wxString::Format("%u", number);
    for (const wxString& word : wxSplit(words.Trim(), wxT(' '), wxT('\0'))) {
        if (name.length() + 1 + word.length() > MaxSheetName)
            break;
        name += wxT(' ') + word;
    }
    return name;
}

ReportOutcome XlsxReport::Write(std::size_t count, const TableSource& table, const ReadingSummary& reading,
                                const wxString& fileName)
{
    return WriteReportFile(fileName, [&](ReportFile& file) {
        std::vector<TableFigures> figures;
        for (std::size_t index = 0; index < count; ++index)
            figures.push_back(figuresOf(TypedTable(table(index))));
        if (!file.HandOver())
            return false;
        Workbook book(file.TemporaryName());
        if (!book.Ok())
            return false;
        writeReadingSheet(book, reading, figures);
        for (std::size_t index = 0; index < count && book.Ok(); ++index) {
            const TypedTable typed(table(index));
            wxString header;
            for (std::size_t column = 0; column < typed.ColumnCount(); ++column)
                header += typed.Records().Heading(column) + wxT('\t');
            writeTable(book, typed, SheetName(typed.Records().Number(), header));
        }
        return book.Close();
    });
}

ReportOutcome XlsxReport::Write(const std::vector<RecordTable>& tables, const ReadingSummary& reading,
                                const wxString& fileName)
{
    return Write(
        tables.size(), [&tables](std::size_t index) { return tables[index]; }, reading, fileName);
}

ReportOutcome XlsxReport::Generate(const ReportLines& lines, const ReadingSummary& reading, const wxString& folder,
                                   const wxDateTime& now)
{
    const std::vector<ReportLineTables::Span> spans = ReportLineTables::Spans(lines);
    const auto table = [&](std::size_t index) {
        return ReportLineTables::Table(lines, spans[index], static_cast<unsigned>(index + 1));
    };
    return Write(spans.size(), table, reading, ReportFileName(folder, Extension, now));
}
