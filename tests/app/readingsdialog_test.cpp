// The kept readings' dialog on a virtual display, opened on its own over a
// real archive file: the list's order, filters and columns.
#include "tests/app/guitest.h"
#include "tests/app/testlanguage.h"

#include "app/readingsdialog.h"
#include "app/readingsfilterbar.h"
#include "app/readingslist.h"
#include "app/tablepage.h"
#include "app/chartpanel.h"
#include "app/figureslist.h"
#include "archive/filearchive.h"
#include "archive/readingrows.h"
#include "archive/readinguuid.h"
#include "tools/unitsim/unitmemory.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/filedlg.h>
#include <wx/ffile.h>
#include <wx/filename.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/choice.h>
#include <wx/datectrl.h>
#include <wx/listctrl.h>
#include <wx/notebook.h>
#include <wx/renderer.h>
#include <wx/toplevel.h>
#include <wx/utils.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <functional>
#include <memory>
#include <vector>

namespace {

ReadingFacts Facts(const wxString& station, const wxString& port)
{
    return ReadingFacts{port, "/dev/ttyUSB0", 9600, "design", "test", station};
}

// Keeps a complete reading of `memory` in `archive`, started at `started`.
std::int64_t Keep(ReadingArchive& archive, const morva_sim::UnitMemory& memory, const ReadingFacts& facts,
                  const wxDateTime& started)
{
    const std::int64_t id = archive.BeginReading(facts, NewReadingUuid(), started);
    std::vector<ArchivedTable> tables;
    std::vector<ArchivedRecord> records;
    unsigned number = 0;
    for (const auto& table : memory.tables()) {
        tables.push_back(ArchivedTable{number, table.header, static_cast<unsigned>(table.records.size()), 0, 0});
        unsigned index = 0;
        for (const wxString& record : table.records)
            records.push_back(ArchivedRecord{number, index++, record});
        ++number;
    }
    archive.EndReading(id, tables, records, ReadingEnd::Complete, wxString(), started + wxTimeSpan::Seconds(5));
    return id;
}

morva_sim::UnitMemory OneTable(const wxString& header, const std::vector<wxString>& records)
{
    morva_sim::UnitMemory memory;
    memory.addTable(header, records);
    return memory;
}

class ReadingsDialogTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        if (dialog)
            Close();
        EXPECT_TRUE(PumpUntil([] { return LiveTopLevelWindows() == 0; }));
    }

    // Closes the dialog as the window does: its threads are let end before
    // the program does, so that none outlives what it uses.
    void Close()
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        for (const std::shared_future<void>& gone : dialog->Unfinished())
            EXPECT_EQ(gone.wait_until(deadline), std::future_status::ready);
        dialog->Destroy();
        dialog = nullptr;
    }

    wxString ArchivePath() const { return folder.path() + "/archive.sqlite"; }

    std::unique_ptr<FileArchive> Archive() const
    {
        return std::make_unique<FileArchive>(ArchivePath(), ReadingArchive::Access::Write);
    }

    ReadingsDialog& Open()
    {
        dialog = new ReadingsDialog(nullptr, ArchiveSettings::Places{ArchivePath(), wxString()},
                                    [this](const ReadingSummary& reading, const ReportLines& lines) {
                                        made.push_back(reading.id);
                                        madeLines = lines;
                                    });
        dialog->Show();
        EXPECT_TRUE(PumpUntil([this] { return !dialog->IsWaiting(); }));
        return *dialog;
    }

    template <class Control>
    Control& Find(int id) const
    {
        auto* control = dynamic_cast<Control*>(dialog->FindWindow(id));
        EXPECT_NE(control, nullptr) << "control " << id;
        return *control;
    }

    ReadingsList& List() const { return Find<ReadingsList>(ReadingsDialog::ID_List); }
    wxNotebook& Tables() const { return Find<wxNotebook>(ReadingsDialog::ID_Tables); }

    // The texts of one column, line by line.
    std::vector<wxString> Column(ReadingRows::Column column) const
    {
        std::vector<wxString> texts;
        for (long line = 0; line < List().GetItemCount(); ++line)
            texts.push_back(List().GetItemText(line, column));
        return texts;
    }

    void Choose(int id, const wxString& entry)
    {
        auto& choice = Find<wxChoice>(id);
        ASSERT_NE(choice.FindString(entry), wxNOT_FOUND) << entry;
        choice.SetStringSelection(entry);
        wxCommandEvent event(wxEVT_CHOICE, id);
        event.SetEventObject(&choice);
        event.SetInt(choice.GetSelection());
        choice.GetEventHandler()->ProcessEvent(event);
    }

    void ClickHeading(int column)
    {
        wxListEvent event(wxEVT_LIST_COL_CLICK, ReadingsDialog::ID_List);
        event.SetEventObject(&List());
        event.m_col = column;
        List().GetEventHandler()->ProcessEvent(event);
    }

    TempDir folder;
    ReadingsDialog* dialog = nullptr; // owned by the window hierarchy
    std::vector<std::int64_t> made;
    ReportLines madeLines;
};

} // namespace

// --- the list

TEST_F(ReadingsDialogTest, HeadingsSortTheLinesNumbersAsNumbersTimesAsTimes)
{
    {
        const auto archive = Archive();
        // Ids 1..4; started out of the order of the ids; record counts
        // that sort differently as text (9 < 10 < 100).
        const morva_sim::UnitMemory nine = OneTable("No.\tValue", std::vector<wxString>(9, "1\t2"));
        const morva_sim::UnitMemory ten = OneTable("No.\tValue", std::vector<wxString>(10, "1\t2"));
        const morva_sim::UnitMemory hundred = OneTable("No.\tValue", std::vector<wxString>(100, "1\t2"));
        Keep(*archive, ten, Facts("b", "COM1"), wxDateTime(9, wxDateTime::Mar, 2024, 8, 0, 0));
        Keep(*archive, hundred, Facts("a", "COM2"), wxDateTime(10, wxDateTime::Feb, 2024, 8, 0, 0));
        Keep(*archive, nine, Facts("c", "COM1"), wxDateTime(1, wxDateTime::Apr, 2024, 8, 0, 0));
        Keep(*archive, ten, Facts("a", "COM1"), wxDateTime(9, wxDateTime::Mar, 2024, 7, 59, 59));
    }
    Open();
    using Lines = std::vector<wxString>;
    EXPECT_EQ(Column(ReadingRows::Number), (Lines{"4", "3", "2", "1"})); // the archive's order
    List().SetItemState(1, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED); // reading 3

    const struct {
        ReadingRows::Column column;
        Lines ascending; // the readings' numbers
    } cases[] = {
        {ReadingRows::Number, {"1", "2", "3", "4"}},
        {ReadingRows::Records, {"3", "4", "1", "2"}}, // 9, 10, 10, 100: equal ones in the archive's order
        {ReadingRows::Started, {"2", "4", "1", "3"}}, // 10.02 before 09.03 as times
        {ReadingRows::Station, {"4", "2", "1", "3"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ReadingRows::Heading(c.column));
        ClickHeading(c.column);
        EXPECT_EQ(List().SortColumn(), c.column);
        EXPECT_TRUE(List().SortsAscending());
        EXPECT_EQ(Column(ReadingRows::Number), c.ascending);
        ClickHeading(c.column);
        EXPECT_FALSE(List().SortsAscending());
        const Lines numbers = Column(ReadingRows::Number);
        // Descending: the reverse, but equal ones stay in the archive's order.
        if (c.column != ReadingRows::Records && c.column != ReadingRows::Station) {
            EXPECT_EQ(numbers, Lines(c.ascending.rbegin(), c.ascending.rend()));
        }
        // The reading chosen stays chosen wherever its line goes.
        ASSERT_TRUE(List().SelectedRow().has_value());
        EXPECT_EQ(List().GetItemText(List().Selected(), ReadingRows::Number), "3");
    }
    ClickHeading(ReadingRows::Records);
    ClickHeading(ReadingRows::Records);
    EXPECT_EQ(Column(ReadingRows::Number), (Lines{"2", "4", "1", "3"}));
}

TEST_F(ReadingsDialogTest, FiltersListAsTheArchiveListCommandDoes)
{
    {
        const auto archive = Archive();
        const morva_sim::UnitMemory one = OneTable("No.\tValue", {"1\t2"});
        Keep(*archive, one, Facts("north", "COM1"), wxDateTime(9, wxDateTime::Mar, 2024, 23, 59, 59));
        Keep(*archive, one, Facts("north", "COM2"), wxDateTime(10, wxDateTime::Mar, 2024, 0, 0, 0));
        Keep(*archive, one, Facts("south", "COM1"), wxDateTime(11, wxDateTime::Mar, 2024, 12, 0, 0));
        Keep(*archive, one, Facts("north-east", "COM1"), wxDateTime(12, wxDateTime::Mar, 2024, 12, 0, 0));
    }
    Open();
    using Lines = std::vector<wxString>;
    auto& station = Find<wxChoice>(ReadingsFilterBar::ID_Station);
    EXPECT_EQ(station.GetCount(), 4u); // all, and each station once
    EXPECT_EQ(Find<wxChoice>(ReadingsFilterBar::ID_Port).GetCount(), 3u);

    Choose(ReadingsFilterBar::ID_Station, "north"); // the whole name, not its start
    EXPECT_EQ(Column(ReadingRows::Number), (Lines{"2", "1"}));
    Choose(ReadingsFilterBar::ID_Port, "COM1");
    EXPECT_EQ(Column(ReadingRows::Number), (Lines{"1"}));
    EXPECT_TRUE(dialog->FindWindow(ReadingsDialog::ID_MakeReport)->IsEnabled());
    Choose(ReadingsFilterBar::ID_Station, "south");
    EXPECT_EQ(Column(ReadingRows::Number), (Lines{"3"}));
    Choose(ReadingsFilterBar::ID_Station, station.GetString(0));
    Choose(ReadingsFilterBar::ID_Port, Find<wxChoice>(ReadingsFilterBar::ID_Port).GetString(0));
    EXPECT_EQ(Column(ReadingRows::Number), (Lines{"4", "3", "2", "1"}));

    // Since a day: from its midnight on.
    auto& since = Find<wxCheckBox>(ReadingsFilterBar::ID_SinceCheck);
    Find<wxDatePickerCtrl>(ReadingsFilterBar::ID_Since).SetValue(wxDateTime(10, wxDateTime::Mar, 2024, 15, 0, 0));
    since.SetValue(true);
    wxCommandEvent tick(wxEVT_CHECKBOX, ReadingsFilterBar::ID_SinceCheck);
    tick.SetInt(1);
    tick.SetEventObject(&since);
    since.GetEventHandler()->ProcessEvent(tick);
    EXPECT_EQ(Column(ReadingRows::Number), (Lines{"4", "3", "2"}));

    // A filter that lets nothing through leaves nothing to make a report of.
    Choose(ReadingsFilterBar::ID_Port, "COM2");
    Choose(ReadingsFilterBar::ID_Station, "south");
    EXPECT_EQ(List().GetItemCount(), 0);
    EXPECT_FALSE(List().SelectedRow().has_value());
    EXPECT_FALSE(dialog->FindWindow(ReadingsDialog::ID_MakeReport)->IsEnabled());
}

TEST_F(ReadingsDialogTest, EveryHeadingFitsBesideItsSortArrowInEveryLanguage)
{
    const struct {
        int language;
        const char* catalogDir; // none for English
    } cases[] = {{wxLANGUAGE_ENGLISH, nullptr}, {wxLANGUAGE_RUSSIAN, "ru"}, {wxLANGUAGE_UKRAINIAN, "uk"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.language);
        if (c.catalogDir && !CatalogsBuilt(c.catalogDir))
            GTEST_SKIP() << "the compiled catalogs are not in this build: " << c.catalogDir;
        wxLocale locale;
        if (c.catalogDir) {
            ASSERT_TRUE(SpeakLanguage(locale, c.language));
        }
        Open();
        ReadingsList& list = List();
        list.SortBy(ReadingRows::Records);
        // The header button draws its label between a margin on either
        // side, and keeps three margins for the arrow.
        const int margin = wxRendererNative::Get().GetHeaderButtonMargin(&list);
        for (int column = 0; column < ReadingRows::ColumnCount; ++column) {
            wxListItem heading;
            heading.SetMask(wxLIST_MASK_TEXT);
            list.GetColumn(column, heading);
            EXPECT_EQ(heading.GetText(), ReadingRows::Heading(static_cast<ReadingRows::Column>(column)));
            EXPECT_GE(list.GetColumnWidth(column), list.GetTextExtent(heading.GetText()).x + 5 * margin)
                << heading.GetText();
        }
        Close();
        ASSERT_TRUE(PumpUntil([] { return LiveTopLevelWindows() == 0; }));
    }
}

// --- a reading's tables

namespace {

TablePage& Page(const ReadingsDialog& dialog, std::size_t index)
{
    auto* tables = dynamic_cast<wxNotebook*>(dialog.FindWindow(ReadingsDialog::ID_Tables));
    EXPECT_NE(tables, nullptr);
    EXPECT_LT(index, tables->GetPageCount());
    return *dynamic_cast<TablePage*>(tables->GetPage(index));
}

} // namespace

class ReadingTablesTest : public ReadingsDialogTest {
protected:
    void SetUp() override
    {
        const auto archive = Archive();
        Keep(*archive, morva_sim::UnitMemory::loadFromFile(MORVA_SAMPLE_MEMORY), Facts("north", "COM1"),
             wxDateTime(14, wxDateTime::Mar, 2024, 8, 0, 0));
    }

    // Opens the dialog on the sample's reading and turns to its second
    // table, the wide Russian one.
    TablePage& OpenWide()
    {
        Open();
        EXPECT_EQ(Tables().GetPageCount(), 3u);
        Tables().SetSelection(1);
        return Page(*dialog, 1);
    }

    static void Send(wxWindow& window, wxEventType type, int x, int y)
    {
        wxMouseEvent event(type);
        event.SetEventObject(&window);
        event.m_x = x;
        event.m_y = y;
        event.m_leftDown = type != wxEVT_LEFT_UP;
        window.GetEventHandler()->ProcessEvent(event);
    }

    static void PressEscape(wxWindow& window)
    {
        wxKeyEvent key(wxEVT_CHAR_HOOK);
        key.m_keyCode = WXK_ESCAPE;
        key.SetEventObject(&window);
        window.GetEventHandler()->ProcessEvent(key);
    }

    static wxString Figure(const TablePage& page, long line, int column)
    {
        auto* figures = dynamic_cast<wxListCtrl*>(page.FindWindow(TablePage::ID_Figures));
        return figures ? figures->GetItemText(line, column) : wxString();
    }
    static int FigureLines(const TablePage& page)
    {
        return dynamic_cast<wxListCtrl*>(page.FindWindow(TablePage::ID_Figures))->GetItemCount();
    }
};

TEST_F(ReadingTablesTest, EachTableHasAPageWithItsRecordsFiguresAndChart)
{
    TablePage& page = OpenWide();
    EXPECT_EQ(Tables().GetPageText(0), "Table 1");
    EXPECT_EQ(Tables().GetPageText(2), "Table 3");

    // The records, in columns named by their headings.
    auto& grid = dynamic_cast<wxListCtrl&>(*page.FindWindow(TablePage::ID_Grid));
    EXPECT_TRUE(grid.HasFlag(wxLC_VIRTUAL));
    EXPECT_EQ(grid.GetItemCount(), 12);
    EXPECT_EQ(grid.GetColumnCount(), 16);
    wxListItem heading;
    heading.SetMask(wxLIST_MASK_TEXT);
    grid.GetColumn(4, heading);
    EXPECT_EQ(heading.GetText(), wxString::FromUTF8("Давление, кПа"));
    EXPECT_EQ(grid.GetItemText(3, 4), "158,0");

    // The first measured column, by channel.
    const ColumnChoice& choice = page.Choice();
    EXPECT_EQ(page.Table().Records().Name(choice.column), wxString::FromUTF8("Давление, кПа"));
    ASSERT_TRUE(choice.by.has_value());
    EXPECT_EQ(page.Table().Records().Name(*choice.by), wxString::FromUTF8("Канал"));
    const ChartModel& chart = page.Chart().Model();
    EXPECT_EQ(chart.Nothing(), wxString());
    ASSERT_EQ(chart.Lines().size(), 4u);
    EXPECT_FALSE(chart.Lines()[0].vertices.empty());
    EXPECT_EQ(chart.Width(), page.Chart().GetClientSize().x);

    // A line per channel and one for the whole table.
    ASSERT_EQ(FigureLines(page), 5);
    EXPECT_EQ(Figure(page, 0, FiguresList::Series), wxString::FromUTF8("К2"));
    EXPECT_EQ(Figure(page, 4, FiguresList::Series), "Whole table");
    EXPECT_EQ(Figure(page, 4, FiguresList::Count), "12");
    EXPECT_EQ(Figure(page, 4, FiguresList::Maximum), "158,0");
    EXPECT_EQ(Figure(page, 4, FiguresList::MaximumAt), "14.03.2024 13:43:34");
    EXPECT_EQ(Figure(page, 4, FiguresList::Outside), "");

    // A limit: the values above it counted, the limit drawn.
    auto& upper = dynamic_cast<wxTextCtrl&>(*page.FindWindow(TablePage::ID_Upper));
    upper.SetValue("150");
    EXPECT_EQ(page.Choice().upper, 150.0);
    EXPECT_EQ(Figure(page, 4, FiguresList::Outside), "1");
    EXPECT_EQ(page.Chart().Model().Limits().size(), 1u);
    upper.SetValue("150,5x"); // not a number: no limit
    EXPECT_FALSE(page.Choice().upper.has_value());
    EXPECT_EQ(Figure(page, 4, FiguresList::Outside), "");

    // Under the pointer: the nearest record's series, value and time.
    const ChartModel::Vertex& vertex = page.Chart().Model().Lines()[0].vertices[0];
    const wxString told = page.Chart().Describe(vertex.x, vertex.y + 2);
    EXPECT_EQ(told, wxString::FromUTF8("К2: 113,2 at 14.03.2024 10:14:40")) << told;
    EXPECT_EQ(page.Chart().Describe(vertex.x, vertex.y + 200), "");
    Send(page.Chart(), wxEVT_MOTION, static_cast<int>(vertex.x), static_cast<int>(vertex.y));
    EXPECT_EQ(page.ChartStatus(), told);
}

TEST_F(ReadingTablesTest, ADragZoomsToItsTimesAndEscapeOrTheButtonZoomsOut)
{
    TablePage& page = OpenWide();
    ChartPanel& chart = page.Chart();
    const std::int64_t from = chart.Model().From();
    const std::int64_t to = chart.Model().To();
    const ChartModel::Rect plot = chart.Model().Plot();
    const int left = static_cast<int>(plot.left + plot.width / 4);
    const int right = static_cast<int>(plot.left + plot.width / 2);

    const auto drag = [&] {
        Send(chart, wxEVT_LEFT_DOWN, right, static_cast<int>(plot.top + 10));
        Send(chart, wxEVT_MOTION, left, static_cast<int>(plot.top + 20));
        Send(chart, wxEVT_LEFT_UP, left, static_cast<int>(plot.top + 20));
    };
    drag();
    ASSERT_TRUE(chart.IsZoomed());
    EXPECT_GT(chart.Model().From(), from);
    EXPECT_LT(chart.Model().To(), to);
    EXPECT_EQ(page.Choice().from, chart.Model().From());
    EXPECT_EQ(page.Choice().to, chart.Model().To());
    // The figures follow the range drawn.
    const long zoomedCount = wxAtol(Figure(page, FigureLines(page) - 1, FiguresList::Count));
    EXPECT_LT(zoomedCount, 12);
    EXPECT_GT(zoomedCount, 0);

    PressEscape(chart);
    EXPECT_FALSE(chart.IsZoomed());
    EXPECT_EQ(chart.Model().From(), from);
    EXPECT_EQ(chart.Model().To(), to);
    EXPECT_EQ(Figure(page, FigureLines(page) - 1, FiguresList::Count), "12");

    drag();
    EXPECT_TRUE(chart.IsZoomed());
    Click(page.FindWindow(TablePage::ID_ZoomOut));
    EXPECT_FALSE(chart.IsZoomed());

    // From the keyboard: "+" looks at the middle half, "-" at the whole.
    const auto press = [&chart](int key) {
        wxKeyEvent event(wxEVT_CHAR_HOOK);
        event.m_keyCode = key;
        event.SetEventObject(&chart);
        chart.GetEventHandler()->ProcessEvent(event);
    };
    press('+');
    ASSERT_TRUE(chart.IsZoomed());
    EXPECT_NEAR(static_cast<double>(chart.Model().From() - from), static_cast<double>(to - from) / 4, 60);
    EXPECT_NEAR(static_cast<double>(to - chart.Model().To()), static_cast<double>(to - from) / 4, 60);
    press('-');
    EXPECT_FALSE(chart.IsZoomed());

    // A click is no drag.
    Send(chart, wxEVT_LEFT_DOWN, left, static_cast<int>(plot.top + 10));
    Send(chart, wxEVT_LEFT_UP, left + 1, static_cast<int>(plot.top + 10));
    EXPECT_FALSE(chart.IsZoomed());
}

TEST_F(ReadingTablesTest, AZoomedChartsReportIsOfTheTimeItShows)
{
    TablePage& page = OpenWide();
    ChartPanel& chart = page.Chart();
    const ChartModel::Rect plot = chart.Model().Plot();
    // From a quarter to the half of the wide table's 14.03 10:14 .. 16.03 21:55.
    chart.ZoomBetween(plot.left + plot.width / 4, plot.left + plot.width / 2);
    ASSERT_TRUE(chart.IsZoomed());
    Click(dialog->FindWindow(ReadingsDialog::ID_MakeReport));
    ASSERT_TRUE(PumpUntil([this] { return !made.empty(); }));

    // Its header, the records of that time and the empty line after them.
    ASSERT_GE(madeLines.size(), 3u);
    EXPECT_TRUE(madeLines.front().StartsWith(page.Table().Records().Name(0))) << "the wide table's header";
    EXPECT_TRUE(madeLines.back().empty());
    std::size_t expected = 0;
    for (std::size_t record = 0; record < page.Table().RecordCount(); ++record) {
        const std::int64_t time = *page.Table().Time(record);
        expected += time >= *page.Choice().from && time <= *page.Choice().to ? 1 : 0;
    }
    EXPECT_GT(expected, 0u);
    EXPECT_LT(expected, 12u);
    EXPECT_EQ(madeLines.size(), expected + 2);

    // Zoomed out: the whole reading.
    made.clear();
    chart.ZoomOut();
    Click(dialog->FindWindow(ReadingsDialog::ID_MakeReport));
    ASSERT_TRUE(PumpUntil([this] { return !made.empty(); }));
    EXPECT_EQ(madeLines.size(), 12u + 12u + 9u + 6u);
}

TEST_F(ReadingTablesTest, TheChartIsSavedAsSvgOrPngNeverOverAnotherFile)
{
    TablePage& page = OpenWide();
    TempDir out;
    const wxString svg = page.SaveChart(out.path() + "/pressure.svg");
    EXPECT_EQ(svg, out.path() + "/pressure.svg");
    EXPECT_TRUE(ReadText(svg).StartsWith("<?xml"));
    EXPECT_NE(ReadText(svg).Find(wxString::FromUTF8("Давление, кПа")), wxNOT_FOUND);

    // Through the file dialog, as the operator saves it.
    const wxString png = out.path() + "/pressure.png";
    wxTEST_DIALOG(Click(page.FindWindow(TablePage::ID_SaveChart)), wxExpectModal<wxFileDialog>(png));
    ASSERT_TRUE(wxFileName::FileExists(png)) << page.ChartStatus();
    wxImage::AddHandler(new wxPNGHandler);
    wxImage picture;
    ASSERT_TRUE(picture.LoadFile(png, wxBITMAP_TYPE_PNG));
    EXPECT_EQ(picture.GetWidth(), page.Chart().Model().Width());
    EXPECT_EQ(picture.GetHeight(), page.Chart().Model().Height());
    EXPECT_EQ(page.ChartStatus(), "The chart was saved in " + png);
    // Drawn: not all of it the background.
    const wxImage::RGBValue line(page.Chart().Model().Lines()[0].colour.red,
                                 page.Chart().Model().Lines()[0].colour.green,
                                 page.Chart().Model().Lines()[0].colour.blue);
    bool drawn = false;
    for (int y = 0; y < picture.GetHeight() && !drawn; ++y) {
        for (int x = 0; x < picture.GetWidth() && !drawn; ++x)
            drawn = picture.GetRed(x, y) == line.red && picture.GetGreen(x, y) == line.green
                && picture.GetBlue(x, y) == line.blue;
    }
    EXPECT_TRUE(drawn);

    // Again under the same names: beside them, never over them.
    const wxString before = ReadText(svg);
    EXPECT_EQ(page.SaveChart(out.path() + "/pressure.svg"), out.path() + "/pressure_2.svg");
    EXPECT_EQ(page.SaveChart(png), out.path() + "/pressure_2.png");
    EXPECT_EQ(ReadText(svg), before);
    // A name without an extension takes the one of the format chosen.
    wxTEST_DIALOG(Click(page.FindWindow(TablePage::ID_SaveChart)),
                  wxExpectModal<wxFileDialog>(out.path() + "/plain"));
    EXPECT_TRUE(wxFileName::FileExists(out.path() + "/plain.png"));

    // A folder that is not there: the operator is told, nothing is written.
    std::vector<ShownMessage> shown;
    wxString written = "not yet";
    wxTEST_DIALOG(written = page.SaveChart(out.path() + "/no such folder/chart.png"), ExpectMessage(shown));
    EXPECT_EQ(written, "");
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "Cannot write " + out.path() + "/no such folder/chart.png.");
}

TEST_F(ReadingTablesTest, AColumnsKindChangedByTheOperatorIsFollowedByTheChoicesFiguresAndChart)
{
    TablePage& page = OpenWide();
    const std::size_t pressure = page.Choice().column;
    auto& kind = dynamic_cast<wxChoice&>(*page.FindWindow(TablePage::ID_Kind));
    auto& column = dynamic_cast<wxChoice&>(*page.FindWindow(TablePage::ID_Column));
    EXPECT_EQ(kind.GetStringSelection(), ColumnKindText(ColumnKind::Number));

    const auto choose = [&](ColumnKind chosen) {
        kind.SetStringSelection(ColumnKindText(chosen));
        wxCommandEvent event(wxEVT_CHOICE, TablePage::ID_Kind);
        event.SetEventObject(&kind);
        kind.GetEventHandler()->ProcessEvent(event);
    };
    choose(ColumnKind::Text);
    EXPECT_EQ(page.Table().Kind(pressure), ColumnKind::Text);
    EXPECT_NE(page.Chart().Model().Nothing(), wxString());
    EXPECT_TRUE(page.Chart().Model().Lines().empty());
    EXPECT_TRUE(column.GetString(static_cast<unsigned>(pressure)).EndsWith("(" + ColumnKindText(ColumnKind::Text) + ")"));
    EXPECT_EQ(Figure(page, FigureLines(page) - 1, FiguresList::Count), "0");

    choose(ColumnKind::Number);
    EXPECT_EQ(page.Chart().Model().Nothing(), wxString());
    EXPECT_EQ(page.Chart().Model().Lines().size(), 4u);
    EXPECT_EQ(Figure(page, FigureLines(page) - 1, FiguresList::Count), "12");

    // Another column chosen: its own kind is the one offered.
    column.SetSelection(0);
    wxCommandEvent event(wxEVT_CHOICE, TablePage::ID_Column);
    event.SetEventObject(&column);
    column.GetEventHandler()->ProcessEvent(event);
    EXPECT_EQ(page.Choice().column, 0u);
    EXPECT_EQ(kind.GetStringSelection(), ColumnKindText(page.Table().Kind(0)));
}

TEST_F(ReadingsDialogTest, ATableWithoutDatesTellsWhyThereIsNoChart)
{
    Keep(*Archive(), OneTable("No.\tValue", {"1\t2,5", "2\t3,5", "3\t2,0"}), Facts("north", "COM1"),
         wxDateTime(14, wxDateTime::Mar, 2024, 8, 0, 0));
    Open();
    TablePage& page = Page(*dialog, 0);
    const ChartModel& chart = page.Chart().Model();
    EXPECT_EQ(chart.Nothing(), "The records have no dates: there is nothing to draw over time.");
    EXPECT_TRUE(chart.Lines().empty());
    EXPECT_EQ(page.Chart().GetToolTipText(), chart.Nothing());
    // Its figures all the same.
    auto& figures = dynamic_cast<wxListCtrl&>(*page.FindWindow(TablePage::ID_Figures));
    ASSERT_EQ(figures.GetItemCount(), 1);
    EXPECT_EQ(figures.GetItemText(0, FiguresList::Maximum), "3,5");
}

TEST_F(ReadingsDialogTest, TheTablesFollowTheReadingChosenAndTellWhyTheyCannotBeRead)
{
    {
        const auto archive = Archive();
        Keep(*archive, OneTable("No.\tValue", {"1\t1", "2\t2"}), Facts("north", "COM1"),
             wxDateTime(14, wxDateTime::Mar, 2024, 8, 0, 0));
        Keep(*archive, OneTable("No.\tValue", {"1\t1", "2\t2", "3\t3"}), Facts("south", "COM1"),
             wxDateTime(15, wxDateTime::Mar, 2024, 8, 0, 0));
    }
    Open();
    const auto records = [&] { return Page(*dialog, 0).Table().RecordCount(); };
    EXPECT_EQ(records(), 3u); // the newest, chosen first
    List().SetItemState(1, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    ASSERT_TRUE(PumpUntil([&] { return !dialog->IsWaiting(); }));
    EXPECT_EQ(records(), 2u);

    // The archive spoilt meanwhile: the tables say why they are missing.
    ASSERT_TRUE(wxFFile(ArchivePath(), "wb").Write(wxString("not an archive at all")));
    List().SetItemState(0, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    ASSERT_TRUE(PumpUntil([&] { return !dialog->IsWaiting(); }));
    EXPECT_EQ(Tables().GetPageCount(), 0u);
    const wxString status = Find<wxStaticText>(ReadingsDialog::ID_TablesStatus).GetLabel();
    EXPECT_TRUE(status.StartsWith("The archive " + ArchivePath() + " cannot be read")) << status;
}

// Every control the keyboard reaches tells a screen reader what it is: by
// its label, or by the name of the label before it.
TEST_F(ReadingTablesTest, EveryControlTheKeyboardReachesHasAName)
{
    OpenWide();
    const std::vector<wxString> defaults{wxListCtrlNameStr, wxChoiceNameStr, wxTextCtrlNameStr, wxPanelNameStr,
                                         wxNotebookNameStr, wxDatePickerCtrlNameStr, wxButtonNameStr,
                                         wxCheckBoxNameStr};
    std::size_t looked = 0;
    std::function<void(wxWindow&)> visit = [&](wxWindow& window) {
        for (wxWindow* child : window.GetChildren()) {
            if (child->IsTopLevel())
                continue;
            const bool container = child->GetChildren().GetCount() > 0
                && !dynamic_cast<wxListCtrl*>(child) && !dynamic_cast<wxDatePickerCtrl*>(child);
            if (!container && child->CanAcceptFocus()) {
                ++looked;
                const wxString name = child->GetLabel().empty() ? child->GetName() : child->GetLabel();
                EXPECT_FALSE(name.empty()) << child->GetClassInfo()->GetClassName();
                EXPECT_EQ(std::count(defaults.begin(), defaults.end(), name), 0)
                    << child->GetClassInfo()->GetClassName() << " named " << name;
            }
            if (container)
                visit(*child);
        }
    };
    for (std::size_t page = 0; page < Tables().GetPageCount(); ++page)
        Tables().SetSelection(page);
    visit(*dialog);
    EXPECT_GE(looked, 3u * 10 + 6);
}
