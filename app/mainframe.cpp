#include "app/mainframe.h"

#include "archive/archiveoutbox.h"
#include "archive/archivesettings.h"
#include "archive/keptreadingnote.h"
#include "archive/readingarchive.h"
#include "app/readingsdialog.h"
#include "reading/clearunitmemory.h"
#include "reading/desktop.h"
#include "reading/getdatathread.h"
#include "reading/portopenfailure.h"
#include "app/readingsession.h"
#include "app/resources.h"
#include "buslib/protocol/exception.h"
#include "buslib/serial/platform.h"
#include "insight/readingreport.h"
#include "report/reportgenerator.h"

#include <wx/accel.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/combobox.h>
#include <wx/dirdlg.h>
#include <wx/filename.h>
#include <wx/intl.h>
#include <wx/msgdlg.h>
#include <wx/progdlg.h>
#include <wx/radiobox.h>
#include <wx/settings.h>
#include <wx/sizer.h>
#include <wx/splash.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include <wx/confbase.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <future>
#include <utility>

using morva_velox::Exception;

namespace {

const int BaudRates[] = {4800, 9600, 38400, 57600, 115200};
const int DefaultBaudRate = 9600;
const int ProgressMaximum = 0xFFFF;

// How long a closing window waits for an abandoned reading's thread to end.
// Aborted, a reading ends within one exchange with the unit.
constexpr std::chrono::seconds ReadingExitWait{10};
// How long a closing window waits, in all, for the threads of closed
// "Readings..." dialogs that still wait for the archive server.
constexpr std::chrono::seconds ListingExitWait{1};
const int Border = 3;
const wchar_t* const TypicalPortLabel = L"COM3 \u2013 FT232R USB UART (/dev/ttyUSB0)";

wxString ProgramName() { return _("MORVA_Reporter"); }
wxString ReadErrorText() { return _("Error while reading! Can't get data!"); }

wxArrayString PortLabels(const PortMap& ports)
{
    wxArrayString labels;
    for (int n = 1; n <= Settings::PortCount; ++n)
        labels.Add(ports.Label(n));
    return labels;
}

// The port did not open: "Serial port error", and the text that also says
// why.
class PortOpenError : public Exception {
public:
    PortOpenError(const char* file, int line, wxString text)
        : Exception(file, line, morva_velox::SerialPortError)
        , m_text(std::move(text))
    {
    }

    const wxString& text() const { return m_text; }

private:
    wxString m_text;
};

wxArrayString BaudRateNames()
{
    wxArrayString names;
    for (int baud : BaudRates)
        names.Add(wxString::Format("%d", baud));
    return names;
}

wxArrayString FormatNames()
{
    wxArrayString names;
    names.Add("RTF");
    names.Add("HTML");
    names.Add("TXT");
    names.Add("CSV");
    // Beyond the design's four: the Excel workbook.
    names.Add("XLSX");
    return names;
}

// The language the window speaks: the locale's when the program's texts
// are translated into it, else none (the texts stay English).
wxString WindowLanguage()
{
    const wxLocale* locale = wxGetLocale();
    if (!locale || !locale->IsLoaded("MORVA_Reporter"))
        return wxString();
    return locale->GetCanonicalName();
}

// A fixed size frame: caption, system menu, minimise and close boxes.
const long FrameStyle = wxCAPTION | wxSYSTEM_MENU | wxMINIMIZE_BOX | wxCLOSE_BOX;

} // namespace

// clang-format off
wxBEGIN_EVENT_TABLE(MainFrame, wxFrame)
    EVT_MENU(MainFrame::ID_HelpKey, MainFrame::OnHelp)
    EVT_BUTTON(MainFrame::ID_Help, MainFrame::OnHelp)
    EVT_BUTTON(MainFrame::ID_Browse, MainFrame::OnBrowse)
    EVT_BUTTON(MainFrame::ID_GetData, MainFrame::OnGetData)
    EVT_BUTTON(MainFrame::ID_ClearMemory, MainFrame::OnClearMemory)
    EVT_BUTTON(MainFrame::ID_Exit, MainFrame::OnExitButton)
    EVT_BUTTON(MainFrame::ID_About, MainFrame::OnAbout)
    EVT_BUTTON(MainFrame::ID_Readings, MainFrame::OnReadings)
    EVT_CHECKBOX(MainFrame::ID_OnlyNew, MainFrame::OnOnlyNew)
    EVT_CLOSE(MainFrame::OnClose)
    EVT_TIMER(MainFrame::ID_PortWatch, MainFrame::OnPortWatch)
    EVT_COMBOBOX_DROPDOWN(MainFrame::ID_PortChoice, MainFrame::OnPortListOpened)
wxEND_EVENT_TABLE()
// clang-format on

MainFrame::BusyScope::BusyScope(MainFrame& frame)
    : m_frame(frame)
{
    ++m_frame.m_busy;
}

MainFrame::BusyScope::~BusyScope()
{
    if (--m_frame.m_busy == 0 && m_frame.m_closePending)
        m_frame.FinishClose();
}

MainFrame::MainFrame(Settings& settings, const wxConfigBase* config,
                     const morva_velox::PortEnumerator& ports, const PortWatchTiming& watch)
    : wxFrame(nullptr, wxID_ANY, ProgramName(), wxDefaultPosition, wxDefaultSize, FrameStyle)
    , m_settings(settings)
    , m_config(config)
    , m_ports(ports)
    , m_portMap(std::make_unique<PortMap>(ports, config))
    , m_watchTiming(watch)
    , m_portWatchTimer(this, ID_PortWatch)
{
    SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE));
    SetIcons(Resources::ProgramIcons());
    CreateControls();
    LayoutControls();

    wxAcceleratorEntry helpKey(wxACCEL_NORMAL, WXK_F1, ID_HelpKey);
    SetAcceleratorTable(wxAcceleratorTable(1, &helpKey));

    CentreOnScreen();
    m_portWatchTimer.Start(m_watchTiming.periodMs);

    // Sends the archive server what it missed before, then each reading as
    // it is kept.
    const ArchiveSettings::Places archives = Archives();
    if (!archives.file.empty() && !archives.server.empty()) {
        m_outbox = std::make_shared<ArchiveOutbox>(archives.file, archives.server);
        m_outbox->Nudge();
    }
}

MainFrame::~MainFrame()
{
    m_portWatchTimer.Stop();
    StopReading();
}

void MainFrame::CreateControls()
{
    const wxColour face = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE);

    auto* portLabel = new wxStaticText(this, ID_PortLabel, _("Serial port: "));
    portLabel->SetBackgroundColour(face);
    // A read-only combo box: a choice that tells when its list opens.
    m_portChoice = new wxComboBox(this, ID_PortChoice, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                                  PortLabels(*m_portMap), wxCB_READONLY);
    m_portChoice->SetSelection(m_settings.PortSelection());
    // Wide enough for a typical adapter's entry, with a character to spare
    // at each end: before the window is shown GTK does not yet know all of
    // the padding its theme puts around the text.
    m_portChoice->SetMinSize(wxSize(
        m_portChoice->GetSizeFromTextSize(m_portChoice->GetTextExtent(TypicalPortLabel)).x
            + 2 * m_portChoice->GetCharWidth(),
        -1));
#ifdef __WXGTK__
    // GTK draws a read-only combo box as an entry beside an arrow, and a
    // click on the entry would only put a caret in it: it opens the list,
    // as the arrow does and as a click anywhere on the baud rate's list.
    m_portChoice->Bind(wxEVT_LEFT_DOWN, [this](wxMouseEvent&) { m_portChoice->Popup(); });
#endif

    auto* baudLabel = new wxStaticText(this, ID_BaudLabel, _("Baud rate: "));
    baudLabel->SetBackgroundColour(face);
    m_baudChoice = new wxChoice(this, ID_BaudChoice, wxDefaultPosition, wxDefaultSize, BaudRateNames());
    m_baudChoice->SetSelection(1);

    m_formatRadio = new wxRadioBox(this, ID_FormatRadio, _("Generate report to"), wxDefaultPosition,
                                   wxDefaultSize, FormatNames(), 0, wxRA_SPECIFY_COLS);
    m_formatRadio->SetSelection(ReportFormatRtf);

    auto* folderBox = new wxStaticBox(this, ID_FolderBox, _("Create report in folder"));
    folderBox->SetBackgroundColour(face);
    m_folderText = new wxTextCtrl(folderBox, ID_FolderText, m_settings.reportFolder);
    new wxButton(folderBox, ID_Browse, _("Browse"));
    m_openReportCheck = new wxCheckBox(folderBox, ID_OpenReport, _("Open report"));
    m_onlyNewCheck = new wxCheckBox(folderBox, ID_OnlyNew, _("Only new records"));
    m_onlyNewCheck->SetValue(m_settings.onlyNew);

    new wxButton(this, ID_GetData, _("Get data"));
    new wxButton(this, ID_About, _("About"));
    new wxButton(this, ID_ClearMemory, _("Clear unit memory"));
    new wxButton(this, ID_Help, _("Help"));
    new wxButton(this, ID_Exit, _("Exit"));
    new wxButton(this, ID_Readings, _("Readings..."));
}

void MainFrame::LayoutControls()
{
    auto* portRow = new wxBoxSizer(wxHORIZONTAL);
    // The labels sit level with the taller choices beside them.
    portRow->Add(FindWindow(ID_PortLabel), 0, wxALIGN_CENTER_VERTICAL | wxALL, Border);
    // Expanded to the row's height, which also centres them vertically.
    portRow->Add(m_portChoice, 1, wxEXPAND | wxALL, Border);
    portRow->AddSpacer(10);
    portRow->Add(FindWindow(ID_BaudLabel), 0, wxALIGN_CENTER_VERTICAL | wxALL, Border);
    portRow->Add(m_baudChoice, 1, wxEXPAND | wxALL, Border);

    auto* folderRow
        = new wxStaticBoxSizer(static_cast<wxStaticBox*>(FindWindow(ID_FolderBox)), wxHORIZONTAL);
    // A margin above and below each, so that the frame of the group never
    // cuts the tallest of them, the button.
    folderRow->Add(m_folderText, 4, wxALIGN_CENTER_VERTICAL | wxALL, Border);
    folderRow->Add(FindWindow(ID_Browse), 1, wxALIGN_CENTER_VERTICAL | wxALL, Border);
    auto* checks = new wxBoxSizer(wxVERTICAL);
    checks->Add(m_openReportCheck, 0, wxALL, Border);
    checks->Add(m_onlyNewCheck, 0, wxALL, Border);
    folderRow->Add(checks, 0, wxALIGN_CENTER_VERTICAL);

    auto* buttons = new wxGridSizer(3, 2, Border, Border);
    const auto addButton = [&](int id) { buttons->Add(FindWindow(id), 1, wxEXPAND | wxALL, Border); };
    addButton(ID_GetData);
    addButton(ID_About);
    addButton(ID_ClearMemory);
    addButton(ID_Help);
    addButton(ID_Readings);
    addButton(ID_Exit);

    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(portRow, 0, wxEXPAND | wxALL, Border);
    column->Add(m_formatRadio, 0, wxEXPAND | wxALL, Border);
    column->Add(folderRow, 0, wxLEFT | wxRIGHT, Border);
    column->Add(buttons, 1, wxEXPAND | wxALL, Border);

    SetSizer(column);
    column->SetSizeHints(this);
    // Not resizable: the smallest size is the only size.
    SetMaxSize(GetSize());
}

int MainFrame::GetBaudRate() const
{
    const wxString text = m_baudChoice->GetStringSelection();
    const long value = std::strtol(text.utf8_str(), nullptr, 10);
    for (int baud : BaudRates) {
        if (value == baud)
            return baud;
    }
    return DefaultBaudRate;
}

ChosenPort MainFrame::GetPort() const
{
    const int selection = m_portChoice->GetSelection();
    if (selection == wxNOT_FOUND)
        return {};
    // The entry's number, not its label, names the port.
    return m_portMap->Resolve(wxString::Format("COM%d", selection + 1));
}

void MainFrame::RefreshPortList()
{
    m_portMap = std::make_unique<PortMap>(m_ports, m_config);
    const int selection = m_portChoice->GetSelection();
    for (int n = 1; n <= Settings::PortCount; ++n) {
        const wxString label = m_portMap->Label(n);
        if (m_portChoice->GetString(n - 1) != label)
            m_portChoice->SetString(n - 1, label);
    }
    m_portChoice->SetSelection(selection);
}

void MainFrame::OnPortListOpened(wxCommandEvent&) { RefreshPortList(); }

void MainFrame::OnOnlyNew(wxCommandEvent&)
{
    m_settings.onlyNew = m_onlyNewCheck->IsChecked();
    m_settings.onlyNewChanged = true;
}

ArchiveSettings::Places MainFrame::Archives() const
{
    return ArchiveSettings::FromConfig(m_config).ForReading();
}

// --- the kept readings

void MainFrame::OnReadings(wxCommandEvent&)
{
    const BusyScope busy(*this);
    const ArchiveSettings settings = ArchiveSettings::FromConfig(m_config);
    ReadingsDialog dialog(this, settings.ForReading(), [this](const ReadingSummary& reading, const ReportLines& lines) {
        wxArrayString text;
        for (const wxString& line : lines)
            text.Add(line);
        GenerateReport(text, reading.tableCount, ReportTime(reading), reading);
    });
    dialog.ShowModal();
    // A server that has not answered yet is left to answer the closed
    // dialog's threads, which then end on their own.
    for (std::shared_future<void>& gone : dialog.Unfinished())
        m_listingsGone.push_back(std::move(gone));
    m_listingsGone.erase(std::remove_if(m_listingsGone.begin(), m_listingsGone.end(),
                                        [](const std::shared_future<void>& gone) {
                                            return gone.wait_for(std::chrono::seconds(0))
                                                == std::future_status::ready;
                                        }),
                         m_listingsGone.end());
}

void MainFrame::OpenReport(const wxString& path) const
{
    wxFileName file(path);
    file.MakeAbsolute();
    OpenWithDefaultApplication(file.GetFullPath());
}

bool MainFrame::IsReading() const { return m_session != nullptr; }

// --- simple commands

void MainFrame::OnHelp(wxCommandEvent&)
{
    OpenWithDefaultApplication(Resources::HelpPage(WindowLanguage()));
}

void MainFrame::OnBrowse(wxCommandEvent&)
{
    const BusyScope busy(*this);
    wxDirDialog dialog(this, _("Choose folder for reports"), m_settings.reportFolder, 0);
    if (dialog.ShowModal() == wxID_OK && !dialog.GetPath().empty())
        m_folderText->SetValue(dialog.GetPath());
}

void MainFrame::OnAbout(wxCommandEvent&)
{
    // The splash window belongs to this window and closes itself on a click
    // or a key.
    new wxSplashScreen(Resources::AboutPicture(), wxSPLASH_CENTRE_ON_SCREEN | wxSPLASH_NO_TIMEOUT, 0,
                       this, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                       wxSIMPLE_BORDER | wxFRAME_NO_TASKBAR | wxSTAY_ON_TOP);
}

void MainFrame::OnExitButton(wxCommandEvent&) { Close(false); }

void MainFrame::OnClose(wxCloseEvent&)
{
    m_settings.SetPortFromSelection(m_portChoice->GetSelection());
    m_settings.reportFolder = m_folderText->GetValue();
    if (m_busy > 0) {
        // Something below waits for a dialog: end the reading now, go once
        // that dialog is closed.
        AbandonReading();
        m_closePending = true;
        return;
    }
    FinishClose();
}

void MainFrame::FinishClose()
{
    m_closePending = false;
    StopReading();
    WaitForReadingGone();
    WaitForListingsGone();
    Destroy();
}

void MainFrame::WaitForReadingGone() const
{
    // The program ends once this window is gone. A reading's thread still on
    // its way out would meet the toolkit's clean-up, and the last records
    // it keeps in the archive would be lost.
    if (m_readingGone.valid())
        m_readingGone.wait_for(ReadingExitWait);
}

void MainFrame::WaitForListingsGone() const
{
    // A thread still reading a list for a closed dialog only drops what it
    // reads; the wait is a courtesy to the server, bounded so that a
    // stalled one never holds the closing window.
    const auto deadline = std::chrono::steady_clock::now() + ListingExitWait;
    for (const std::shared_future<void>& gone : m_listingsGone)
        gone.wait_until(deadline);
}

// --- clearing the unit's memory

void MainFrame::OnClearMemory(wxCommandEvent&)
{
    const BusyScope busy(*this);
    wxMessageDialog question(this, ClearQuestion(GetPort().label), ProgramName(), wxYES_NO | wxICON_QUESTION);
    // The toolkit's own labels follow the system's language, not the program's.
    question.SetYesNoLabels(_("Yes"), _("No"));
    const wxString note = KeptReadingNote(Archives().file, GetPort().deviceNames,
                                          ArchiveSettings::FromConfig(m_config).Station());
    if (!note.empty())
        question.SetExtendedMessage(note);
    if (question.ShowModal() == wxID_YES)
        ClearUnitMemory();
}

void MainFrame::ClearUnitMemory()
{
    const ClearOutcome outcome = [this] {
        const wxBusyCursor busy;
        return ::ClearUnitMemory(GetPort(), GetBaudRate(), {}, m_settings.pace);
    }();
    wxMessageBox(outcome.message, ProgramName(), outcome.style, this);
}

// --- reading

void MainFrame::OnGetData(wxCommandEvent&)
{
    const BusyScope busy(*this);
    StopReading();
    // The port opened is the one the list shows: it is looked at again only
    // when the operator opens it, since a port plugged in meanwhile may
    // move the others to other numbers.
    try {
        if (!StartReading())
            ShowReadError(wxString());
    } catch (const PortOpenError& e) {
        ShowReadError(e.text());
    } catch (const Exception& e) {
        ShowReadError(e.message());
    }
}

void MainFrame::ShowReadError(const wxString& detail)
{
    const wxString text = detail.empty() ? ReadErrorText() : ReadErrorText() + "\n" + detail;
    wxMessageBox(text, ProgramName(), wxOK | wxICON_ERROR | wxCENTRE, this);
}

bool MainFrame::StartReading()
{
    const ChosenPort port = GetPort();
    const ReadingFacts facts{port.name, wxString::FromUTF8(port.device.c_str()), GetBaudRate(),
                             morva_velox::paceName(m_settings.pace), MORVA_VERSION,
                             ArchiveSettings::FromConfig(m_config).Station()};
    auto session = std::make_shared<ReadingSession>(port.device, GetBaudRate(), m_settings.pace, *this,
                                                    Archives(), facts, m_outbox);
    if (!session->protocol.isOpen())
        throw PortOpenError(__FILE__, __LINE__, SerialPortErrorText(port, session->protocol, GetBaudRate()));

    // Detached: it deletes itself once it has run. Until then it is ours.
    // It lets go of the session as it deletes itself, when the toolkit
    // already counts it among the threads whose end the program's exit
    // waits for.
    auto gone = std::make_shared<std::promise<void>>();
    std::shared_ptr<const void> owner(session.get(), [session, gone](const void*) mutable {
        session.reset();
        gone->set_value();
    });
    auto thread = std::make_unique<GetDataThread>(session->host, session->protocol, std::move(owner),
                                                  &session->recorder, m_onlyNewCheck->IsChecked());
    m_readingGone = gone->get_future().share();
    if (thread->Create() != wxTHREAD_NO_ERROR)
        return false;

    m_session = session;
    m_progressDialog = std::make_unique<wxProgressDialog>(
        _("Reading unit data"), _("Detecting nonvolatile memory record count..."), ProgressMaximum,
        nullptr,
        wxPD_CAN_ABORT | wxPD_APP_MODAL | wxPD_ELAPSED_TIME | wxPD_ESTIMATED_TIME
            | wxPD_REMAINING_TIME);
    // The toolkit's own label follows the system's language, not the
    // program's. GTK shows a label equal to the toolkit's translation of its
    // stock label as its own stock label, in GTK's language; as markup the
    // label is shown as it stands.
    if (auto* cancel = dynamic_cast<wxButton*>(m_progressDialog->FindWindow(wxID_CANCEL))) {
#ifdef __WXGTK__
        wxString markup = _("Cancel");
        markup.Replace("&", "&amp;");
        markup.Replace("<", "&lt;");
        markup.Replace(">", "&gt;");
        cancel->SetLabelMarkup(markup);
#else
        cancel->SetLabel(_("Cancel"));
#endif
    }
    if (thread->Run() != wxTHREAD_NO_ERROR) {
        ReleaseReading();
        return false;
    }
    m_readThread = thread.release();
    return true;
}

bool MainFrame::UpdateProgress(int value, const wxString& message)
{
    const BusyScope busy(*this);
    return m_progressDialog && m_progressDialog->Update(value, message);
}

void MainFrame::ShowMessage(const wxString& text, const wxString& caption, long style, bool parented)
{
    const BusyScope busy(*this);
    wxMessageBox(text, caption, style, parented ? this : nullptr);
}

void MainFrame::OnReadingDone(bool ok)
{
    const BusyScope busy(*this);
    // The thread waits for this call to return, so it is still there. The
    // reading has closed its port already.
    // Dated as the archive keeps the reading's end, so that its export is
    // this very report.
    const wxDateTime ended = m_session ? m_session->recorder.Ended() : wxDateTime();
    if (ok && m_readThread) {
        ReadingSummary reading;
        if (m_session) {
            reading.facts = m_session->facts;
            reading.started = m_session->started;
        }
        reading.ended = ended.IsValid() ? ended : wxDateTime::Now();
        reading.end = ReadingEnd::Complete;
        GenerateReport(m_readThread->GetReportLines(), m_readThread->GetTableCount(), reading.ended, reading);
    }
    const wxString warning = m_session ? m_session->recorder.Warning() : wxString();
    if (!warning.empty())
        wxMessageBox(warning, ProgramName(), wxOK | wxICON_WARNING | wxCENTRE, this);
    ReleaseReading();
}

void MainFrame::GenerateReport(const wxArrayString& lines, unsigned tableCount, const wxDateTime& now,
                               const ReadingSummary& reading)
{
    const ReportOutcome outcome
        = ReadingReport::Make(ReportLines(lines.begin(), lines.end()), tableCount,
                              m_formatRadio->GetSelection(), m_folderText->GetValue(), now, reading);
    if (!outcome.ok) {
        wxMessageBox(outcome.message, ProgramName(), wxOK | wxICON_ERROR, this);
        return;
    }
    wxMessageBox(outcome.message, ProgramName(), wxOK | wxCENTRE | wxICON_INFORMATION, nullptr);
    if (m_openReportCheck->IsChecked())
        OpenReport(outcome.fileName);
}

void MainFrame::ReleaseReading()
{
    if (m_session)
        m_session->host.Detach();
    m_readThread = nullptr;
    m_session.reset();
    m_progressDialog.reset();
}

void MainFrame::AbandonReading()
{
    if (!m_session)
        return;
    m_session->host.Detach();
    m_session->protocol.abort();
}

void MainFrame::StopReading()
{
    AbandonReading();
    ReleaseReading();
}

bool MainFrame::PortHangs() const
{
    if (!m_session || !m_session->host.IsAttached() || !m_session->protocol.isReading())
        return false;
    const std::uint32_t since = morva_velox::platform::tickCount() - m_session->protocol.readStartTick();
    return since > m_watchTiming.hangMs;
}

void MainFrame::OnPortWatch(wxTimerEvent&)
{
    if (!PortHangs())
        return;
    const BusyScope busy(*this);
    // Cut the thread off first: nothing it still does can reach the window,
    // so no report comes of this reading, whatever happens while the
    // message is up.
    AbandonReading();
    wxMessageBox(_("Serial port error. Please, close icq or skype and run MORVA_Reporter again"),
                 ProgramName(), wxOK | wxICON_ERROR | wxCENTRE, this);
    ReleaseReading();
}
