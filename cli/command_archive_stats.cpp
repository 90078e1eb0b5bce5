// morva_reporter_cli archive stats N: the figures of a column of a kept
// reading, per series and for the whole table.

#include "commands.h"

#include "clioutput.h"
#include "columnoptions.h"
#include "textcolumns.h"

#include "insight/civiltime.h"
#include "insight/columnfigures.h"

#include <wx/intl.h>

#include <cstdio>
#include <string>

#include <unistd.h>

namespace {

TextRow heading(const ColumnChoice& choice)
{
    TextRow row{"SERIES", "COUNT", "MINIMUM", "AT", "MAXIMUM", "AT", "MEAN", "FIRST", "LAST"};
    if (choice.HasLimits()) {
        row.emplace_back("OUTSIDE");
        row.emplace_back("TIME OUTSIDE");
    }
    return row;
}

TextRow rowOf(const Figures& figures)
{
    // TRANSLATORS: the series cell of the figures of the whole table.
    const wxString series = figures.whole ? _("all") : figures.series;
    TextRow row{series.utf8_string(),
                std::to_string(figures.count),
                figures.minimum.utf8_string(),
                figures.minimumAt.utf8_string(),
                figures.maximum.utf8_string(),
                figures.maximumAt.utf8_string(),
                figures.mean.utf8_string(),
                figures.first.utf8_string(),
                figures.last.utf8_string()};
    if (figures.outside) {
        row.push_back(std::to_string(*figures.outside));
        row.push_back(FormatDuration(figures.secondsOutside).utf8_string());
    }
    return row;
}

int printFigures(const TypedTable& table, const ColumnChoice& choice)
{
    std::vector<TextRow> rows{heading(choice)};
    for (const Figures& figures : ColumnFigures::Of(table, choice))
        rows.push_back(rowOf(figures));
    const std::string text = ::isatty(STDOUT_FILENO) != 0 ? AlignedColumns(rows) : TabSeparated(rows);
    std::fputs(text.c_str(), stdout);
    return ExitOk;
}

} // namespace

int CommandArchiveStats(const CliArguments& args, const CliSettings& settings)
{
    return WithChosenColumn(args, settings, printFigures);
}
