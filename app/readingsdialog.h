#ifndef MORVA_READINGSDIALOG_H
#define MORVA_READINGSDIALOG_H

#include "archive/archivesettings.h"
#include "archive/readingrows.h"
#include "insight/readingpart.h"
#include "report/reportformater.h"

#include <wx/dialog.h>

#include <cstdint>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <vector>

class ArchiveLoader;
class ReadingsFilterBar;
class ReadingsList;
class TypedTable;
class wxListEvent;
class wxNotebook;
class wxStaticText;

// The kept readings, newest first (or sorted and filtered as the operator
// asks), with "Make report" for the one chosen and "Close", and below them
// the chosen reading's tables, a page each, to look at. This computer's archive is listed at once; an archive server,
// when there is one, takes its place once it answers, or the dialog says why
// it does not. Every archive is read on a thread of its own, so the dialog
// stays usable while a server is slow or stalled, and closes at once.
class ReadingsDialog : public wxDialog {
public:
    enum { ID_List = 1, ID_MakeReport = 2, ID_Status = 3, ID_Filter = 4, ID_Tables = 5, ID_TablesStatus = 6 };

    // Writes the report of `reading`, read as `lines`; on the window's thread.
    using MakeReport = std::function<void(const ReadingSummary& reading, const ReportLines& lines)>;

    // Lists `places.file` and, when set, `places.server`.
    ReadingsDialog(wxWindow* parent, const ArchiveSettings::Places& places, MakeReport makeReport);
    ~ReadingsDialog() override;

    // Whether a list, the lines of a reading or its tables are still being
    // read.
    bool IsWaiting() const;
    // Whether the readings shown are the server's.
    bool ShowsServer() const { return m_shown == &m_server; }
    // What the dialog says above the list, a line for each thing it tells,
    // before the lines are wrapped to the list's width.
    const wxString& Status() const { return m_statusText; }
    // The threads still reading for this dialog, or ending after it let go
    // of them, which it leaves to end on their own when it closes.
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
    // Lets go of a loader: none of its handlers runs again, and its thread,
    // which may still be ending, counts among the unfinished.
    void Retire(std::unique_ptr<ArchiveLoader>& loader);
    void OnRows(Source& source, const std::vector<ReadingSummary>& rows);
    void OnListed(Source& source, const wxString& failure);
    void ShowSource(Source& source);
    void OnMakeReport(wxCommandEvent& event);
    void OnLines(const ReadingSummary& reading, const ReportLines& lines);
    // The part of `reading` its chosen table's chart shows when zoomed to
    // a time range; none for the whole reading.
    std::optional<ReadingPart> ShownPart(std::int64_t reading) const;
    void OnLinesFailed(const wxString& place, const wxString& failure);
    void OnSelectionChanged(wxListEvent& event);
    void OnFilter(wxCommandEvent& event);
    // The list's selection may have changed: the button and the tables follow.
    void FollowSelection();
    void LoadTables(const ReadingSummary& reading);
    void OnTables(std::vector<TypedTable>& tables);
    void OnTablesFailed(const wxString& place, const wxString& failure);
    void UpdateStatus();
    void UpdateButton();

    MakeReport m_makeReport;
    Source m_file;
    Source m_server;
    Source* m_shown = &m_file;
    // Reads the lines of the reading whose report is to be made.
    std::unique_ptr<ArchiveLoader> m_linesLoader;
    wxString m_linesFailure;
    // Reads the tables of the reading chosen, which the pages show.
    std::unique_ptr<ArchiveLoader> m_tablesLoader;
    std::vector<std::shared_future<void>> m_retired;
    std::int64_t m_tablesOf = 0;
    const Source* m_tablesFrom = nullptr;
    unsigned m_tablesRequest = 0;
    wxStaticText* m_tablesStatus = nullptr;
    wxNotebook* m_tables = nullptr;
    wxString m_statusText;
    wxStaticText* m_status = nullptr;
    ReadingsFilterBar* m_filter = nullptr;
    ReadingsList* m_list = nullptr;
};

#endif
