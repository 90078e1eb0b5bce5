#include "app/readingsdialog.h"

#include "insight/readingpart.h"

#include "app/chartpanel.h"
#include "app/readingsfilterbar.h"
#include "app/readingslist.h"
#include "app/tablepage.h"
#include "archive/archiveloader.h"
#include "archive/readingarchive.h"
#include "insight/keptrecordtable.h"
#include "insight/typedtable.h"

#include <wx/button.h>
#include <wx/intl.h>
#include <wx/msgdlg.h>
#include <wx/notebook.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/splitter.h>
#include <wx/stattext.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <optional>

ReadingsDialog::ReadingsDialog(wxWindow* parent, const ArchiveSettings::Places& places, MakeReport makeReport)
    : wxDialog(parent, wxID_ANY, _("Kept readings"), wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER)
    , m_makeReport(std::move(makeReport))
{
    m_file.place = places.file;
    m_server.place = places.server;

    m_status = new wxStaticText(this, ID_Status, wxString());
    // The list above, the chosen reading's tables below.
    auto* split = new wxSplitterWindow(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxSP_LIVE_UPDATE | wxSP_3D);
    auto* top = new wxPanel(split);
    m_filter = new ReadingsFilterBar(top, ID_Filter);
    m_list = new ReadingsList(top, ID_List);
    auto* bottom = new wxPanel(split);
    m_tablesStatus = new wxStaticText(bottom, ID_TablesStatus, wxString());
    m_tables = new wxNotebook(bottom, ID_Tables);
    m_tables->SetName(_("Tables of the reading"));
    auto* tablesColumn = new wxBoxSizer(wxVERTICAL);
    tablesColumn->Add(m_tablesStatus, 0, wxEXPAND | wxBOTTOM, 2);
    tablesColumn->Add(m_tables, 1, wxEXPAND);
    bottom->SetSizer(tablesColumn);
    auto* listColumn = new wxBoxSizer(wxVERTICAL);
    listColumn->Add(m_filter, 0, wxEXPAND | wxBOTTOM, 4);
    listColumn->Add(m_list, 1, wxEXPAND);
    top->SetSizer(listColumn);
    split->SetMinimumPaneSize(FromDIP(120));
    split->SetSashGravity(0.0);
    split->SplitHorizontally(top, bottom, FromDIP(200));
    auto* make = new wxButton(this, ID_MakeReport, _("Make report"));
    auto* close = new wxButton(this, wxID_CANCEL, _("Close"));
    make->Enable(false);
    SetEscapeId(wxID_CANCEL);

    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->AddStretchSpacer();
    buttons->Add(make, 0, wxALL, 3);
    buttons->Add(close, 0, wxALL, 3);
    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(m_status, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, 6);
    column->Add(split, 1, wxEXPAND | wxALL, 6);
    column->Add(buttons, 0, wxEXPAND | wxALL, 3);
    SetSizer(column);

    Bind(wxEVT_BUTTON, &ReadingsDialog::OnMakeReport, this, ID_MakeReport);
    m_list->Bind(wxEVT_LIST_ITEM_SELECTED, &ReadingsDialog::OnSelectionChanged, this);
    m_list->Bind(wxEVT_LIST_ITEM_DESELECTED, &ReadingsDialog::OnSelectionChanged, this);
    Bind(wxEVT_CHOICE, &ReadingsDialog::OnFilter, this, ID_Filter);

    m_list->ShowRows(&m_file.rows);
    Load(m_file);
    if (!m_server.place.empty())
        Load(m_server);
    UpdateStatus();
    SetSize(FromDIP(wxSize(1100, 760)));
    SetMinSize(FromDIP(wxSize(640, 480)));
    CentreOnParent();
}

ReadingsDialog::~ReadingsDialog()
{
    // Before anything else goes: no loader hands this dialog anything more.
    m_tablesLoader.reset();
    m_linesLoader.reset();
    m_server.loader.reset();
    m_file.loader.reset();
}

bool ReadingsDialog::IsWaiting() const
{
    return m_linesLoader || m_tablesLoader || !m_file.done || (!m_server.place.empty() && !m_server.done);
}

void ReadingsDialog::Retire(std::unique_ptr<ArchiveLoader>& loader)
{
    if (!loader)
        return;
    m_retired.push_back(loader->Gone());
    loader.reset();
    m_retired.erase(std::remove_if(m_retired.begin(), m_retired.end(),
                                   [](const std::shared_future<void>& gone) {
                                       return gone.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
                                   }),
                    m_retired.end());
}

std::vector<std::shared_future<void>> ReadingsDialog::Unfinished() const
{
    std::vector<std::shared_future<void>> unfinished = m_retired;
    for (const ArchiveLoader* loader : {m_file.loader.get(), m_server.loader.get(), m_linesLoader.get(), m_tablesLoader.get()}) {
        if (loader)
            unfinished.push_back(loader->Gone());
    }
    return unfinished;
}

void ReadingsDialog::Load(Source& source)
{
    // The loader's handlers run on its thread: they only queue the rows
    // for this dialog's thread, and run no more once the loader is gone.
    Retire(source.loader);
    source.loader = ArchiveLoader::List(
        source.place,
        [this, &source](std::vector<ReadingSummary>&& rows) {
            CallAfter([this, &source, batch = std::make_shared<std::vector<ReadingSummary>>(std::move(rows))] {
                OnRows(source, *batch);
            });
        },
        [this, &source](const wxString& failure) {
            CallAfter([this, &source, failure = wxString(failure.wc_str())] { OnListed(source, failure); });
        });
}

void ReadingsDialog::OnRows(Source& source, const std::vector<ReadingSummary>& rows)
{
    for (const ReadingSummary& reading : rows)
        source.rows.Add(reading);
    if (m_shown == &source) {
        for (const ReadingSummary& reading : rows)
            m_filter->Offer(reading);
    }
    if (&source == &m_server && m_shown != &m_server) {
        ShowSource(m_server);
        return;
    }
    if (m_shown == &source) {
        m_list->Grew(); // and selects the first line, when none is
        FollowSelection();
    }
}

void ReadingsDialog::OnListed(Source& source, const wxString& failure)
{
    source.done = true;
    source.failure = failure;
    // The server's list, once read, is the one shown, even when empty.
    if (&source == &m_server && failure.empty() && m_shown != &m_server)
        ShowSource(m_server);
    UpdateStatus();
}

void ReadingsDialog::ShowSource(Source& source)
{
    m_shown = &source;
    m_filter->Forget();
    for (std::size_t row = 0; row < source.rows.Count(); ++row)
        m_filter->Offer(source.rows.Summary(row));
    m_list->ShowRows(&source.rows, m_filter->Filter());
    UpdateStatus();
    FollowSelection();
}

void ReadingsDialog::UpdateStatus()
{
    wxString text;
    const auto failed = [](const Source& source) {
        return CannotReadArchive(source.place, source.failure);
    };
    if (m_shown == &m_server) {
        text = m_server.failure.empty()
            ? wxString::Format(_("Readings kept on the archive server %s"), DescribeArchive(m_server.place))
            : failed(m_server);
    } else {
        text = m_file.failure.empty()
            ? wxString::Format(_("Readings kept on this computer: %s"), DescribeArchive(m_file.place))
            : failed(m_file);
        if (!m_server.place.empty() && !m_server.done)
            text += "\n" + wxString::Format(_("Waiting for the archive server %s..."), DescribeArchive(m_server.place));
        else if (!m_server.failure.empty())
            text += "\n"
                + wxString::Format(
                        _("The archive server %s cannot be read; the readings kept on this computer are shown: %s"),
                        DescribeArchive(m_server.place), m_server.failure);
    }
    if (m_linesLoader)
        text += "\n" + _("Reading the chosen reading's records...");
    else if (!m_linesFailure.empty())
        text += "\n" + m_linesFailure;

    if (text != m_statusText) {
        m_statusText = text;
        m_status->SetLabel(text);
        m_status->Wrap(m_list->GetSize().x);
        Layout();
    }
}

void ReadingsDialog::UpdateButton()
{
    FindWindow(ID_MakeReport)->Enable(!m_linesLoader && m_list->SelectedRow().has_value());
}

void ReadingsDialog::OnSelectionChanged(wxListEvent&) { FollowSelection(); }

void ReadingsDialog::OnFilter(wxCommandEvent&)
{
    m_list->Filter(m_filter->Filter());
    FollowSelection();
}

void ReadingsDialog::FollowSelection()
{
    UpdateButton();
    const std::optional<std::size_t> row = m_list->SelectedRow();
    if (!row || *row >= m_shown->rows.Count())
        return;
    const ReadingSummary reading = m_shown->rows.Summary(*row);
    if (m_tablesFrom == m_shown && m_tablesOf == reading.id)
        return;
    LoadTables(reading);
}

void ReadingsDialog::LoadTables(const ReadingSummary& reading)
{
    m_tablesFrom = m_shown;
    m_tablesOf = reading.id;
    const unsigned request = ++m_tablesRequest;
    m_tables->DeleteAllPages();
    const wxString place = m_shown->place;
    const std::int64_t id = reading.id;
    // A loader replaced hands nothing more; only the newest one's tables
    // reach the pages.
    Retire(m_tablesLoader);
    m_tablesLoader = ArchiveLoader::Read<std::vector<TypedTable>>(
        place,
        [id](const ReadingArchive& archive) {
            std::vector<TypedTable> tables;
            for (RecordTable& table : KeptRecordTable::LoadAll(archive, id))
                tables.emplace_back(std::move(table));
            return tables;
        },
        [this, request](std::vector<TypedTable>&& tables) {
            CallAfter([this, request, read = std::make_shared<std::vector<TypedTable>>(std::move(tables))] {
                if (m_tablesRequest == request)
                    OnTables(*read);
            });
        },
        [this, place, request](const wxString& failure) {
            if (!failure.empty())
                CallAfter([this, place, request, failure = wxString(failure.wc_str())] {
                    if (m_tablesRequest == request)
                        OnTablesFailed(place, failure);
                });
        });
    m_tablesStatus->SetLabel(wxString::Format(_("Reading the tables of reading %lld..."), static_cast<long long>(id)));
}

void ReadingsDialog::OnTables(std::vector<TypedTable>& tables)
{
    Retire(m_tablesLoader);
    m_tables->Freeze();
    // Named by their place in the reading, counted from 1 as the reports
    // count them.
    for (TypedTable& table : tables) {
        const auto number = static_cast<unsigned>(m_tables->GetPageCount() + 1);
        m_tables->AddPage(new TablePage(m_tables, std::move(table)), wxString::Format(_("Table %u"), number));
    }
    m_tables->Thaw();
    m_tablesStatus->SetLabel(tables.empty() ? _("The reading has no tables.") : wxString());
}

void ReadingsDialog::OnTablesFailed(const wxString& place, const wxString& failure)
{
    Retire(m_tablesLoader);
    m_tablesStatus->SetLabel(CannotReadArchive(place, failure));
}

void ReadingsDialog::OnMakeReport(wxCommandEvent&)
{
    const std::optional<std::size_t> row = m_list->SelectedRow();
    if (m_linesLoader || !row || *row >= m_shown->rows.Count())
        return;
    const ReadingSummary reading = m_shown->rows.Summary(*row);
    m_linesFailure.clear();
    const wxString place = m_shown->place;
    Retire(m_linesLoader);
    m_linesLoader = ArchiveLoader::ReadLines(
        place, reading.id,
        [this, reading](ReportLines&& lines) {
            CallAfter([this, reading, read = std::make_shared<ReportLines>(std::move(lines))] {
                OnLines(reading, *read);
            });
        },
        [this, place](const wxString& failure) {
            if (!failure.empty())
                CallAfter([this, place, failure = wxString(failure.wc_str())] { OnLinesFailed(place, failure); });
        });
    UpdateStatus();
    UpdateButton();
}

void ReadingsDialog::OnLines(const ReadingSummary& reading, const ReportLines& lines)
{
    Retire(m_linesLoader);
    UpdateStatus();
    UpdateButton();
    const std::optional<ReadingPart> part = ShownPart(reading.id);
    if (!part) {
        m_makeReport(reading, lines);
        return;
    }
    // The chart zoomed to a time range: the report is of what it shows.
    std::size_t records = 0;
    const ReportLines shown = part->Select(lines, records);
    if (records == 0) {
        wxMessageBox(_("The part of the reading chosen holds no records: no report was written."), GetTitle(),
                     wxOK | wxICON_INFORMATION, this);
        return;
    }
    ReadingSummary ofPart = reading;
    ofPart.tableCount = 1;
    m_makeReport(ofPart, shown);
}

std::optional<ReadingPart> ReadingsDialog::ShownPart(std::int64_t reading) const
{
    const int page = m_tables->GetSelection();
    if (m_tablesOf != reading || page == wxNOT_FOUND)
        return std::nullopt;
    const auto* table = dynamic_cast<const TablePage*>(m_tables->GetPage(static_cast<std::size_t>(page)));
    if (!table || !table->Chart().IsZoomed())
        return std::nullopt;
    ReadingPart part;
    part.table = static_cast<unsigned>(page) + 1;
    part.since = table->Choice().from;
    part.until = table->Choice().to;
    return part;
}

void ReadingsDialog::OnLinesFailed(const wxString& place, const wxString& failure)
{
    Retire(m_linesLoader);
    m_linesFailure = CannotReadArchive(place, failure);
    UpdateStatus();
    UpdateButton();
}
