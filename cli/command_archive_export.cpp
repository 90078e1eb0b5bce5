// morva_reporter_cli archive export N: a kept reading's report, whole or a
// part of it (a table, a time range, a series).

#include "commands.h"

#include "clioutput.h"
#include "keptreadingtables.h"
#include "reportannouncement.h"

#include "insight/readingpart.h"
#include "insight/readingreport.h"

#include <wx/intl.h>

#include <algorithm>
#include <optional>

namespace {

// The part that the options choose; none, with the operator's message
// printed, when a time cannot be read.
std::optional<ReadingPart> chosenPart(const CliArguments& args)
{
    ReadingPart part;
    const std::pair<const std::optional<std::string>*, bool> times[] = {{&args.since, false}, {&args.until, true}};
    for (const auto& [text, endOfDay] : times) {
        if (!*text)
            continue;
        const std::optional<std::int64_t> when = ReadingPart::ParseWhen(wxString::FromUTF8(**text), endOfDay);
        if (!when) {
            PrintError(wxString::Format(_("\"%s\" is not a date, nor a date and a time (such as 2024-03-14 08:25)."),
                                        wxString::FromUTF8(**text)));
            return std::nullopt;
        }
        (endOfDay ? part.until : part.since) = *when;
    }
    if (args.series)
        part.series = wxString::FromUTF8(*args.series);
    return part;
}

int exportReading(const CliArguments& args, const CliSettings& settings, const ReadingArchive& archive,
                  const std::vector<ReadingArchive::KeptTable>& chosen)
{
    std::optional<ReadingPart> part = chosenPart(args);
    if (!part)
        return ExitFailed;
    const ReadingSummary reading = *archive.Find(args.reading);
    if (args.table) {
        const std::vector<ReadingArchive::KeptTable> all = archive.KeptTables(args.reading);
        const auto at = std::find_if(all.begin(), all.end(), [&](const ReadingArchive::KeptTable& table) {
            return table.number == chosen.front().number;
        });
        part->table = static_cast<unsigned>(at - all.begin()) + 1;
    }
    ReportLines lines = archive.Lines(reading.id);
    unsigned tableCount = reading.tableCount;
    if (!part->Whole()) {
        std::size_t records = 0;
        lines = part->Select(lines, records);
        if (records == 0) {
            PrintError(_("The part of the reading chosen holds no records: no report was written."));
            return ExitFailed;
        }
        tableCount = static_cast<unsigned>(std::count_if(lines.begin(), lines.end(), [](const wxString& line) {
            return line.empty();
        }));
    }
    const wxString folder = args.folder ? wxString::FromUTF8(args.folder->c_str()) : settings.folder();
    return AnnounceReport(ReadingReport::Make(lines, tableCount, args.format, folder, ReportTime(reading), reading),
                          false)
        ? ExitOk
        : ExitFailed;
}

} // namespace

int CommandArchiveExport(const CliArguments& args, const CliSettings& settings)
{
    return WithKeptTables(args, settings,
                          [&](const ReadingArchive& archive, const std::vector<ReadingArchive::KeptTable>& tables) {
                              return exportReading(args, settings, archive, tables);
                          });
}
