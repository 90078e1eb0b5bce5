#ifndef MORVA_READINGSDIALOG_H
#define MORVA_READINGSDIALOG_H

#include "archive/archivesettings.h"
#include "archive/readingrows.h"
#include "report/reportformater.h"

#include <wx/dialog.h>

#include <functional>
#include <future>
#include <memory>
#include <vector>

class ArchiveLoader;
class ReadingsFilterBar;
class ReadingsList;
class wxListEvent;
class wxStaticText;

// The kept readings, newest first, with "Make report" for the one chosen
// and "Close". This computer's archive is listed at once; an archive server,
// when there is one, takes its place once it answers, or the dialog says why
// it does not. Every archive is read on a thread of its own, so the dialog
// stays usable while a server is slow or stalled, and closes at once.
class ReadingsDialog : public wxDialog {
public:
    enum { ID_List = 1, ID_MakeReport = 2, ID_Status = 3, ID_Filter = 4 };

    // Writes the report of `reading`, read as `lines`; on the window's thread.
    using MakeReport = std::function<void(const ReadingSummary& reading, const ReportLines& lines)>;

    // Lists `places.file` and, when set, `places.server`.
    ReadingsDialog(wxWindow* parent, const ArchiveSettings::Places& places, MakeReport makeReport);
    ~ReadingsDialog() override;

    // Whether a list, or the lines of a reading, is still being read.
    bool IsWaiting() const;
    // Whether the readings shown are the server's.
    bool ShowsServer() const { return m_shown == &m_server; }
    // What the dialog says above the list, a line for each thing it tells,
    // before the lines are wrapped to the list's width.
    const wxString& Status() const { return m_statusText; }
    // The threads still reading for this dialog, which leaves them to end
    // on their own when it closes.
    std::vector<std::shared_future<void>> Unfinished() const;

private:
    // One archive listed: its rows as they arrive, and how its list ended.
    struct Source {
        wxString place;
        ReadingRows rows;
        std::unique_ptr<ArchiveLoader> loader;
        bool done = false;
        wxString failure;
    };

    void Load(Source& source);
    void OnRows(Source& source, const std::vector<ReadingSummary>& rows);
    void OnListed(Source& source, const wxString& failure);
    void ShowSource(Source& source);
    void OnMakeReport(wxCommandEvent& event);
    void OnLines(const ReadingSummary& reading, const ReportLines& lines);
    void OnLinesFailed(const wxString& place, const wxString& failure);
    void OnSelectionChanged(wxListEvent& event);
    void OnFilter(wxCommandEvent& event);
    void UpdateStatus();
    void UpdateButton();

    MakeReport m_makeReport;
    Source m_file;
    Source m_server;
    Source* m_shown = &m_file;
    // Reads the lines of the reading whose report is to be made.
    std::unique_ptr<ArchiveLoader> m_linesLoader;
    wxString m_linesFailure;
    wxString m_statusText;
    wxStaticText* m_status = nullptr;
    ReadingsFilterBar* m_filter = nullptr;
    ReadingsList* m_list = nullptr;
};

#endif
