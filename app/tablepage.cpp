#include "app/tablepage.h"

#include "app/chartfile.h"
#include "app/chartpanel.h"
#include "app/figureslist.h"
#include "app/recordgrid.h"
#include "insight/cellparsing.h"
#include "insight/columnfigures.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/intl.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <stdexcept>

namespace {

// A limit as the operator types it, with a decimal point or comma; none
// when the field is empty or holds no number.
std::optional<double> Limit(const wxTextCtrl& field)
{
    const std::optional<CellNumber> number = ParseNumber(field.GetValue().Strip(wxString::both).utf8_string());
    if (!number)
        return std::nullopt;
    return number->value;
}

} // namespace

TablePage::TablePage(wxWindow* parent, TypedTable table)
    : wxPanel(parent, wxID_ANY)
    , m_table(std::move(table))
{
    m_choice.column = m_table.FirstMeasured().value_or(0);
    m_choice.by = m_table.FirstSeries();

    // Each control follows its label: the keyboard reaches them in that
    // order, and a screen reader names each by its label.
    auto* columnLabel = new wxStaticText(this, wxID_ANY, _("Column:"));
    m_column = new wxChoice(this, ID_Column);
    m_column->SetName(_("Column:"));
    auto* kindLabel = new wxStaticText(this, wxID_ANY, _("Holds:"));
    m_kind = new wxChoice(this, ID_Kind);
    m_kind->SetName(_("Holds:"));
    auto* byLabel = new wxStaticText(this, wxID_ANY, _("Series:"));
    m_by = new wxChoice(this, ID_By);
    m_by->SetName(_("Series:"));
    auto* lowerLabel = new wxStaticText(this, wxID_ANY, _("Lower limit:"));
    m_lower = new wxTextCtrl(this, ID_Lower, wxString(), wxDefaultPosition, wxSize(FromDIP(70), -1));
    m_lower->SetName(_("Lower limit:"));
    auto* upperLabel = new wxStaticText(this, wxID_ANY, _("Upper limit:"));
    m_upper = new wxTextCtrl(this, ID_Upper, wxString(), wxDefaultPosition, wxSize(FromDIP(70), -1));
    m_upper->SetName(_("Upper limit:"));

    m_grid = new RecordGrid(this, ID_Grid, m_table,
                            [this](std::size_t column, ColumnKind kind) { SetKind(column, kind); });
    m_chart = new ChartPanel(
        this, ID_Chart, [this](const wxString& text) { Tell(text); }, [this] { ShowFigures(); });
    m_status = new wxStaticText(this, ID_ChartStatus, wxString(), wxDefaultPosition, wxDefaultSize,
                                wxST_NO_AUTORESIZE | wxST_ELLIPSIZE_END);
    m_status->SetName(_("Under the pointer"));
    auto* zoomOut = new wxButton(this, ID_ZoomOut, _("Zoom out"));
    auto* save = new wxButton(this, ID_SaveChart, _("Save chart..."));
    m_figures = new FiguresList(this, ID_Figures);

    auto* choices = new wxBoxSizer(wxHORIZONTAL);
    for (wxWindow* control : std::initializer_list<wxWindow*>{columnLabel, m_column, kindLabel, m_kind, byLabel, m_by,
                                                               lowerLabel, m_lower, upperLabel, m_upper}) {
        const bool label = dynamic_cast<wxStaticText*>(control) != nullptr;
        choices->Add(control, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, FromDIP(label ? 4 : 12));
    }
    auto* chartButtons = new wxBoxSizer(wxHORIZONTAL);
    chartButtons->Add(m_status, 1, wxALIGN_CENTER_VERTICAL | wxRIGHT, FromDIP(6));
    chartButtons->Add(zoomOut, 0, wxRIGHT, FromDIP(4));
    chartButtons->Add(save, 0);
    auto* right = new wxBoxSizer(wxVERTICAL);
    right->Add(m_chart, 1, wxEXPAND);
    right->Add(chartButtons, 0, wxEXPAND | wxTOP, FromDIP(4));
    right->Add(m_figures, 0, wxEXPAND | wxTOP, FromDIP(4));
    auto* body = new wxBoxSizer(wxHORIZONTAL);
    body->Add(m_grid, 2, wxEXPAND | wxRIGHT, FromDIP(6));
    body->Add(right, 3, wxEXPAND);
    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(choices, 0, wxEXPAND | wxALL, FromDIP(4));
    column->Add(body, 1, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, FromDIP(4));
    SetSizer(column);

    FillChoices();
    Bind(wxEVT_CHOICE, [this](wxCommandEvent&) {
        m_choice.column = static_cast<std::size_t>(std::max(m_column->GetSelection(), 0));
        m_kind->SetSelection(wxNOT_FOUND);
        FillChoices();
        Update();
    }, ID_Column);
    Bind(wxEVT_CHOICE, [this](wxCommandEvent&) {
        const int kind = m_kind->GetSelection();
        if (kind >= 0)
            SetKind(m_choice.column, RecordGrid::Kinds()[static_cast<std::size_t>(kind)]);
    }, ID_Kind);
    Bind(wxEVT_CHOICE, [this](wxCommandEvent&) {
        const int by = m_by->GetSelection();
        m_choice.by = by > 0 ? std::optional<std::size_t>(static_cast<std::size_t>(by - 1)) : std::nullopt;
        Update();
    }, ID_By);
    Bind(wxEVT_TEXT, [this](wxCommandEvent&) {
        m_choice.lower = Limit(*m_lower);
        m_choice.upper = Limit(*m_upper);
        Update();
    });
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { m_chart->ZoomOut(); }, ID_ZoomOut);
    Bind(wxEVT_BUTTON, &TablePage::OnSaveChart, this, ID_SaveChart);
    Update();
}

const ColumnChoice& TablePage::Choice() const { return m_chart->Choice(); }

void TablePage::SetKind(std::size_t column, ColumnKind kind)
{
    if (column >= m_table.ColumnCount())
        return;
    m_table.SetKind(column, kind);
    FillChoices();
    m_grid->Refresh();
    Update();
}

wxString TablePage::SaveChart(const wxString& path)
{
    try {
        const wxString written = ChartFile::Save(m_chart->Model(), path);
        Tell(wxString::Format(_("The chart was saved in %s"), written));
        return written;
    } catch (const std::runtime_error& e) {
        wxMessageBox(wxString::FromUTF8(e.what()), _("Save chart"), wxOK | wxICON_ERROR, this);
        return wxString();
    }
}

wxString TablePage::ChartStatus() const { return m_status->GetLabel(); }

void TablePage::FillChoices()
{
    const RecordTable& records = m_table.Records();
    m_column->Clear();
    m_by->Clear();
    m_by->Append(_("None"));
    for (std::size_t c = 0; c < m_table.ColumnCount(); ++c) {
        // TRANSLATORS: a column in the list of columns: its name and what it holds.
        m_column->Append(wxString::Format(_("%s (%s)"), records.Name(c), ColumnKindText(m_table.Kind(c))));
        m_by->Append(records.Name(c));
    }
    m_column->SetSelection(static_cast<int>(m_choice.column));
    m_by->SetSelection(m_choice.by ? static_cast<int>(*m_choice.by) + 1 : 0);
    m_kind->Clear();
    for (const ColumnKind kind : RecordGrid::Kinds()) {
        m_kind->Append(ColumnKindText(kind));
        if (m_table.ColumnCount() > 0 && m_table.Kind(m_choice.column) == kind)
            m_kind->SetSelection(m_kind->GetCount() - 1);
    }
}

void TablePage::Update()
{
    m_chart->Draw(&m_table, m_choice);
    ShowFigures();
}

void TablePage::ShowFigures() { m_figures->Show(ColumnFigures::Of(m_table, m_chart->Choice())); }

void TablePage::OnSaveChart(wxCommandEvent&)
{
    const wxString png = _("PNG picture (*.png)|*.png");
    const wxString svg = _("SVG drawing (*.svg)|*.svg");
    wxFileDialog dialog(this, _("Save chart"), wxString(), "chart.png",
                        png + "|" + svg, wxFD_SAVE);
    if (dialog.ShowModal() != wxID_OK)
        return;
    // GTK tells a path given to a dialog it never showed (as the toolkit's
    // testing hooks give it) only as a folder and a name.
    wxFileName path(dialog.GetPath());
    if (!path.HasName())
        path.Assign(dialog.GetDirectory(), dialog.GetFilename());
    if (!path.HasName())
        return;
    const wxString extension = path.GetExt().Lower();
    if (extension != "png" && extension != "svg")
        path.SetFullName(path.GetFullName() + (dialog.GetFilterIndex() == 1 ? ".svg" : ".png"));
    SaveChart(path.GetFullPath());
}

void TablePage::Tell(const wxString& text)
{
    if (text != m_status->GetLabel())
        m_status->SetLabel(text);
}
