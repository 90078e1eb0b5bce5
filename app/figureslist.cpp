#include "app/figureslist.h"

#include "insight/civiltime.h"

#include <wx/intl.h>

#include <algorithm>

FiguresList::FiguresList(wxWindow* parent, wxWindowID id)
    : wxListCtrl(parent, id, wxDefaultPosition, wxSize(480, 110), wxLC_REPORT | wxLC_SINGLE_SEL)
{
    SetName(_("Figures"));
    for (int c = 0; c < ColumnCount; ++c) {
        const auto column = static_cast<Column>(c);
        AppendColumn(Heading(column), c == Series || c == MinimumAt || c == MaximumAt || c == First || c == Last
                                          ? wxLIST_FORMAT_LEFT
                                          : wxLIST_FORMAT_RIGHT);
    }
}

void FiguresList::Show(const std::vector<Figures>& figures)
{
    DeleteAllItems();
    const int margin = FromDIP(20);
    std::vector<int> widths;
    for (int c = 0; c < ColumnCount; ++c)
        widths.push_back(GetTextExtent(Heading(static_cast<Column>(c))).x + margin);
    long line = 0;
    for (const Figures& figure : figures) {
        InsertItem(line, Cell(figure, Series));
        for (int c = 0; c < ColumnCount; ++c) {
            const wxString text = Cell(figure, static_cast<Column>(c));
            if (c > 0)
                SetItem(line, c, text);
            widths[static_cast<std::size_t>(c)] = std::max(widths[static_cast<std::size_t>(c)], GetTextExtent(text).x + margin);
        }
        ++line;
    }
    for (int c = 0; c < ColumnCount; ++c)
        SetColumnWidth(c, widths[static_cast<std::size_t>(c)]);
}

wxString FiguresList::Heading(Column column)
{
    switch (column) {
    case Series: return _("Series");
    case Count: return _("Values");
    case Minimum: return _("Lowest");
    case MinimumAt: return _("Lowest at");
    case Maximum: return _("Highest");
    case MaximumAt: return _("Highest at");
    case Mean: return _("Mean");
    case First: return _("First");
    case Last: return _("Last");
    case Outside: return _("Outside the limits");
    case TimeOutside:
    case ColumnCount:
    default: return _("Time outside");
    }
}

wxString FiguresList::Cell(const Figures& figures, Column column)
{
    switch (column) {
    case Series: return figures.whole ? _("Whole table") : figures.series;
    case Count: return wxString::Format("%llu", static_cast<unsigned long long>(figures.count));
    case Minimum: return figures.minimum;
    case MinimumAt: return figures.minimumAt;
    case Maximum: return figures.maximum;
    case MaximumAt: return figures.maximumAt;
    case Mean: return figures.mean;
    case First: return figures.first;
    case Last: return figures.last;
    case Outside: return figures.outside ? wxString::Format("%llu", static_cast<unsigned long long>(*figures.outside)) : wxString();
    case TimeOutside:
    case ColumnCount:
    default: return figures.outside ? FormatDuration(figures.secondsOutside) : wxString();
    }
}
