// Tables written straight into the document as UTF-8, against the same
// tables built from the writers' fragments, and the document handed on in
// pieces of any size.
#include "report/reportgenerator.h"
#include "report/reporttext.h"
#include "report_test_util.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const int Formats[] = {ReportFormatRtf, ReportFormatHtml, ReportFormatTxt, ReportFormatCsv};

std::string Streamed(ReportFormater& formater, const ReportLines& rows, size_t pieceSize)
{
    std::string bytes;
    ReportText text(
        [&bytes](std::string_view piece) {
            bytes.append(piece);
            return true;
        },
        pieceSize);
    formater.AppendTable(rows.begin(), rows.end(), text);
    EXPECT_TRUE(text.Finish());
    return bytes;
}

std::string Fragments(ReportFormater& formater, const ReportLines& rows)
{
    ReportTable table;
    for (const wxString& row : rows)
        table.push_back(CutCells(row));
    return formater.FormatTable(table).utf8_string();
}

wxString Utf8(const char* bytes)
{
    return wxString::FromUTF8(bytes);
}

const ReportLines Tricky = {
    "Date\tEvent\t\tNote\t",
    "1\t\t3",
    "1\t2\t\t",
    "\t",
    " \t \v\f\r",
    "{brace} \\back\t<tag> & \"more\"",
    Utf8("\xd0\x94\xd0\xb0\xd1\x82\xd1\x87\xd0\xb8\xd0\xba\t\xd1\x97\xd1\x94\xd2\x91 \xe2\x82\xac"),
    Utf8("\xe4\xb8\xad\t\xe2\x98\x83\t\xf0\x9f\x98\x80 x  "),
    "only cell",
    "a\tb\tc\td\te\tf\tg\th\ti\tj\tk\tl\tm\tn\to",
};

} // namespace

TEST(StreamedTableTest, SameTextAsTheFragments)
{
    struct Case {
        const char* name;
        ReportLines rows;
    };
    const Case cases[] = {
        {"tricky cells", Tricky},
        {"header only", {"a\tb"}},
        {"empty header cells", {"\t", "x", "\t\t"}},
        {"rows of white space only", {"h", " ", "\t\t", ""}},
        {"no rows", {}},
    };
    for (int format : Formats) {
        const auto formater = CreateFormater(format);
        formater->Prepare(Tricky);
        for (const Case& c : cases) {
            for (size_t pieceSize : {size_t{1}, size_t{16}, ReportText::DefaultPieceSize})
                EXPECT_EQ(Streamed(*formater, c.rows, pieceSize), Fragments(*formater, c.rows))
                    << formater->Extension() << ", " << c.name << ", pieces of " << pieceSize;
        }
    }
}

TEST(StreamedTableTest, PieceSizeDoesNotChangeTheDocument)
{
    ReportLines lines = Tricky;
    lines.insert(lines.end(), {"", "", "\t", "x\t", "", "h2", "  ", ""});
    for (int format : Formats) {
        std::string whole;
        for (size_t pieceSize : {size_t{1}, size_t{3}, size_t{64}, ReportText::DefaultPieceSize}) {
            const auto formater = CreateFormater(format);
            std::string bytes;
            ReportText text(
                [&bytes](std::string_view piece) {
                    bytes.append(piece);
                    return true;
                },
                pieceSize);
            ASSERT_TRUE(BuildReport(*formater, lines, 4, Utf8("\xd0\x90 {T} <&>"), text));
            if (whole.empty())
                whole = bytes;
            EXPECT_EQ(bytes, whole) << formater->Extension() << ", pieces of " << pieceSize;
        }
        const auto formater = CreateFormater(format);
        EXPECT_EQ(BuildText(*formater, lines, 4, Utf8("\xd0\x90 {T} <&>")).utf8_string(), whole)
            << formater->Extension();
    }
}

TEST(StreamedTableTest, RefusedPieceStopsTheDocument)
{
    const auto formater = CreateFormater(ReportFormatRtf);
    int pieces = 0;
    ReportText text(
        [&pieces](std::string_view) {
            ++pieces;
            return false;
        },
        64);
    EXPECT_FALSE(BuildReport(*formater, Tricky, 1, "T", text));
    EXPECT_EQ(pieces, 1);
}
