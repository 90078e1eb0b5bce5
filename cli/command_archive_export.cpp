// morva_reporter_cli archive export N: a kept reading's report.

#include "commands.h"

#include "clioutput.h"
#include "listingarchive.h"
#include "reportannouncement.h"

#include "report/reportgenerator.h"

#include <wx/intl.h>

#include <optional>

namespace {

int exportReading(const CliArguments& args, const CliSettings& settings, const ReadingArchive& archive)
{
    const std::optional<ReadingSummary> reading = archive.Find(args.reading);
    if (!reading) {
        PrintError(wxString::Format(_("The archive holds no reading number %lld."), args.reading));
        return ExitFailed;
    }
    const wxString folder = args.folder ? wxString::FromUTF8(args.folder->c_str()) : settings.folder();
    return AnnounceReport(GenerateReport(archive.Lines(reading->id), reading->tableCount, args.format, folder,
                                         ReportTime(*reading)),
                          false)
        ? ExitOk
        : ExitFailed;
}

} // namespace

int CommandArchiveExport(const CliArguments& args, const CliSettings& settings)
{
    return WithListingArchive(args, settings, [&](const ReadingArchive& archive) {
        return exportReading(args, settings, archive);
    });
}
