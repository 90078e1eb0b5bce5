// The web view's parts that take a request apart and put text into a page
// or a header: the queries checked, the page's language, the escaping.

#include "insight/readingreport.h"
#include "web/markup.h"
#include "web/pagelanguage.h"
#include "web/utf8text.h"
#include "web/webquery.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <ostream>
#include <string>

namespace {

// ---- queries that are refused ----

using Reader = void (*)(const QueryParams&);
const Reader List = [](const QueryParams& params) { ListQuery::From(params); };
const Reader Part = [](const QueryParams& params) { PartQuery::From(params); };
const Reader Report = [](const QueryParams& params) { ReportQuery::From(params); };
const Reader Records = [](const QueryParams& params) { RecordsQuery::From(params); };
const Reader Chart = [](const QueryParams& params) { ChartQuery::From(params); };

struct BadCase {
    const char* name;
    Reader from;
    QueryParams params;
    const char* says; // a piece of the message
};

void PrintTo(const BadCase& c, std::ostream* out)
{
    *out << c.name;
}

std::string operator*(const std::string& text, int times)
{
    std::string repeated;
    for (int i = 0; i < times; ++i)
        repeated += text;
    return repeated;
}

const std::string Cyrillic = "\xD0\x96"; // Ж, two bytes

const BadCase BadCases[] = {
    {"Twice", List, {{"page", "1"}, {"page", "2"}}, "parameter \"page\" is given more than once"},
    {"TwiceBothEmpty", List, {{"station", ""}, {"station", ""}}, "\"station\" is given more than once"},
    {"TwiceInPart", Records, {{"series", "a"}, {"series", "a"}}, "\"series\" is given more than once"},
    {"TwiceAroundPart", Chart, {{"column", "a"}, {"column", "b"}}, "\"column\" is given more than once"},
    {"Unknown", List, {{"stations", "x"}}, "unknown parameter \"stations\""},
    {"UnknownEmpty", Chart, {{"submit", ""}}, "unknown parameter \"submit\""},
    {"PartsOnList", List, {{"until", "2024-03-14"}}, "unknown parameter \"until\""},
    {"ListsOnRecords", Records, {{"page", "2"}}, "unknown parameter \"page\""},
    {"RecordsOnChart", Chart, {{"offset", "2"}}, "unknown parameter \"offset\""},
    {"TableOnRecords", Records, {{"table", "2"}}, "unknown parameter \"table\""},
    {"ChartsOnReport", Report, {{"column", "Value"}}, "unknown parameter \"column\""},
    {"AroundOnBarePart", Part, {{"table", "1"}}, "unknown parameter \"table\""},
    {"UnknownNameCut", List, {{std::string("x") * 100, "1"}}, "unknown parameter \"xxxxx"},
    {"TooLong", List, {{"station", std::string("a") * 201}}, "\"station\" is longer than 200 bytes"},
    {"TooLongInBytes", Chart, {{"by", Cyrillic * 101}}, "\"by\" is longer than 200 bytes"},
    {"Tab", List, {{"port", "COM\t1"}}, "\"port\" holds a control character"},
    {"LineFeed", Part, {{"series", "a\nb"}}, "\"series\" holds a control character"},
    {"Nul", Part, {{"series", std::string("a\0b", 3)}}, "\"series\" holds a control character"},
    {"Delete", Chart, {{"column", "a\x7F"}}, "\"column\" holds a control character"},
    {"C1Control", Chart, {{"column", "a\xC2\x85"}}, "\"column\" holds a control character"},
    {"NotUtf8", List, {{"station", "\xFF"}}, "\"station\" is not valid UTF-8"},
    {"Latin1", List, {{"station", "Gr\xFC\xDF"}}, "\"station\" is not valid UTF-8"},
    {"Overlong", Part, {{"series", "\xC0\xAF"}}, "\"series\" is not valid UTF-8"},
    {"Surrogate", Part, {{"series", "\xED\xA0\x80"}}, "\"series\" is not valid UTF-8"},
    {"AboveUnicode", Part, {{"series", "\xF4\x90\x80\x80"}}, "\"series\" is not valid UTF-8"},
    {"CutCharacter", Part, {{"series", "\xD0"}}, "\"series\" is not valid UTF-8"},
    {"PageZero", List, {{"page", "0"}}, "\"page\" needs a whole number from 1 to 1000000, not \"0\""},
    {"PageAbove", List, {{"page", "1000001"}}, "from 1 to 1000000, not \"1000001\""},
    {"Exponent", List, {{"page", "1e3"}}, "not \"1e3\""},
    {"Negative", List, {{"page", "-1"}}, "not \"-1\""},
    {"Plus", List, {{"page", "+1"}}, "not \"+1\""},
    {"LeadingZero", List, {{"page", "01"}}, "not \"01\""},
    {"Blank", List, {{"page", " 1"}}, "not \" 1\""},
    {"Hex", List, {{"page", "0x10"}}, "not \"0x10\""},
    {"Fraction", Records, {{"limit", "1.0"}}, "not \"1.0\""},
    {"Overflow", List, {{"page", "99999999999999999999999"}}, "not \"99999999999999999999999\""},
    {"WrapsToOne", List, {{"page", "4294967297"}}, "not \"4294967297\""},
    {"FullwidthDigit", List, {{"page", "\xEF\xBC\x91"}}, "\"page\" needs a whole number"},
    {"PerPageZero", List, {{"per_page", "0"}}, "\"per_page\" needs a whole number from 1 to 500"},
    {"PerPageAbove", List, {{"per_page", "501"}}, "not \"501\""},
    {"OffsetAbove", Records, {{"offset", "100000001"}}, "\"offset\" needs a whole number from 0 to 100000000"},
    {"OffsetNegativeZero", Records, {{"offset", "-0"}}, "not \"-0\""},
    {"LimitZero", Records, {{"limit", "0"}}, "\"limit\" needs a whole number from 1 to 10000"},
    {"LimitAbove", Records, {{"limit", "10001"}}, "not \"10001\""},
    {"TableZero", Chart, {{"table", "0"}}, "\"table\" needs a whole number from 1 to 4096"},
    {"TableAbove", Report, {{"table", "4097"}}, "not \"4097\""},
    {"ChartPageZero", Chart, {{"page", "0"}}, "\"page\" needs a whole number from 1 to 1000000"},
    {"NoSuchDay", List, {{"since", "2024-02-30"}}, "\"since\" needs a day as YYYY-MM-DD, not \"2024-02-30\""},
    {"NotLeap", List, {{"since", "2023-02-29"}}, "not \"2023-02-29\""},
    {"NoSuchMonth", List, {{"since", "2024-13-01"}}, "not \"2024-13-01\""},
    {"UnitsDate", List, {{"since", "14.03.2024"}}, "not \"14.03.2024\""},
    {"OneDigitMonth", List, {{"since", "2024-3-14"}}, "not \"2024-3-14\""},
    {"ShortYear", List, {{"since", "24-03-14"}}, "not \"24-03-14\""},
    {"DayAndTime", List, {{"since", "2024-03-14 08:25"}}, "not \"2024-03-14 08:25\""},
    {"DayAndMore", List, {{"since", "2024-03-14x"}}, "not \"2024-03-14x\""},
    {"Words", Records, {{"since", "yesterday"}}, "\"since\" is not a date, nor a date and a time"},
    {"NoSuchDayUntil", Report, {{"until", "2024-02-30"}}, "\"until\" is not a date"},
    {"NoSuchHour", Chart, {{"until", "2024-03-14 24:00"}}, "\"until\" is not a date"},
    {"TimeAlone", Records, {{"since", "08:25"}}, "\"since\" is not a date"},
    {"LimitWords", Chart, {{"lower", "abc"}}, "\"lower\" needs a number such as 12.5 or 12,5, not \"abc\""},
    {"LimitExponent", Chart, {{"upper", "1e3"}}, "\"upper\" needs a number"},
    {"LimitTwoPoints", Chart, {{"upper", "1.2.3"}}, "\"upper\" needs a number"},
    {"LimitInfinity", Chart, {{"lower", "inf"}}, "\"lower\" needs a number"},
    {"LimitNotANumber", Chart, {{"lower", "nan"}}, "\"lower\" needs a number"},
};

class BadQueries : public testing::TestWithParam<BadCase> {};

TEST_P(BadQueries, AreRefusedNamingTheParameter)
{
    const BadCase& c = GetParam();
    try {
        c.from(c.params);
        FAIL() << "accepted";
    } catch (const BadQuery& bad) {
        const std::string message = bad.what();
        EXPECT_NE(message.find(c.says), std::string::npos) << message;
        // The message may be put anywhere: short, UTF-8, one line.
        EXPECT_LE(message.size(), 200u) << message;
        EXPECT_TRUE(Utf8Text::Valid(message)) << message;
        EXPECT_EQ(message.find_first_of(std::string("\0\t\r\n\x7F", 5)), std::string::npos) << message;
    }
}

INSTANTIATE_TEST_SUITE_P(Web, BadQueries, testing::ValuesIn(BadCases),
                         [](const testing::TestParamInfo<BadCase>& info) { return std::string(info.param.name); });

// A message shows at most 60 bytes of what was sent, never a character cut
// in two, nothing after a byte that is not UTF-8, controls as "?".
TEST(BadQueryMessages, ShowLittleOfWhatWasSent)
{
    const std::pair<Reader, QueryParams> sent[] = {
        {List, {{"page", std::string("7") * 150}}},
        {Chart, {{"lower", Cyrillic * 40}}},
        {Chart, {{"upper", "1" + Cyrillic * 59}}},
        {List, {{"a\xFF<b>", "1"}}},
        {List, {{"a\nb\xC2\x85", "1"}}},
        {List, {{"", "1"}}},
    };
    const char* const shown[] = {
        "parameter \"page\" needs a whole number from 1 to 1000000, not \"777777777777777777777777777777777777777777"
        "777777777777777777...\"",
        "parameter \"lower\" needs a number such as 12.5 or 12,5, not \"ЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖ...\"",
        "parameter \"upper\" needs a number such as 12.5 or 12,5, not \"1ЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖ...\"",
        "unknown parameter \"a...\"",
        "unknown parameter \"a?b?\"",
        "unknown parameter \"\"",
    };
    for (std::size_t i = 0; i < std::size(sent); ++i) {
        try {
            sent[i].first(sent[i].second);
            ADD_FAILURE() << "accepted " << i;
        } catch (const BadQuery& bad) {
            EXPECT_EQ(std::string(bad.what()), shown[i]);
        }
    }
}

// ---- queries that are taken ----

TEST(ListQueries, TakeTheirParameters)
{
    const ListQuery none = ListQuery::From({});
    EXPECT_EQ(none.station, "");
    EXPECT_EQ(none.port, "");
    EXPECT_FALSE(none.since);
    EXPECT_EQ(none.page, 1u);
    EXPECT_EQ(none.perPage, 50u);

    const ListQuery form =
        ListQuery::From({{"station", ""}, {"port", ""}, {"since", ""}, {"page", ""}, {"per_page", ""}});
    EXPECT_EQ(form.station, "");
    EXPECT_FALSE(form.since);
    EXPECT_EQ(form.page, 1u);
    EXPECT_EQ(form.perPage, 50u);

    const ListQuery all = ListQuery::From({{"station", "Лаб 1 <b>"},
                                           {"port", "COM1"},
                                           {"since", "2024-02-29"},
                                           {"page", "1000000"},
                                           {"per_page", "500"}});
    EXPECT_EQ(all.station, "Лаб 1 <b>");
    EXPECT_EQ(all.port, "COM1");
    EXPECT_EQ(all.since, "2024-02-29");
    EXPECT_EQ(all.page, 1000000u);
    EXPECT_EQ(all.perPage, 500u);

    EXPECT_EQ(ListQuery::From({{"per_page", "1"}, {"station", std::string("a") * 200}}).perPage, 1u);
}

struct WhenCase {
    const char* given;
    std::int64_t since; // seconds of the unit's clock
    std::int64_t until;
};

// 2024-03-14 00:00 is 1710374400 seconds after 1970-01-01 00:00.
const WhenCase WhenCases[] = {
    {"2024-03-14", 1710374400, 1710374400 + 86399},
    {"14.03.2024", 1710374400, 1710374400 + 86399},
    {"14/03/24", 1710374400, 1710374400 + 86399},
    {" 2024-03-14 ", 1710374400, 1710374400 + 86399},
    {"2024-03-14 08:25", 1710404700, 1710404700},
    {"2024-03-14T08:25:09", 1710404709, 1710404709},
    {"14.03.2024 8:25:09", 1710404709, 1710404709},
};

TEST(PartQueries, ReadTimesAsTheOperatorWritesThem)
{
    for (const WhenCase& c : WhenCases) {
        const RecordsQuery query = RecordsQuery::From({{"since", c.given}, {"until", c.given}});
        EXPECT_EQ(query.part.since, c.since) << c.given;
        EXPECT_EQ(query.part.until, c.until) << c.given;
        EXPECT_EQ(query.part.sinceText, c.given);
        EXPECT_EQ(query.part.untilText, c.given);
    }
}

TEST(PartQueries, BecomeTheReadingsPart)
{
    const PartQuery none = PartQuery::From({{"since", ""}, {"until", ""}, {"series", ""}});
    EXPECT_TRUE(none.ToPart(std::nullopt).Whole());
    EXPECT_FALSE(none.sinceText);

    const PartQuery query = PartQuery::From({{"since", "2024-03-14"}, {"series", "CH1 Давление"}, {"extra", "1"}},
                                            {"extra"});
    const ReadingPart part = query.ToPart(3);
    EXPECT_EQ(part.table, 3u);
    EXPECT_EQ(part.since, 1710374400);
    EXPECT_FALSE(part.until);
    ASSERT_TRUE(part.series);
    EXPECT_EQ(*part.series, wxString::FromUTF8("CH1 Давление"));
}

TEST(ReportQueries, TakeATableAndAPart)
{
    const ReportQuery whole = ReportQuery::From({{"table", ""}});
    EXPECT_TRUE(whole.ToPart().Whole());

    const ReportQuery query = ReportQuery::From({{"table", "4096"}, {"until", "2024-03-14"}, {"series", "CH2"}});
    EXPECT_EQ(query.table, 4096u);
    const ReadingPart part = query.ToPart();
    EXPECT_EQ(part.table, 4096u);
    EXPECT_EQ(part.until, 1710374400 + 86399);
    EXPECT_EQ(*part.series, "CH2");
}

TEST(RecordsQueries, TakeOffsetAndLimit)
{
    const RecordsQuery none = RecordsQuery::From({});
    EXPECT_EQ(none.offset, 0u);
    EXPECT_EQ(none.limit, 100u);

    const RecordsQuery lowest = RecordsQuery::From({{"offset", "0"}, {"limit", "1"}});
    EXPECT_EQ(lowest.offset, 0u);
    EXPECT_EQ(lowest.limit, 1u);

    const RecordsQuery highest = RecordsQuery::From({{"offset", "100000000"}, {"limit", "10000"}, {"series", "a"}});
    EXPECT_EQ(highest.offset, 100000000u);
    EXPECT_EQ(highest.limit, 10000u);
    EXPECT_EQ(highest.part.series, "a");
}

TEST(ChartQueries, TakeTheReadingsPage)
{
    const ChartQuery none = ChartQuery::From({});
    EXPECT_EQ(none.table, 1u);
    EXPECT_FALSE(none.column);
    EXPECT_FALSE(none.by);
    EXPECT_FALSE(none.lower);
    EXPECT_FALSE(none.upper);
    EXPECT_EQ(none.page, 1u);
    EXPECT_EQ(none.ToPart().table, 1u);

    const ChartQuery form = ChartQuery::From({{"table", "2"},
                                              {"column", "Value"},
                                              {"by", "Channel"},
                                              {"lower", "-1,5"},
                                              {"upper", "12.25"},
                                              {"since", "2024-03-14"},
                                              {"until", ""},
                                              {"series", "CH1"},
                                              {"page", "7"}});
    EXPECT_EQ(form.table, 2u);
    EXPECT_EQ(form.column, "Value");
    EXPECT_EQ(form.by, "Channel");
    ASSERT_TRUE(form.lower && form.upper);
    EXPECT_EQ(form.lower->text, "-1,5");
    EXPECT_DOUBLE_EQ(form.lower->value, -1.5);
    EXPECT_EQ(form.upper->text, "12.25");
    EXPECT_DOUBLE_EQ(form.upper->value, 12.25);
    EXPECT_EQ(form.part.since, 1710374400);
    EXPECT_FALSE(form.part.until);
    EXPECT_EQ(form.page, 7u);
    const ReadingPart part = form.ToPart();
    EXPECT_EQ(part.table, 2u);
    EXPECT_EQ(*part.series, "CH1");
}

// ---- the path ----

struct PathCase {
    const char* segment;
    std::int64_t max;
    std::optional<std::int64_t> number;
};

constexpr std::int64_t Largest = std::numeric_limits<std::int64_t>::max();

const PathCase PathCases[] = {
    {"1", 10, 1},
    {"10", 10, 10},
    {"11", 10, std::nullopt},
    {"0", 10, std::nullopt},
    {"01", 10, std::nullopt},
    {"-1", 10, std::nullopt},
    {"+1", 10, std::nullopt},
    {"", 10, std::nullopt},
    {"1e3", 10000, std::nullopt},
    {" 1", 10, std::nullopt},
    {"1 ", 10, std::nullopt},
    {"1.0", 10, std::nullopt},
    {"0x1", 10, std::nullopt},
    {"1", 0, std::nullopt},
    {"9223372036854775807", Largest, Largest},
    {"9223372036854775808", Largest, std::nullopt},
    {"99999999999999999999999999", Largest, std::nullopt},
    {"\xEF\xBC\x91", 10, std::nullopt},
};

TEST(PathNumbers, AreDigitsAloneInRange)
{
    for (const PathCase& c : PathCases)
        EXPECT_EQ(PathNumber(c.segment, c.max), c.number) << '"' << c.segment << "\" up to " << c.max;
}

TEST(ReportFormats, FollowTheExtension)
{
    const std::pair<const char*, std::optional<int>> cases[] = {
        {"rtf", 0}, {"html", 1}, {"txt", 2}, {"csv", 3}, {"xlsx", ReadingReport::Xlsx},
        {"RTF", std::nullopt}, {"htm", std::nullopt}, {".csv", std::nullopt}, {"xlsx ", std::nullopt},
        {"pdf", std::nullopt}, {"", std::nullopt},
    };
    for (const auto& [extension, format] : cases)
        EXPECT_EQ(ReportFormatOf(extension), format) << extension;
}

// ---- the page's language ----

TEST(PageLanguages, FollowTheBrowsersWeights)
{
    const std::pair<std::string, const char*> cases[] = {
        {"", "en"},
        {"uk-UA,uk;q=0.9,ru;q=0.8", "uk"},
        {"ru-RU", "ru"},
        {"RU-ru", "ru"},
        {"*", "en"},
        {"de,ru;q=0.1", "ru"},
        {"de", "en"},
        {"en;q=0", "ru"},
        {"en;q=0,ru;q=0", "uk"},
        {"en;q=0,ru;q=0,uk;q=0", "en"},
        {"*;q=0", "en"},
        {"en;q=0, *", "ru"},
        {"ru;q=0.5,uk;q=0.7", "uk"},
        {"ru;q=0.500,uk;q=0.5", "ru"},
        {"ru, uk", "ru"},
        {"uk,ru", "uk"},
        {"ru;q=0.2, uk, ru", "uk"},
        {"ru;q=0.2, uk;q=0.5, ru;Q=0.9", "ru"},
        {"*;q=0.5, uk", "uk"},
        {"ru;q=0.1, *;q=0.5", "en"},
        {"de-DE, en-US;q=0.8, ru;q=0.9", "ru"},
        {"  ru  ;  q=0.8  ", "ru"},
        {"rus", "en"},
        {"ru-", "en"},
        {"ru_RU", "en"},
        {"ru;q=2", "en"},
        {"ru;q=1.5", "en"},
        {"ru;q=1.0001", "en"},
        {"ru;q=abc", "en"},
        {"ru;q=", "en"},
        {"ru;level=1", "en"},
        {";;;,,,", "en"},
        {"\xFF\xFE, ru", "ru"},
        {std::string("de,") * 31 + "ru", "ru"},
        {std::string("de,") * 32 + "ru", "en"},
        {std::string("x") * 100000, "en"},
    };
    for (const auto& [header, language] : cases)
        EXPECT_EQ(PageLanguage(header), language) << header.substr(0, 80);
}

// ---- escaping ----

TEST(Markup, EscapesForPagesAndLinks)
{
    const std::pair<std::string, std::string> html[] = {
        {"<script>alert(1)</script>", "&lt;script&gt;alert(1)&lt;/script&gt;"},
        {"\" onmouseover='x'", "&quot; onmouseover=&#39;x&#39;"},
        {"a & b &amp;", "a &amp; b &amp;amp;"},
        {"Давление 5 bar", "Давление 5 bar"},
        {"", ""},
    };
    for (const auto& [text, escaped] : html)
        EXPECT_EQ(HtmlEscaped(text), escaped);

    const std::pair<std::string, std::string> url[] = {
        {"AZaz09-._~", "AZaz09-._~"},
        {"a b&c=d", "a%20b%26c%3Dd"},
        {"/?#+%", "%2F%3F%23%2B%25"},
        {"Ж", "%D0%96"},
        {std::string("\0\xFF", 2), "%00%FF"},
    };
    for (const auto& [text, encoded] : url)
        EXPECT_EQ(UrlEncoded(text), encoded);
}

TEST(Markup, AttachmentHeadersLetNothingThrough)
{
    const std::pair<std::string, std::string> cases[] = {
        {"report_2024_03_14_08_25_09.xlsx",
         "attachment; filename=\"report_2024_03_14_08_25_09.xlsx\"; "
         "filename*=UTF-8''report_2024_03_14_08_25_09.xlsx"},
        {"a \"b\" c.txt", "attachment; filename=\"a _b_ c.txt\"; filename*=UTF-8''a%20%22b%22%20c.txt"},
        {"x\\\"; filename=evil.exe", "attachment; filename=\"x__; filename=evil.exe\"; "
                                     "filename*=UTF-8''x_%22%3B%20filename%3Devil.exe"},
        {"x\r\nSet-Cookie: a=b", "attachment; filename=\"x__Set-Cookie: a=b\"; filename*=UTF-8''x__Set-Cookie%3A%20a%3Db"},
        {"Отчёт.csv", "attachment; filename=\"_____.csv\"; filename*=UTF-8''%D0%9E%D1%82%D1%87%D1%91%D1%82.csv"},
        {"../etc/passwd", "attachment; filename=\".._etc_passwd\"; filename*=UTF-8''.._etc_passwd"},
        {"\xFF\xC0.txt", "attachment; filename=\"__.txt\"; filename*=UTF-8''__.txt"},
        {"50%.txt", "attachment; filename=\"50_.txt\"; filename*=UTF-8''50%25.txt"},
    };
    for (const auto& [name, header] : cases) {
        const std::string made = AttachmentHeader(name);
        EXPECT_EQ(made, header);
        EXPECT_EQ(made.find_first_of("\r\n\\"), std::string::npos) << made;
        const std::size_t open = made.find('"');
        EXPECT_EQ(made.find('"', open + 1), made.find("\"; filename*=")) << made;
    }
}

} // namespace
