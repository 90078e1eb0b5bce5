// The real main window on a virtual display: its controls, its commands and
// its readings against the simulated unit, with every message box answered
// through the toolkit's dialog testing hooks.
#include "tests/app/guitest.h"
#include "tests/app/testlanguage.h"

#include "app/mainframe.h"
#include "app/readingsdialog.h"
#include "app/settings.h"
#include "archive/filearchive.h"
#include "archive/pgconnection.h"
#include "archive/readingrows.h"
#include "archive/readinguuid.h"
#include "support/postgrescluster.h"
#include "buslib/protocol/datatypes.h"
#include "buslib/serial/serialport.h"
#include "buslib/protocol/serialportveloxprotocol.h"
#include "reading/languagetable.h"
#include "tools/unitsim/simulatedunit.h"
#include "support/fixedports.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/listctrl.h>
#include <wx/choice.h>
#include <wx/combobox.h>
#include <wx/dir.h>
#include <wx/dirdlg.h>
#include <wx/ffile.h>
#include <wx/fileconf.h>
#include <wx/filename.h>
#include <wx/intl.h>
#include <wx/log.h>
#include <wx/progdlg.h>
#include <wx/radiobox.h>
#include <wx/regex.h>
#include <wx/sstream.h>
#include <wx/splash.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/thread.h>
#include <wx/translation.h>
#include <wx/uiaction.h>
#include <wx/utils.h>

#include <algorithm>
#include <chrono>

using morva_sim::Fault;
using morva_sim::FaultRule;
using morva_sim::SimulatedUnit;
using morva_sim::UnitMemory;

namespace {

const wxString ReadError = "Error while reading! Can't get data!";

// Every labelled control of the window with its English label.
const struct {
    int id;
    const char* text;
} WindowLabels[] = {
    {MainFrame::ID_PortLabel, "Serial port: "},  {MainFrame::ID_BaudLabel, "Baud rate: "},
    {MainFrame::ID_FormatRadio, "Generate report to"}, {MainFrame::ID_FolderBox, "Create report in folder"},
    {MainFrame::ID_Browse, "Browse"},        {MainFrame::ID_OpenReport, "Open report"},
    {MainFrame::ID_GetData, "Get data"},     {MainFrame::ID_About, "About"},
    {MainFrame::ID_ClearMemory, "Clear unit memory"}, {MainFrame::ID_Help, "Help"},
    {MainFrame::ID_Exit, "Exit"},           {MainFrame::ID_OnlyNew, "Only new records"},
    {MainFrame::ID_Readings, "Readings..."},
};

UnitMemory Tables(std::initializer_list<int> counts)
{
    UnitMemory memory;
    int t = 0;
    for (int n : counts) {
        ++t;
        std::vector<wxString> records;
        for (int i = 0; i < n; ++i)
            records.push_back(wxString::Format("r%d\t%d.5", i, i));
        memory.addTable(wxString::Format("Table %d\tValue", t), records);
    }
    return memory;
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        settings.serialPort = 1;
        settings.reportFolder = reports.path();
    }

    void TearDown() override { CloseWindow(); }

    MainFrame& OpenWindow(const PortWatchTiming& watch = PortWatchTiming())
    {
        frame = new MainFrame(settings, ports.get(), machinePorts, watch);
        frame->Show();
        return *frame;
    }

    void CloseWindow()
    {
        if (!frame)
            return;
        frame->Close(true);
        frame = nullptr;
        EXPECT_TRUE(PumpUntil([] { return wxTopLevelWindows.IsEmpty(); }));
    }

    // COM1 opens `device`. The window keeps reading the same settings.
    void MapCom1(const std::string& device)
    {
        if (!ports) {
            wxStringInputStream empty(wxString{});
            ports = std::make_unique<wxFileConfig>(empty);
        }
        ports->Write("/ports/COM1", wxString::FromUTF8(device));
    }

    SimulatedUnit& PlugUnit(const UnitMemory& memory)
    {
        unit = std::make_unique<SimulatedUnit>(memory);
        MapCom1(unit->portPath());
        return *unit;
    }

    template <class Control>
    Control* Find(int id) const
    {
        auto* control = dynamic_cast<Control*>(frame->FindWindow(id));
        EXPECT_NE(control, nullptr) << "control " << id;
        return control;
    }

    // "Get data", then the event loop until the reading has ended.
    void GetData()
    {
        Click(Find<wxButton>(MainFrame::ID_GetData));
        EXPECT_TRUE(PumpUntil([this] { return !frame->IsReading(); }));
    }

    // "Get data", and Cancel once the first record is in.
    void GetDataAndCancel()
    {
        Click(Find<wxButton>(MainFrame::ID_GetData));
        ASSERT_TRUE(PumpUntil([] {
            const wxProgressDialog* dialog = FindProgressDialog();
            return dialog && dialog->GetValue() > 0;
        }));
        Click(FindProgressDialog()->FindWindow(wxID_CANCEL));
        EXPECT_TRUE(PumpUntil([this] { return !frame->IsReading(); }));
    }

    void ExpectIdle() const
    {
        EXPECT_FALSE(frame->IsReading());
        EXPECT_EQ(FindProgressDialog(), nullptr);
        EXPECT_TRUE(frame->IsEnabled());
    }

    Settings settings;
    TempDir reports;
    std::unique_ptr<wxFileConfig> ports;
    morva_test::FixedPortEnumerator machinePorts;
    std::unique_ptr<SimulatedUnit> unit;
    MainFrame* frame = nullptr; // owned by the window hierarchy
    std::vector<ShownMessage> shown;
};

// --- the window and its settings

TEST_F(WindowTest, BuildsEveryControlFromTheSettings)
{
    settings.serialPort = 3;
    OpenWindow();

    for (const auto& label : WindowLabels)
        EXPECT_EQ(Find<wxWindow>(label.id)->GetLabel(), label.text) << label.id;
    EXPECT_EQ(frame->GetTitle(), "MORVA_Reporter");

    auto* port = Find<wxChoice>(MainFrame::ID_PortChoice);
    EXPECT_EQ(port->GetCount(), 256u);
    EXPECT_EQ(port->GetString(0), "COM1");
    EXPECT_EQ(port->GetString(255), "COM256");
    EXPECT_EQ(port->GetStringSelection(), "COM3");

    auto* baud = Find<wxChoice>(MainFrame::ID_BaudChoice);
    const wxArrayString rates = baud->GetStrings();
    EXPECT_EQ(std::vector<wxString>(rates.begin(), rates.end()),
              (std::vector<wxString>{"4800", "9600", "38400", "57600", "115200"}));
    EXPECT_EQ(baud->GetStringSelection(), "9600");

    // The design's four formats in their order, then the workbook.
    auto* format = Find<wxRadioBox>(MainFrame::ID_FormatRadio);
    ASSERT_EQ(format->GetCount(), 5u);
    EXPECT_EQ(format->GetString(0) + format->GetString(1) + format->GetString(2) + format->GetString(3)
                  + format->GetString(4),
              "RTFHTMLTXTCSVXLSX");
    EXPECT_EQ(format->GetSelection(), 0);
    EXPECT_EQ(format->GetColumnCount(), 5u);

    EXPECT_EQ(Find<wxTextCtrl>(MainFrame::ID_FolderText)->GetValue(), reports.path());
    EXPECT_FALSE(Find<wxCheckBox>(MainFrame::ID_OpenReport)->IsChecked());

    // Fixed size.
    EXPECT_EQ(frame->GetMinSize(), frame->GetMaxSize());
    EXPECT_FALSE(frame->HasFlag(wxRESIZE_BORDER));
    EXPECT_FALSE(frame->HasFlag(wxMAXIMIZE_BOX));
}

TEST_F(WindowTest, TheFolderGroupHoldsItsControlsWithinItsFrame)
{
    OpenWindow();
    const auto* box = Find<wxStaticBox>(MainFrame::ID_FolderBox);
    // The controls are the box's children, placed below its label; the
    // frame is drawn on the box's edges and must not cut any of them.
    int top = 0;
    int other = 0;
    box->GetBordersForSizer(&top, &other);
    const int frame = 2;
    for (int id : {MainFrame::ID_FolderText, MainFrame::ID_Browse, MainFrame::ID_OpenReport}) {
        const wxRect control = Find<wxWindow>(id)->GetRect();
        EXPECT_GE(control.GetTop(), 0) << id;
        EXPECT_LE(top + control.GetBottom() + 1 + frame, box->GetSize().GetHeight()) << id << " top border " << top;
    }
}

TEST_F(WindowTest, PortNumberOutsideTheListSelectsNothingAndStoresZero)
{
    for (int stored : {0, -1, 257}) {
        SCOPED_TRACE(stored);
        settings.serialPort = stored;
        OpenWindow();
        EXPECT_EQ(Find<wxChoice>(MainFrame::ID_PortChoice)->GetSelection(), wxNOT_FOUND);
        CloseWindow();
        EXPECT_EQ(settings.serialPort, 0);
    }
}

TEST_F(WindowTest, ClosingStoresPortAndFolder)
{
    OpenWindow();
    Find<wxChoice>(MainFrame::ID_PortChoice)->SetSelection(4);
    Find<wxTextCtrl>(MainFrame::ID_FolderText)->SetValue("C:\\reports\\unit 7");
    Click(Find<wxButton>(MainFrame::ID_Exit));
    EXPECT_TRUE(PumpUntil([] { return wxTopLevelWindows.IsEmpty(); }));
    frame = nullptr;
    EXPECT_EQ(settings.serialPort, 5);
    EXPECT_EQ(settings.reportFolder, "C:\\reports\\unit 7");
}

TEST_F(WindowTest, BaudRateComesFromTheListAndFallsBackTo9600)
{
    OpenWindow();
    auto* baud = Find<wxChoice>(MainFrame::ID_BaudChoice);
    const int listed[] = {4800, 9600, 38400, 57600, 115200};
    for (unsigned i = 0; i < baud->GetCount(); ++i) {
        baud->SetSelection(static_cast<int>(i));
        EXPECT_EQ(frame->GetBaudRate(), listed[i]);
    }
    // Texts the list never holds: the leading digits count.
    const struct {
        const char* text;
        int baud;
    } others[] = {{"300", 9600}, {"abc", 9600}, {"", 9600}, {"4800 baud", 4800}, {"115201", 9600}};
    for (const auto& other : others) {
        baud->SetString(0, other.text);
        baud->SetSelection(0);
        EXPECT_EQ(frame->GetBaudRate(), other.baud) << other.text;
    }
    baud->SetSelection(wxNOT_FOUND);
    EXPECT_EQ(frame->GetBaudRate(), 9600);
}

TEST_F(WindowTest, PortNameFollowsThePortsGroup)
{
    MapCom1("/dev/serial/by-id/usb-unit");
    OpenWindow();
    EXPECT_EQ(frame->GetPort().device, "/dev/serial/by-id/usb-unit");
    Find<wxChoice>(MainFrame::ID_PortChoice)->SetSelection(1);
    EXPECT_EQ(frame->GetPort().device, "COM2");
}

// --- simple commands

TEST_F(WindowTest, F1AndHelpOpenTheHelpPageOfTheWorkingDirectory)
{
    OpenRecorder opened;
    OpenWindow();
    const std::string page = (wxGetCwd() + "/help/index.htm").utf8_string();

    Click(Find<wxButton>(MainFrame::ID_Help));
    EXPECT_EQ(opened.next(), std::vector<std::string>{page});

    wxCommandEvent key(wxEVT_MENU, MainFrame::ID_HelpKey);
    frame->GetEventHandler()->ProcessEvent(key);
    EXPECT_EQ(opened.next(), std::vector<std::string>{page});
}

TEST_F(WindowTest, BrowseAsksForTheFolderAndKeepsItOnCancel)
{
    OpenWindow();
    Find<wxTextCtrl>(MainFrame::ID_FolderText)->SetValue("/typed/by/hand");

    class CancelFolderChoice : public wxExpectModalBase<wxDirDialog, CancelFolderChoice> {
    public:
        explicit CancelFolderChoice(wxString& message) : m_message(&message) {}

    protected:
        int OnInvoked(wxDirDialog* dialog) const override
        {
            *m_message = dialog->GetMessage();
            return wxID_CANCEL;
        }

    private:
        wxString* m_message;
    };

    wxString message;
    wxTEST_DIALOG(Click(Find<wxButton>(MainFrame::ID_Browse)), CancelFolderChoice(message));
    EXPECT_EQ(message, "Choose folder for reports");
    EXPECT_EQ(Find<wxTextCtrl>(MainFrame::ID_FolderText)->GetValue(), "/typed/by/hand");
}

TEST_F(WindowTest, AboutShowsThePictureUntilClicked)
{
    OpenWindow();
    Click(Find<wxButton>(MainFrame::ID_About));
    wxSplashScreen* splash = nullptr;
    for (wxWindow* window : wxTopLevelWindows) {
        if (auto* found = dynamic_cast<wxSplashScreen*>(window))
            splash = found;
    }
    ASSERT_NE(splash, nullptr);
    EXPECT_EQ(splash->GetSplashWindow()->GetBitmap().GetSize(), wxSize(400, 300));

    wxMouseEvent click(wxEVT_LEFT_DOWN);
    splash->GetSplashWindow()->GetEventHandler()->ProcessEvent(click);
    EXPECT_TRUE(PumpUntil([] { return wxTopLevelWindows.GetCount() == 1; }));
}

// --- Get data

TEST_F(WindowTest, GetDataWritesTheReportInTheChosenFormat)
{
    PlugUnit(Tables({2}));
    OpenWindow();
    const struct {
        int selection;
        const char* extension;
    } formats[] = {{0, "rtf"}, {1, "html"}, {2, "txt"}, {3, "csv"}};
    const wxRegEx name("^report_[0-9]{4}(_[0-9]{2}){5}\\.[a-z]+$");

    // One window, one reading after the other.
    for (const auto& format : formats) {
        SCOPED_TRACE(format.extension);
        Find<wxRadioBox>(MainFrame::ID_FormatRadio)->SetSelection(format.selection);
        shown.clear();
        wxTEST_DIALOG(GetData(), ExpectMessage(shown));

        const auto files = reports.files(wxString("*.") + format.extension);
        ASSERT_EQ(files.size(), 1u);
        EXPECT_TRUE(name.Matches(files[0])) << files[0];
        const wxString path = wxFileName(reports.path(), files[0]).GetFullPath();
        const wxString text = ReadText(path);
        EXPECT_TRUE(text.Contains("Table 1") && text.Contains("r1") && text.Contains("1.5")) << text;

        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].text, "Report successfully generated in file " + path);
        EXPECT_EQ(shown[0].caption, "MORVA_Reporter");
        EXPECT_EQ(shown[0].style, wxOK | wxCENTRE | wxICON_INFORMATION);
        ExpectIdle();
    }

    // The workbook: a zip archive, as every one is.
    Find<wxRadioBox>(MainFrame::ID_FormatRadio)->SetSelection(4);
    shown.clear();
    wxTEST_DIALOG(GetData(), ExpectMessage(shown));
    const auto workbooks = reports.files("*.xlsx");
    ASSERT_EQ(workbooks.size(), 1u);
    EXPECT_TRUE(name.Matches(workbooks[0])) << workbooks[0];
    const wxString workbook = wxFileName(reports.path(), workbooks[0]).GetFullPath();
    char head[2] = {};
    wxFFile zip(workbook, "rb");
    EXPECT_TRUE(zip.IsOpened() && zip.Read(head, 2) == 2 && head[0] == 'P' && head[1] == 'K');
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "Report successfully generated in file " + workbook);
    EXPECT_EQ(reports.files().size(), 5u);
}

TEST_F(WindowTest, OpenReportHandsTheExactPathToTheDesktop)
{
    // Quotes, blanks and a dollar mean nothing to anybody on the way.
    const wxString folder = reports.path() + "/it's a \"folder\" $HOME";
    ASSERT_TRUE(wxFileName::Mkdir(folder));
    settings.reportFolder = folder;
    PlugUnit(Tables({1}));
    OpenRecorder opened;
    OpenWindow();
    Find<wxCheckBox>(MainFrame::ID_OpenReport)->SetValue(true);
    Find<wxRadioBox>(MainFrame::ID_FormatRadio)->SetSelection(1);

    wxTEST_DIALOG(GetData(), ExpectMessage(shown));
    wxDir dir(folder);
    wxString file;
    ASSERT_TRUE(dir.GetFirst(&file, "report_*.html"));
    EXPECT_EQ(opened.next(), std::vector<std::string>{(folder + "/" + file).utf8_string()});
}

TEST_F(WindowTest, ReportThatCannotBeWrittenShowsTheError)
{
    PlugUnit(Tables({1}));
    settings.reportFolder = reports.path() + "/missing";
    OpenWindow();
    wxTEST_DIALOG(GetData(), ExpectMessage(shown));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].text.StartsWith("Error creating file: " + reports.path() + "/missing/report_"))
        << shown[0].text;
    EXPECT_EQ(shown[0].style & wxICON_MASK, wxICON_ERROR);
    ExpectIdle();
}

TEST_F(WindowTest, PortThatDoesNotOpenShowsOneErrorAndNoProgress)
{
    MapCom1("/dev/no-such-port");
    OpenWindow();
    wxTEST_DIALOG(GetData(), ExpectMessage(shown, wxID_OK, [] { EXPECT_EQ(FindProgressDialog(), nullptr); }));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, ReadError
                                 + "\nSerial port error\nThe device /dev/no-such-port, which COM1 stands for, "
                                   "does not exist.");
    EXPECT_EQ(shown[0].caption, "MORVA_Reporter");
    EXPECT_EQ(shown[0].style, wxOK | wxICON_ERROR | wxCENTRE);
    ExpectIdle();
}

TEST_F(WindowTest, PortInUseSaysSo)
{
    PlugUnit(Tables({1}));
    morva_velox::SerialPort other;
    ASSERT_TRUE(other.open(unit->portPath(), 9600, 'N', 8, 0));
    OpenWindow();
    wxTEST_DIALOG(GetData(), ExpectMessage(shown));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, ReadError + "\nSerial port error\n" + unit->portPath()
                                 + " is in use by another program. Close that program and try again.");
    ExpectIdle();
}

TEST_F(WindowTest, DetectedAdapterIsCom1AndGetDataReadsItWithoutSettings)
{
    unit = std::make_unique<SimulatedUnit>(Tables({2}));
    machinePorts.set({morva_test::UsbAdapter(unit->portPath())});
    OpenWindow(); // no settings file, so no "/ports" group
    auto* port = Find<wxChoice>(MainFrame::ID_PortChoice);
    EXPECT_EQ(port->GetString(0), L"COM1 \u2013 FT232R USB UART (" + unit->portPath() + ")");
    EXPECT_EQ(port->GetString(1), "COM2");
    EXPECT_EQ(port->GetSelection(), 0);

    wxTEST_DIALOG(GetData(), ExpectMessage(shown));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].text.StartsWith("Report successfully generated in file ")) << shown[0].text;
    EXPECT_EQ(reports.files().size(), 1u);
}

TEST_F(WindowTest, PortListIsLookedAtAgainWhenOpenedAndKeepsItsSelection)
{
    settings.serialPort = 2;
    OpenWindow();
    auto* port = Find<wxChoice>(MainFrame::ID_PortChoice);
    EXPECT_EQ(port->GetString(0), "COM1");

    // An adapter plugged in while the window is open.
    machinePorts.set({morva_test::UsbAdapter("/dev/ttyUSB0"), morva_test::BuiltInPort("/dev/ttyS0")});
    wxCommandEvent opened(wxEVT_COMBOBOX_DROPDOWN, MainFrame::ID_PortChoice);
    opened.SetEventObject(port);
    port->GetEventHandler()->ProcessEvent(opened);
    EXPECT_EQ(port->GetString(0), L"COM1 \u2013 /dev/ttyS0");
    EXPECT_EQ(port->GetString(1), L"COM2 \u2013 FT232R USB UART (/dev/ttyUSB0)");
    EXPECT_EQ(port->GetString(2), "COM3");
    EXPECT_EQ(port->GetSelection(), 1);
    EXPECT_EQ(frame->GetPort().device, "/dev/ttyUSB0");

    // Unplugged again: the label goes, the index stays.
    machinePorts.set({});
    port->GetEventHandler()->ProcessEvent(opened);
    EXPECT_EQ(port->GetString(1), "COM2");
    EXPECT_EQ(port->GetSelection(), 1);
    CloseWindow();
    EXPECT_EQ(settings.serialPort, 2);
}

// A click anywhere on the port list opens it, as on the baud rate's list,
// and the list is looked at again as it opens; a typical adapter's entry
// shows whole.
TEST_F(WindowTest, AClickAnywhereOnThePortListOpensIt)
{
    OpenWindow();
    auto* port = Find<wxComboBox>(MainFrame::ID_PortChoice);
    const wxString typical = L"COM3 \u2013 FT232R USB UART (/dev/ttyUSB0)";
    EXPECT_GE(port->GetSize().x, port->GetSizeFromTextSize(port->GetTextExtent(typical)).x);

    machinePorts.set({morva_test::UsbAdapter("/dev/ttyUSB0")});
    // On the text, far from the arrow.
    const wxRect area = port->GetScreenRect();
    wxUIActionSimulator mouse;
    mouse.MouseMove(area.GetLeft() + area.GetHeight() / 2, area.GetTop() + area.GetHeight() / 2);
    mouse.MouseClick();
    EXPECT_TRUE(PumpUntil([&] { return port->GetString(0) != "COM1"; }));
    EXPECT_EQ(port->GetString(0), L"COM1 \u2013 FT232R USB UART (/dev/ttyUSB0)");
    port->Dismiss();
}

TEST_F(WindowTest, MessagesOfTheReadingComeFromTheMainThread)
{
    PlugUnit(Tables({2, 0, 5}));
    OpenWindow();
    wxTEST_DIALOG(GetData(), ExpectMessage(shown, wxID_OK, [] {
        EXPECT_TRUE(wxIsMainThread());
        EXPECT_NE(FindProgressDialog(), nullptr); // still up while the operator reads
    }));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "There are no records in unit's nonvolatile memory");
    EXPECT_EQ(shown[0].style, wxOK | wxICON_EXCLAMATION | wxCENTRE);
    EXPECT_TRUE(reports.files().empty());
    ExpectIdle();
}

TEST_F(WindowTest, CancelMakesAReportOfWhatWasRead)
{
    PlugUnit(Tables({200}));
    OpenWindow();
    Find<wxRadioBox>(MainFrame::ID_FormatRadio)->SetSelection(2);
    wxTEST_DIALOG(GetDataAndCancel(), ExpectMessage(shown));

    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].text.StartsWith("Report successfully generated in file "));
    const auto files = reports.files("*.txt");
    ASSERT_EQ(files.size(), 1u);
    const wxString text = ReadText(wxFileName(reports.path(), files[0]).GetFullPath());
    EXPECT_TRUE(text.Contains("r0"));
    EXPECT_FALSE(text.Contains("r199"));
    ExpectIdle();
}

TEST_F(WindowTest, ReadsInThePaceThatTheSettingsName)
{
    PlugUnit(Tables({8}));
    OpenWindow();
    const struct {
        morva_velox::Pace pace;
        bool line;
    } rows[] = {{morva_velox::Pace::Design, false}, {morva_velox::Pace::Line, true}, {morva_velox::Pace::Design, false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(morva_velox::paceName(row.pace));
        // Taken afresh at every Get data.
        PlugUnit(Tables({8}));
        settings.pace = row.pace;
        shown.clear();
        wxTEST_DIALOG(GetData(), ExpectMessage(shown));
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_TRUE(shown[0].text.StartsWith("Report successfully generated in file ")) << shown[0].text;

        // The time from one request to the next: at least the 20 ms pause
        // of a port read in the design pace, far less in the line pace.
        // The median, since the unit stamps a request when it gets to it,
        // which a loaded machine delays now and then: a late stamp
        // shortens one gap and lengthens the next.
        const auto requests = unit->requests();
        ASSERT_GE(requests.size(), 8u * 3);
        std::vector<long> gaps;
        for (std::size_t i = 1; i < requests.size(); ++i)
            gaps.push_back(static_cast<long>(std::chrono::duration_cast<std::chrono::microseconds>(
                requests[i].time - requests[i - 1].time).count()));
        std::sort(gaps.begin(), gaps.end());
        const long median = gaps[gaps.size() / 2];
        if (row.line)
            EXPECT_LT(median, 10000) << "median gap in microseconds";
        else
            EXPECT_GE(median, 15000) << "median gap in microseconds";
    }
}

TEST_F(WindowTest, HangingPortIsGivenUpWithoutReport)
{
    PlugUnit(Tables({2})).addFault(FaultRule{Fault::silence(), {}, {}, {}, -1});
    // Port reads of the silent unit last about half a second each.
    OpenWindow(PortWatchTiming{50, 100});
    wxTEST_DIALOG(GetData(), ExpectMessage(shown));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "Serial port error. Please, close icq or skype and run MORVA_Reporter again");
    EXPECT_EQ(shown[0].style, wxOK | wxICON_ERROR | wxCENTRE);
    ExpectIdle();

    // The abandoned reading says nothing more, and a new one works.
    PlugUnit(Tables({1}));
    shown.clear();
    wxTEST_DIALOG(GetData(), ExpectMessage(shown));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].text.StartsWith("Report successfully generated in file "));
    EXPECT_EQ(reports.files().size(), 1u);
}

TEST_F(WindowTest, UnpluggedUnitEndsTheReadingAndTheNextGetDataWorks)
{
    PlugUnit(Tables({200}));
    OpenWindow();
    const auto getDataAndUnplug = [this] {
        Click(Find<wxButton>(MainFrame::ID_GetData));
        ASSERT_TRUE(PumpUntil([] {
            const wxProgressDialog* dialog = FindProgressDialog();
            return dialog && dialog->GetValue() > 0;
        }));
        unit->unplug();
        EXPECT_TRUE(PumpUntil([this] { return !frame->IsReading(); }, std::chrono::seconds(60)));
    };
    wxTEST_DIALOG(getDataAndUnplug(), ExpectMessage(shown));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].text.StartsWith(ReadError + "\n")) << shown[0].text;
    EXPECT_EQ(shown[0].style, wxOK | wxICON_ERROR | wxCENTRE);
    EXPECT_TRUE(reports.files().empty());
    ExpectIdle();

    // The cable back in: the next reading makes its report.
    PlugUnit(Tables({1}));
    shown.clear();
    wxTEST_DIALOG(GetData(), ExpectMessage(shown));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].text.StartsWith("Report successfully generated in file ")) << shown[0].text;
    EXPECT_EQ(reports.files().size(), 1u);
}

TEST_F(WindowTest, ClosingDuringAReadingEndsItQuietly)
{
    TempDir archiveFolder;
    const wxString archive = archiveFolder.path() + "/archive.sqlite";
    PlugUnit(Tables({200}));
    ports->Write("/archive/path", archive);
    OpenWindow();
    const GTestModalHook noDialogs(__FILE__, __LINE__, "ClosingDuringAReadingEndsItQuietly");
    Click(Find<wxButton>(MainFrame::ID_GetData));
    ASSERT_TRUE(PumpUntil([] {
        const wxProgressDialog* dialog = FindProgressDialog();
        return dialog && dialog->GetValue() > 0;
    }));
    CloseWindow();
    EXPECT_TRUE(reports.files().empty());

    // The window is gone only once the reading has ended: the program's
    // exit never meets its thread, and what it read is kept.
    const std::vector<ReadingSummary> kept = FileArchive(archive, ReadingArchive::Access::Read).List();
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_NE(kept[0].end, ReadingEnd::Interrupted);
    EXPECT_TRUE(kept[0].ended.IsValid());
}

TEST_F(WindowTest, CloseWhileAMessageOfTheReadingIsUpWaitsForIt)
{
    PlugUnit(Tables({1}));
    OpenWindow();
    // A termination signal or a second close arrives while the report's
    // message waits for the operator.
    const auto closeNow = [this] {
        frame->Close(true);
        EXPECT_FALSE(frame->IsBeingDeleted());
    };
    const auto getDataUntilClosed = [this] {
        Click(Find<wxButton>(MainFrame::ID_GetData));
        EXPECT_TRUE(PumpUntil([] { return wxTopLevelWindows.IsEmpty(); }));
        frame = nullptr;
    };
    wxTEST_DIALOG(getDataUntilClosed(), ExpectMessage(shown, wxID_OK, closeNow));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].text.StartsWith("Report successfully generated in file "));
    EXPECT_EQ(settings.serialPort, 1);
}

// --- the archive of readings

namespace {

// Expects the list of kept readings, keeps its rows' first columns in
// `rows` and clicks "Make report" when `make` is set, then closes it.
class ExpectReadings : public wxExpectModalBase<ReadingsDialog, ExpectReadings> {
public:
    ExpectReadings(std::vector<wxString>& rows, bool make)
        : m_rows(&rows)
        , m_make(make)
    {
    }

protected:
    int OnInvoked(ReadingsDialog* dialog) const override
    {
        EXPECT_TRUE(PumpUntil([dialog] { return !dialog->IsWaiting(); }));
        auto* list = dynamic_cast<wxListCtrl*>(dialog->FindWindow(ReadingsDialog::ID_List));
        for (long row = 0; list && row < list->GetItemCount(); ++row)
            m_rows->push_back(list->GetItemText(row, 0) + "|" + list->GetItemText(row, 6));
        if (m_make) {
            Click(dialog->FindWindow(ReadingsDialog::ID_MakeReport));
            EXPECT_TRUE(PumpUntil([dialog] { return !dialog->IsWaiting(); }));
        }
        return wxID_CANCEL;
    }

private:
    std::vector<wxString>* m_rows;
    bool m_make;
};

std::size_t RecordReads(const SimulatedUnit& unit)
{
    std::size_t n = 0;
    for (const auto& request : unit.requests()) {
        if (request.command() == morva_velox::CommandRead && request.variable() == morva_velox::VarRecord)
            ++n;
    }
    return n;
}

} // namespace

TEST_F(WindowTest, ReadingsAreKeptAndMadeIntoReportsAgain)
{
    TempDir archiveFolder;
    SimulatedUnit& sim = PlugUnit(Tables({6, 2}));
    ports->Write("/archive/path", archiveFolder.path() + "/archive.sqlite");
    OpenWindow();
    Find<wxRadioBox>(MainFrame::ID_FormatRadio)->SetSelection(3); // CSV

    // Before the first reading none is kept; the question says so.
    wxTEST_DIALOG(Click(Find<wxButton>(MainFrame::ID_ClearMemory)), ExpectMessage(shown, wxID_NO));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].text.StartsWith("Are you sure you want to clear unit memory? Erased data could not be restored\n"))
        << shown[0].text;
    EXPECT_EQ(shown[0].extended, "No reading from this device is kept.");

    shown.clear();
    wxTEST_DIALOG(GetData(), ExpectMessage(shown));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].text.StartsWith("Report successfully generated in file ")) << shown[0].text;
    const auto readingReport = reports.files("*.csv");
    ASSERT_EQ(readingReport.size(), 1u);

    shown.clear();
    wxTEST_DIALOG(Click(Find<wxButton>(MainFrame::ID_ClearMemory)), ExpectMessage(shown, wxID_NO));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].extended.StartsWith("Last kept reading from " + wxString::FromUTF8(sim.portPath().c_str()) + ": "))
        << shown[0].extended;
    EXPECT_TRUE(shown[0].extended.EndsWith(", 2 tables, 8 records")) << shown[0].extended;

    // "Make report" writes the kept reading's report again: the csv, which
    // carries no time, byte for byte.
    std::vector<wxString> rows;
    shown.clear();
    wxTEST_DIALOG(Click(Find<wxButton>(MainFrame::ID_Readings)), ExpectReadings(rows, true), ExpectMessage(shown));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0], "1|complete");
    ASSERT_EQ(shown.size(), 1u);
    const auto csv = reports.files("*.csv");
    ASSERT_EQ(csv.size(), 2u);
    EXPECT_EQ(ReadText(wxFileName(reports.path(), csv[0]).GetFullPath()),
              ReadText(wxFileName(reports.path(), csv[1]).GetFullPath()));

    // And in a format that carries the time: dated by the reading's end,
    // as the reading's own report was, so named as it was. The two tables'
    // pauses make the reading last over a second: its start would differ.
    Find<wxRadioBox>(MainFrame::ID_FormatRadio)->SetSelection(2); // TXT
    shown.clear();
    wxTEST_DIALOG(Click(Find<wxButton>(MainFrame::ID_Readings)), ExpectReadings(rows, true), ExpectMessage(shown));
    const auto txt = reports.files("*.txt");
    ASSERT_EQ(txt.size(), 1u);
    EXPECT_EQ(txt[0], readingReport[0].BeforeLast('.') + ".txt");
    Find<wxRadioBox>(MainFrame::ID_FormatRadio)->SetSelection(3); // CSV

    // Only new records: nothing new, so the first and last record of each
    // table are read to check them, and the report is the same.
    EXPECT_FALSE(Find<wxCheckBox>(MainFrame::ID_OnlyNew)->IsChecked());
    Find<wxCheckBox>(MainFrame::ID_OnlyNew)->SetValue(true);
    wxCommandEvent tick(wxEVT_CHECKBOX, MainFrame::ID_OnlyNew);
    tick.SetInt(1);
    Find<wxCheckBox>(MainFrame::ID_OnlyNew)->GetEventHandler()->ProcessEvent(tick);
    EXPECT_TRUE(settings.onlyNew);
    EXPECT_TRUE(settings.onlyNewChanged);
    sim.clearRequests();
    shown.clear();
    wxTEST_DIALOG(GetData(), ExpectMessage(shown));
    EXPECT_EQ(RecordReads(sim), 4u);
    const auto after = reports.files("*.csv");
    ASSERT_EQ(after.size(), 3u);
    EXPECT_EQ(ReadText(wxFileName(reports.path(), after[0]).GetFullPath()),
              ReadText(wxFileName(reports.path(), after[2]).GetFullPath()));

    rows.clear();
    wxTEST_DIALOG(Click(Find<wxButton>(MainFrame::ID_Readings)), ExpectReadings(rows, false));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], "2|complete");
}

TEST_F(WindowTest, AnArchiveThatCannotBeWrittenIsToldAfterTheReport)
{
    TempDir archiveFolder;
    ASSERT_TRUE(wxFFile(archiveFolder.path() + "/archive.sqlite", "wb").Write(wxString("not an archive at all")));
    PlugUnit(Tables({2}));
    ports->Write("/archive/path", archiveFolder.path() + "/archive.sqlite");
    OpenWindow();
    wxTEST_DIALOG(GetData(), ExpectMessage(shown), ExpectMessage(shown));
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_TRUE(shown[0].text.StartsWith("Report successfully generated in file ")) << shown[0].text;
    EXPECT_EQ(shown[1].text, "The reading was not kept in the archive: the archive is damaged");
    EXPECT_EQ(shown[1].style, wxOK | wxICON_WARNING | wxCENTRE);
    EXPECT_EQ(reports.files("*.rtf").size(), 1u);
}

// --- the readings of an archive server

namespace {

ReadingFacts StationFacts(const wxString& station)
{
    return ReadingFacts{"COM1", "/dev/ttyUSB0", 9600, "design", "test", station};
}

// Keeps one complete reading of one table in `archive`.
void KeepReading(ReadingArchive& archive, const wxString& station, const wxString& record)
{
    const wxDateTime started(14, wxDateTime::Mar, 2024, 8, 25, 9);
    const std::int64_t id = archive.BeginReading(StationFacts(station), NewReadingUuid(), started);
    archive.EndReading(id, {ArchivedTable{0, "Table 1\tValue", 1, 0, 0}}, {ArchivedRecord{0, 0, record}},
                       ReadingEnd::Complete, wxString(), started + wxTimeSpan::Seconds(5));
}

// The station column of every row the dialog's list shows.
std::vector<wxString> Stations(const ReadingsDialog& dialog)
{
    auto* list = dynamic_cast<wxListCtrl*>(dialog.FindWindow(ReadingsDialog::ID_List));
    std::vector<wxString> stations;
    for (long row = 0; list && row < list->GetItemCount(); ++row)
        stations.push_back(list->GetItemText(row, ReadingRows::Station));
    return stations;
}

// The dialog's status lines.
std::vector<wxString> StatusOf(const ReadingsDialog& dialog)
{
    const wxArrayString lines = wxSplit(dialog.Status(), '\n', '\0');
    return std::vector<wxString>(lines.begin(), lines.end());
}

// Runs `check` on the readings dialog, then closes it.
class WithReadings : public wxExpectModalBase<ReadingsDialog, WithReadings> {
public:
    explicit WithReadings(std::function<void(ReadingsDialog&)> check) : m_check(std::move(check)) {}

protected:
    int OnInvoked(ReadingsDialog* dialog) const override
    {
        m_check(*dialog);
        return wxID_CANCEL;
    }

private:
    std::function<void(ReadingsDialog&)> m_check;
};

} // namespace

// This computer keeps one reading of its own ("here"); the server, a
// throwaway cluster, keeps the lab's.
class ServerReadingsTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        const std::string why = morva_test::PostgresCluster::unavailableReason();
        if (!why.empty())
            GTEST_SKIP() << why;
        cluster = std::make_unique<morva_test::PostgresCluster>();
        server = wxString::FromUTF8(cluster->passwordConnection());
        const wxString file = archiveFolder.path() + "/archive.sqlite";
        {
            // Marked as sent: the window's outbox leaves the server as it is.
            FileArchive here(file, ReadingArchive::Access::Write);
            KeepReading(here, "here", "r0\tfrom here");
            for (const std::int64_t reading : here.Unsent())
                here.MarkSent(reading);
        }
        KeepReading(*OpenArchive(server, ReadingArchive::Access::Write), "lab-2", "r0\tfrom the lab");
        MapCom1("/dev/null");
        ports->Write("/archive/path", file);
        ports->Write("/archive/url", server);
    }

    void TearDown() override
    {
        WindowTest::TearDown();
        locker.reset();
        cluster.reset();
    }

    // Another session holds every table of the archive until Release().
    void Stall()
    {
        locker = std::make_unique<PgConnection>(wxString::FromUTF8(cluster->superuserConnection()));
        locker->Run("BEGIN");
        locker->Run("LOCK TABLE morva_archive, morva_readings, morva_tables, morva_records, morva_ends "
                    "IN ACCESS EXCLUSIVE MODE");
    }
    void Release() { locker.reset(); }

    wxString DescribedServer() const { return DescribeArchive(server); }

    TempDir archiveFolder;
    std::unique_ptr<morva_test::PostgresCluster> cluster;
    wxString server;
    std::unique_ptr<PgConnection> locker;
};

TEST_F(ServerReadingsTest, AWorkingServerShowsItsReadingsInColumnsThatCutNothing)
{
    // Enough readings for several batches.
    cluster->execute("INSERT INTO morva_readings(uuid, station, started, port, device, baud, pace, version) "
                     "SELECT gen_random_uuid(), 'lab-1', 1710000000000 - i::bigint * 60000, 'COM1', "
                     "'/dev/ttyUSB0', 9600, 'design', 'test' FROM generate_series(1, 2500) i");
    OpenWindow();
    Find<wxRadioBox>(MainFrame::ID_FormatRadio)->SetSelection(3); // CSV
    wxTEST_DIALOG(Click(Find<wxButton>(MainFrame::ID_Readings)), WithReadings([&](ReadingsDialog& dialog) {
                      ASSERT_TRUE(PumpUntil([&] { return !dialog.IsWaiting(); }));
                      EXPECT_TRUE(dialog.ShowsServer());
                      EXPECT_EQ(StatusOf(dialog),
                                std::vector<wxString>{"Readings kept on the archive server " + DescribedServer()});
                      auto* list = dynamic_cast<wxListCtrl*>(dialog.FindWindow(ReadingsDialog::ID_List));
                      ASSERT_NE(list, nullptr);
                      EXPECT_TRUE(list->HasFlag(wxLC_VIRTUAL));
                      const std::vector<wxString> stations = Stations(dialog);
                      ASSERT_EQ(stations.size(), 2501u);
                      EXPECT_EQ(stations.front(), "lab-1"); // the last kept first
                      EXPECT_EQ(stations.back(), "lab-2");
                      EXPECT_EQ(std::count(stations.begin(), stations.end(), "here"), 0);
                      // Every heading and every text of the first screen whole.
                      for (int column = 0; column < ReadingRows::ColumnCount; ++column) {
                          const int width = list->GetColumnWidth(column);
                          wxListItem heading;
                          heading.SetMask(wxLIST_MASK_TEXT);
                          list->GetColumn(column, heading);
                          EXPECT_GT(width, list->GetTextExtent(heading.GetText()).x) << heading.GetText();
                          for (long row = 0; row < 20; ++row)
                              EXPECT_GT(width, list->GetTextExtent(list->GetItemText(row, column)).x)
                                  << list->GetItemText(row, column);
                      }
                      // The report of a server's reading, from the server.
                      list->SetItemState(2500, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
                      Click(dialog.FindWindow(ReadingsDialog::ID_MakeReport));
                      EXPECT_TRUE(PumpUntil([&] { return !dialog.IsWaiting(); }));
                  }),
                  ExpectMessage(shown));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].text.StartsWith("Report successfully generated in file ")) << shown[0].text;
    const auto csv = reports.files("*.csv");
    ASSERT_EQ(csv.size(), 1u);
    EXPECT_NE(ReadText(wxFileName(reports.path(), csv[0]).GetFullPath()).Find("from the lab"), wxNOT_FOUND);
}

TEST_F(ServerReadingsTest, AStalledServerLeavesTheDialogUsableAndClosingAtOnce)
{
    Stall();
    OpenWindow();
    Find<wxRadioBox>(MainFrame::ID_FormatRadio)->SetSelection(3); // CSV
    std::chrono::steady_clock::time_point closing;
    wxTEST_DIALOG(Click(Find<wxButton>(MainFrame::ID_Readings)), WithReadings([&](ReadingsDialog& dialog) {
                      // This computer's list, while the server keeps its silence.
                      ASSERT_TRUE(PumpUntil([&] { return Stations(dialog).size() == 1; }));
                      EXPECT_EQ(Stations(dialog)[0], "here");
                      EXPECT_FALSE(dialog.ShowsServer());
                      EXPECT_TRUE(dialog.IsWaiting());
                      EXPECT_EQ(StatusOf(dialog),
                                (std::vector<wxString>{"Readings kept on this computer: " + archiveFolder.path()
                                                           + "/archive.sqlite",
                                                       "Waiting for the archive server " + DescribedServer() + "..."}));
                      // Its report is made meanwhile.
                      Click(dialog.FindWindow(ReadingsDialog::ID_MakeReport));
                      EXPECT_TRUE(PumpUntil([&] { return !reports.files("*.csv").empty(); }));
                      EXPECT_TRUE(dialog.IsWaiting());
                      closing = std::chrono::steady_clock::now();
                  }),
                  ExpectMessage(shown));
    EXPECT_LT(std::chrono::steady_clock::now() - closing, std::chrono::seconds(2));
    const auto csv = reports.files("*.csv");
    ASSERT_EQ(csv.size(), 1u);
    EXPECT_NE(ReadText(wxFileName(reports.path(), csv[0]).GetFullPath()).Find("from here"), wxNOT_FOUND);

    // Nor does the window wait for the server when it closes.
    const auto start = std::chrono::steady_clock::now();
    CloseWindow();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    Release();
}

TEST_F(ServerReadingsTest, AReadingWithTheServerStalledEndsAsWithoutOneAndTheWindowClosesAtOnce)
{
    Stall();
    PlugUnit(Tables({40, 3}));
    OpenWindow();
    Find<wxRadioBox>(MainFrame::ID_FormatRadio)->SetSelection(3); // CSV
    wxTEST_DIALOG(GetData(), ExpectMessage(shown), ExpectMessage(shown).Optional());
    // The report first; then at most that the server has not taken the
    // reading, should its lock outlast the server's patience meanwhile.
    ASSERT_FALSE(shown.empty());
    EXPECT_TRUE(shown[0].text.StartsWith("Report successfully generated in file ")) << shown[0].text;
    if (shown.size() > 1) {
        EXPECT_TRUE(shown[1].text.StartsWith("The reading was kept on this computer; it will be sent to the archive "
                                             "server later: "))
            << shown[1].text;
    }
    EXPECT_EQ(FindProgressDialog(), nullptr);
    ASSERT_EQ(reports.files("*.csv").size(), 1u);

    // The window's close waits for neither the reading nor the server.
    const auto start = std::chrono::steady_clock::now();
    CloseWindow();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    FileArchive here(archiveFolder.path() + "/archive.sqlite", ReadingArchive::Access::Read);
    const std::vector<ReadingSummary> kept = here.List();
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept[0].end, ReadingEnd::Complete);
    EXPECT_EQ(kept[0].recordCount, 43);
    EXPECT_EQ(here.Unsent(), std::vector<std::int64_t>{kept[0].id}) << "kept for the server's return";
    Release();
}

TEST_F(ServerReadingsTest, AStoppedServerIsToldAndThisComputersReadingsStay)
{
    cluster->Stop();
    OpenWindow();
    wxTEST_DIALOG(Click(Find<wxButton>(MainFrame::ID_Readings)), WithReadings([&](ReadingsDialog& dialog) {
                      ASSERT_TRUE(PumpUntil([&] { return !dialog.IsWaiting(); }));
                      EXPECT_FALSE(dialog.ShowsServer());
                      EXPECT_EQ(Stations(dialog), std::vector<wxString>{"here"});
                      const std::vector<wxString> status = StatusOf(dialog);
                      ASSERT_EQ(status.size(), 2u);
                      EXPECT_TRUE(status[1].StartsWith("The archive server " + DescribedServer()
                                                       + " cannot be read; the readings kept on this computer are "
                                                         "shown: the archive server cannot be reached: "))
                          << status[1];
                      EXPECT_EQ(status[1].Find(morva_test::PostgresCluster::Password), wxNOT_FOUND);
                      EXPECT_TRUE(dialog.FindWindow(ReadingsDialog::ID_MakeReport)->IsEnabled());
                  }));
}

// --- Clear unit memory

TEST_F(WindowTest, ClearUnitMemory)
{
    const wxString question
        = "Are you sure you want to clear unit memory? Erased data could not be restored";
    const struct {
        const char* name;
        int answer;
        bool errorAnswer;
        int requests; // -1: one or more
        const char* outcome;
        long style;
    } rows[] = {
        {"No sends nothing", wxID_NO, false, 0, nullptr, 0},
        {"Yes clears", wxID_YES, false, 1, "Unit memory cleaned successfully",
         wxOK | wxCENTRE | wxICON_INFORMATION},
        {"an error answer is a fault", wxID_YES, true, -1,
         "Fault while cleaning unit memory", wxOK | wxCENTRE | wxICON_ERROR},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        SimulatedUnit& sim = PlugUnit(Tables({3}));
        if (row.errorAnswer)
            sim.addFault(FaultRule{Fault::errorAnswer(morva_velox::BusyCannotAnswer), {}, {}, {}, -1});
        OpenWindow();
        shown.clear();
        if (row.outcome) {
            wxTEST_DIALOG(Click(Find<wxButton>(MainFrame::ID_ClearMemory)),
                          ExpectMessage(shown, row.answer), ExpectMessage(shown));
        } else {
            wxTEST_DIALOG(Click(Find<wxButton>(MainFrame::ID_ClearMemory)), ExpectMessage(shown, row.answer));
        }
        ASSERT_EQ(shown.size(), row.outcome ? 2u : 1u);
        // The question names the port as the list shows it.
        EXPECT_EQ(shown[0].text, question + L"\nSerial port: COM1 \u2013 " + wxString::FromUTF8(sim.portPath()));
        EXPECT_EQ(shown[0].text, question + "\nSerial port: " + Find<wxChoice>(MainFrame::ID_PortChoice)->GetStringSelection());
        EXPECT_EQ(shown[0].caption, "MORVA_Reporter");
        EXPECT_EQ(shown[0].style, wxYES_NO | wxICON_QUESTION);
        if (row.outcome) {
            EXPECT_EQ(shown[1].text, row.outcome);
            EXPECT_EQ(shown[1].caption, "MORVA_Reporter");
            EXPECT_EQ(shown[1].style, row.style);
        }
        const auto requests = sim.requests();
        if (row.requests < 0)
            EXPECT_GE(requests.size(), 1u);
        else
            EXPECT_EQ(requests.size(), static_cast<std::size_t>(row.requests));
        EXPECT_EQ(sim.memory().tables().at(0).records.empty(), row.answer == wxID_YES && !row.errorAnswer);
        for (const auto& request : requests) {
            EXPECT_EQ(request.command(), morva_velox::CommandWrite);
            EXPECT_EQ(request.variable(), morva_velox::VarRecordCount);
        }
        CloseWindow();
    }
}

} // namespace

// --- languages

namespace {

struct TranslatedLanguage {
    int language;
    const char* catalogDir;
};

void PrintTo(const TranslatedLanguage& language, std::ostream* out) { *out << language.catalogDir; }

class TranslatedWindowTest : public WindowTest,
                             public ::testing::WithParamInterface<TranslatedLanguage> {
protected:
    // The translation of a text, which the catalogs must have.
    static wxString Translated(const char* text)
    {
        const wxString* translated = wxTranslations::Get()->GetTranslatedString(text, "MORVA_Reporter");
        if (!translated)
            translated = wxTranslations::Get()->GetTranslatedString(text, "morva_velox");
        EXPECT_NE(translated, nullptr) << "no translation of \"" << text << "\"";
        return translated ? *translated : wxString(text);
    }
};

TEST_P(TranslatedWindowTest, LabelsAndMessagesAreTranslated)
{
    const TranslatedLanguage language = GetParam();
    if (!CatalogsBuilt(language.catalogDir))
        GTEST_SKIP() << "the compiled catalogs are not in this build: "
                     << Catalog(language.catalogDir, "MORVA_Reporter");
    wxLocale locale;
    ASSERT_TRUE(SpeakLanguage(locale, language.language));

    MapCom1("/dev/no-such-port");
    OpenWindow();
    for (const auto& label : WindowLabels)
        EXPECT_EQ(Find<wxWindow>(label.id)->GetLabel(), Translated(label.text)) << label.text;
    EXPECT_NE(Find<wxWindow>(MainFrame::ID_GetData)->GetLabel(), "Get data");
    // List entries stay as they are.
    EXPECT_EQ(Find<wxChoice>(MainFrame::ID_PortChoice)->GetString(1), "COM2");
    EXPECT_EQ(Find<wxRadioBox>(MainFrame::ID_FormatRadio)->GetString(0), "RTF");

    // A message of the window's own and one that joins the bus library's
    // error text.
    wxTEST_DIALOG(Click(Find<wxButton>(MainFrame::ID_ClearMemory)), ExpectMessage(shown, wxID_NO));
    wxTEST_DIALOG(GetData(), ExpectMessage(shown));
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text,
              Translated("Are you sure you want to clear unit memory? Erased data could not be restored") + "\n"
                  + wxString::Format(Translated("Serial port: %s"), L"COM1 \u2013 /dev/no-such-port"));
    EXPECT_EQ(shown[0].caption, Translated("MORVA_Reporter"));
    EXPECT_EQ(shown[1].text, Translated("Error while reading! Can't get data!") + "\n"
                                 + Translated("Serial port error") + "\n"
                                 + wxString::Format(Translated("The device %s, which %s stands for, does not exist."),
                                                    "/dev/no-such-port", "COM1"));
    EXPECT_NE(shown[1].text, ReadError + "\nSerial port error");
    // The toolkit's own buttons speak the program's language too.
    EXPECT_EQ(shown[0].yesLabel, Translated("Yes"));
    EXPECT_EQ(shown[0].noLabel, Translated("No"));
    EXPECT_NE(shown[0].yesLabel, "Yes");

    PlugUnit(Tables({3}));
    wxString cancelLabel;
    const auto readAndCancel = [&] {
        Click(Find<wxButton>(MainFrame::ID_GetData));
        ASSERT_TRUE(PumpUntil([] { return FindProgressDialog() != nullptr; }));
        wxWindow* cancel = FindProgressDialog()->FindWindow(wxID_CANCEL);
        ASSERT_NE(cancel, nullptr);
        cancelLabel = cancel->GetLabel();
        Click(cancel);
        EXPECT_TRUE(PumpUntil([this] { return !frame->IsReading(); }));
    };
    wxTEST_DIALOG(readAndCancel(), ExpectMessage(shown));
    EXPECT_EQ(cancelLabel, Translated("Cancel"));
    EXPECT_NE(cancelLabel, "Cancel");
    CloseWindow();
}

INSTANTIATE_TEST_SUITE_P(Languages, TranslatedWindowTest,
                         ::testing::Values(TranslatedLanguage{wxLANGUAGE_RUSSIAN, "ru"},
                                           TranslatedLanguage{wxLANGUAGE_UKRAINIAN, "uk"}),
                         [](const ::testing::TestParamInfo<TranslatedLanguage>& info) {
                             return std::string(info.param.catalogDir);
                         });

// The working directory of the process, changed for as long as it lives.
class WorkingDirectory {
public:
    explicit WorkingDirectory(const wxString& dir)
        : m_old(wxGetCwd())
    {
        EXPECT_TRUE(wxSetWorkingDirectory(dir));
    }
    ~WorkingDirectory() { wxSetWorkingDirectory(m_old); }
    WorkingDirectory(const WorkingDirectory&) = delete;
    WorkingDirectory& operator=(const WorkingDirectory&) = delete;

private:
    wxString m_old;
};

TEST_F(WindowTest, F1OpensTheHelpPageOfTheWindowsLanguage)
{
    // English and Russian pages, none in Ukrainian.
    TempDir pages;
    for (const char* page : {"help/index.htm", "help/ru/index.htm"}) {
        const wxFileName file(pages.path() + "/" + page);
        ASSERT_TRUE(file.Mkdir(wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL));
        ASSERT_TRUE(wxFFile(file.GetFullPath(), "w").Write("<html></html>"));
    }
    const WorkingDirectory inPages(pages.path());
    const struct {
        const char* setting; // Language= of the settings file
        const char* catalogDir;
        const char* page;
    } cases[] = {
        {"russian", "ru", "help/ru/index.htm"},
        {"ukrainian", "uk", "help/index.htm"},
    };
    OpenRecorder opened;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.setting);
        if (!CatalogsBuilt(c.catalogDir))
            GTEST_SKIP() << "the compiled catalogs are not in this build: " << c.catalogDir;
        wxLocale locale;
        ASSERT_TRUE(SpeakLanguage(locale, LanguageTable::FromName(c.setting)));
        OpenWindow();
        wxCommandEvent key(wxEVT_MENU, MainFrame::ID_HelpKey);
        frame->GetEventHandler()->ProcessEvent(key);
        EXPECT_EQ(opened.next(), std::vector<std::string>{(pages.path() + "/" + c.page).utf8_string()});
        CloseWindow();
    }
}

} // namespace
