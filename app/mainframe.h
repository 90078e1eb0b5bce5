#ifndef MORVA_MAINFRAME_H
#define MORVA_MAINFRAME_H

#include "reading/portmap.h"
#include "reading/readinghost.h"
#include "app/settings.h"
#include "archive/archivesettings.h"

#include <wx/arrstr.h>
#include <wx/datetime.h>
#include <wx/frame.h>
#include <wx/timer.h>

#include <cstdint>
#include <future>
#include <memory>
#include <string>
#include <vector>

class ArchiveOutbox;
class GetDataThread;
class wxCheckBox;
class wxChoice;
class wxComboBox;
class wxConfigBase;
class wxProgressDialog;
class wxRadioBox;
class wxTextCtrl;
struct ReadingSession;

namespace morva_velox {
class PortEnumerator;
}

// The window's watch over a hanging port: how often it looks, and how long
// one port read may last before the reading is given up.
struct PortWatchTiming {
    int periodMs = 40000;
    std::uint32_t hangMs = 40000;
};

// The program's only window: port, baud rate, report format and folder,
// and the commands Get data, Clear unit memory, About, Help and Exit.
//
// Everything here runs on the main thread. A reading's thread reaches the
// window only through the ReadingHost calls, which its MainThreadHost
// hands over to the main thread.
class MainFrame : public wxFrame, public ReadingHost {
public:
    // Control and command identifiers.
    enum {
        ID_PortLabel = 0,
        ID_BaudLabel = 1,
        ID_PortChoice = 2,
        ID_BaudChoice = 3,
        ID_FormatRadio = 4,
        ID_FolderBox = 5,
        ID_FolderText = 6,
        ID_Browse = 7,
        ID_OpenReport = 8,
        ID_GetData = 9,
        ID_ClearMemory = 10,
        ID_About = 11,
        ID_Help = 12,
        ID_Exit = 13,
        ID_OnlyNew = 14,
        ID_Readings = 15,
        ID_HelpKey = 100,
        ID_PortWatch = 666
    };

    // Fills the controls from `settings` and fills `settings` again when
    // closed; the reads of the port go in the settings' pace. `config`
    // names the devices of the ports ("/ports"); may be null. `ports`
    // finds the machine's serial ports whenever the port list is opened; it
    // must outlive the window.
    MainFrame(Settings& settings, const wxConfigBase* config, const morva_velox::PortEnumerator& ports,
              const PortWatchTiming& watch = PortWatchTiming());
    ~MainFrame() override;

    // The chosen baud rate; anything but 4800, 9600, 38400, 57600 and
    // 115200 gives 9600.
    int GetBaudRate() const;
    // The chosen port (COM3 and so on) and what to open for it: the device
    // the settings' "/ports" group names for it, else the detected port it
    // stands for (PortMap), as of the last look at the machine's ports.
    ChosenPort GetPort() const;
    // Looks at the machine's ports again and shows each entry of the port
    // list with the device behind it; the selection stays on its entry.
    void RefreshPortList();
    // Opens a finished report with the desktop's default application.
    void OpenReport(const wxString& path) const;
    // True from "Get data" until the reading has ended or was given up.
    bool IsReading() const;

    // The reading thread's calls, carried out on the main thread.
    bool UpdateProgress(int value, const wxString& message) override;
    void ShowMessage(const wxString& text, const wxString& caption, long style,
                     bool parented) override;
    void OnReadingDone(bool ok) override;

private:
    // Marks a stretch in which the window waits for the operator or the
    // toolkit (a message box, the progress dialog's update) and so runs a
    // nested event loop. A close that arrives meanwhile is finished when the
    // outermost such stretch ends, not under the feet of the code that
    // waits.
    class BusyScope {
    public:
        explicit BusyScope(MainFrame& frame);
        ~BusyScope();
        BusyScope(const BusyScope&) = delete;
        BusyScope& operator=(const BusyScope&) = delete;

    private:
        MainFrame& m_frame;
    };

    void CreateControls();
    void LayoutControls();

    void OnHelp(wxCommandEvent& event);
    void OnBrowse(wxCommandEvent& event);
    void OnGetData(wxCommandEvent& event);
    void OnClearMemory(wxCommandEvent& event);
    void OnExitButton(wxCommandEvent& event);
    void OnAbout(wxCommandEvent& event);
    void OnClose(wxCloseEvent& event);
    void OnPortWatch(wxTimerEvent& event);
    void OnPortListOpened(wxCommandEvent& event);
    void OnOnlyNew(wxCommandEvent& event);
    void OnReadings(wxCommandEvent& event);
    void ShowReadError(const wxString& detail);

    // False when the reading thread could not be started.
    bool StartReading();
    void StopReading();
    void ReleaseReading();
    // Ends a running reading at once: its thread reaches the window no more
    // and its port read is woken; the thread then ends on its own.
    void AbandonReading();
    bool PortHangs() const;
    // Writes the report in the format chosen; `reading` is what the
    // workbook tells of the reading.
    void GenerateReport(const wxArrayString& lines, unsigned tableCount, const wxDateTime& now,
                        const ReadingSummary& reading);
    // The archive of readings the settings name; empty when none is kept.
    ArchiveSettings::Places Archives() const;
    void ClearUnitMemory();
    void FinishClose();
    // Waits, for at most ReadingExitWait, until the last reading's thread
    // has let go of its session.
    void WaitForReadingGone() const;
    // Waits, for at most ListingExitWait in all, until the threads of the
    // closed "Readings..." dialogs have ended.
    void WaitForListingsGone() const;

    Settings& m_settings;
    const wxConfigBase* m_config;
    const morva_velox::PortEnumerator& m_ports;
    std::unique_ptr<PortMap> m_portMap;
    const PortWatchTiming m_watchTiming;
    // Feeds the archive server from this computer's archive file; null when
    // no server is named. Shared with the readings, which tell it of what
    // they keep.
    std::shared_ptr<ArchiveOutbox> m_outbox;

    wxComboBox* m_portChoice = nullptr;
    wxChoice* m_baudChoice = nullptr;
    wxRadioBox* m_formatRadio = nullptr;
    wxTextCtrl* m_folderText = nullptr;
    wxCheckBox* m_openReportCheck = nullptr;
    wxCheckBox* m_onlyNewCheck = nullptr;

    // The running reading's thread (detached, deletes itself) and what it
    // shares with the window; null when idle.
    GetDataThread* m_readThread = nullptr;
    std::shared_ptr<ReadingSession> m_session;
    // Ready once the last reading's thread has let go of its session, on its
    // way to deleting itself.
    std::shared_future<void> m_readingGone;
    // The threads of closed "Readings..." dialogs not yet ended.
    std::vector<std::shared_future<void>> m_listingsGone;
    wxTimer m_portWatchTimer;
    std::unique_ptr<wxProgressDialog> m_progressDialog;

    int m_busy = 0;
    bool m_closePending = false;

    wxDECLARE_EVENT_TABLE();
};

#endif
