// morva_reporter_cli archive sync: sends the archive server what it lacks.

#include "commands.h"

#include "archiveplaces.h"
#include "clioutput.h"

#include "archive/archiveerror.h"
#include "archive/archivesettings.h"
#include "archive/archivesync.h"
#include "archive/filearchive.h"
#include "archive/serverarchive.h"

#include <wx/intl.h>

#include <atomic>
#include <cstdio>

namespace {

// Sends what the archive server lacks of this station's archive file.
int syncArchive(const CliArguments& args, const CliSettings& settings)
{
    const ArchiveSettings::Places places
        = ArchiveSettings::FromConfig(settings.config()).ForReading(GivenArchive(args));
    if (places.server.empty()) {
        PrintError("no archive server: give --archive postgresql://... or url= in [archive]");
        return ExitUsage;
    }
    std::atomic<bool> stop{false};
    ArchiveSync::Outcome outcome;
    try {
        FileArchive local(places.file, ReadingArchive::Access::Write);
        ServerArchive server(places.server, ReadingArchive::Access::Write);
        outcome = ArchiveSync::SendUnsent(local, server, stop);
    } catch (const ArchiveError& e) {
        outcome.error = e.reason();
    }
    std::fprintf(stderr, "%s\n",
                 wxString::Format(wxPLURAL("%u reading sent to the archive server %s.",
                                           "%u readings sent to the archive server %s.", outcome.sent),
                                  outcome.sent, DescribeArchive(places.server))
                     .utf8_str()
                     .data());
    if (outcome.error.empty())
        return ExitOk;
    PrintError(wxString::Format(_("The archive server %s cannot take the readings: %s"),
                                DescribeArchive(places.server), outcome.error));
    return ExitFailed;
}

} // namespace

int CommandArchiveSync(const CliArguments& args, const CliSettings& settings)
{
    return syncArchive(args, settings);
}
