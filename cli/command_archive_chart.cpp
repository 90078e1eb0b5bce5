// morva_reporter_cli archive chart N: a column of a kept reading drawn over
// time into an SVG file.

#include "commands.h"

#include "clioutput.h"
#include "columnoptions.h"

#include "insight/chartmodel.h"
#include "insight/svgchart.h"

#include <wx/filename.h>
#include <wx/intl.h>

#include <cstdio>
#include <optional>
#include <regex>
#include <stdexcept>

namespace {

// The largest side of a chart, in pixels.
constexpr int MaxSide = 20000;

// --size as WIDTHxHEIGHT; none for another text.
std::optional<ChartSize> chartSize(const std::optional<std::string>& text)
{
    if (!text)
        return ChartSize();
    static const std::regex shape("([0-9]{1,5})[xX]([0-9]{1,5})");
    std::smatch parts;
    if (!std::regex_match(*text, parts, shape))
        return std::nullopt;
    const ChartSize size{std::stoi(parts[1]), std::stoi(parts[2])};
    if (size.width < 1 || size.height < 1 || size.width > MaxSide || size.height > MaxSide)
        return std::nullopt;
    return size;
}

int drawChart(const CliArguments& args, const ChartSize& size, const TypedTable& table, const ColumnChoice& choice)
{
    const ChartModel chart = ChartModel::Build(table, choice, size);
    if (!chart.Nothing().empty()) {
        PrintError(chart.Nothing());
        return ExitFailed;
    }
    wxFileName path(wxString::FromUTF8(args.out->c_str()));
    path.MakeAbsolute();
    try {
        const wxString written = SvgChart::Save(chart, path.GetFullPath());
        std::printf("%s\n", written.utf8_str().data());
        return ExitOk;
    } catch (const std::runtime_error& e) {
        PrintError(wxString::FromUTF8(e.what()));
        return ExitFailed;
    }
}

} // namespace

int CommandArchiveChart(const CliArguments& args, const CliSettings& settings)
{
    const std::optional<ChartSize> size = chartSize(args.size);
    if (!size) {
        PrintError(wxString::Format(_("--size needs the chart's width and height in pixels, such as 1200x600 "
                                      "(at most %dx%d), not \"%s\"."),
                                    MaxSide, MaxSide, wxString::FromUTF8(args.size->c_str())));
        return ExitFailed;
    }
    return WithChosenColumn(args, settings, [&](const TypedTable& table, const ColumnChoice& choice) {
        return drawChart(args, *size, table, choice);
    });
}
