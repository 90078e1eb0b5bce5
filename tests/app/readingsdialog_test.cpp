// The kept readings' dialog on a virtual display, opened on its own over a
// real archive file: the list's order, filters and columns.
#include "tests/app/guitest.h"
#include "tests/app/testlanguage.h"

#include "app/readingsdialog.h"
#include "app/readingsfilterbar.h"
#include "app/readingslist.h"
#include "archive/filearchive.h"
#include "archive/readingrows.h"
#include "archive/readinguuid.h"
#include "tools/unitsim/unitmemory.h"

#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/datectrl.h>
#include <wx/listctrl.h>
#include <wx/renderer.h>
#include <wx/toplevel.h>
#include <wx/utils.h>

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
            dialog->Destroy();
        EXPECT_TRUE(PumpUntil([] { return LiveTopLevelWindows() == 0; }));
    }

    wxString ArchivePath() const { return folder.path() + "/archive.sqlite"; }

    std::unique_ptr<FileArchive> Archive() const
    {
        return std::make_unique<FileArchive>(ArchivePath(), ReadingArchive::Access::Write);
    }

    ReadingsDialog& Open()
    {
        dialog = new ReadingsDialog(nullptr, ArchiveSettings::Places{ArchivePath(), wxString()},
                                    [this](const ReadingSummary& reading, const ReportLines&) {
                                        made.push_back(reading.id);
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
        dialog->Destroy();
        dialog = nullptr;
        ASSERT_TRUE(PumpUntil([] { return LiveTopLevelWindows() == 0; }));
    }
}
