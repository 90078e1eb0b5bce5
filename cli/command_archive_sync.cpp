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

// Sends what the archive server lacks of this station's archive file. A
// reading the server refuses is named with the reason, and the next one
// sent; only a server out of reach stops it.
int syncArchive(const CliArguments& args, const CliSettings& settings)
{
    ArchiveSettings archive = ArchiveSettings::FromConfig(settings.config());
    archive.keep = true; // what was kept before is sent, whatever the settings say now
    const ArchiveSettings::Places places = archive.ForReading(GivenArchive(args));
    if (places.server.empty()) {
        PrintError("no archive server: give --archive postgresql://... or url= in [archive]");
        return ExitUsage;
    }
    std::atomic<bool> stop{false};
    ArchiveSync::Outcome outcome;
    try {
        FileArchive local(places.file, ReadingArchive::Access::Write);
        ServerArchive server(places.server, ReadingArchive::Access::Write);
        outcome = ArchiveSync().SendUnsent(local, server, stop);
    } catch (const ArchiveError& e) {
        outcome.error = e.reason();
    }
    const auto sent = static_cast<unsigned>(outcome.sent.size());
    std::fprintf(stderr, "%s\n",
                 wxString::Format(wxPLURAL("%u reading sent to the archive server %s.",
                                           "%u readings sent to the archive server %s.", sent),
                                  sent, DescribeArchive(places.server))
                     .utf8_str()
                     .data());
    for (const ArchiveSync::Refusal& refusal : outcome.refused)
        PrintError(wxString::Format(_("The archive server refused reading %lld: %s"),
                                    static_cast<long long>(refusal.reading), refusal.reason));
    if (!outcome.error.empty())
        PrintError(wxString::Format(_("The archive server %s cannot take the readings: %s"),
                                    DescribeArchive(places.server), outcome.error));
    return outcome.error.empty() && outcome.refused.empty() ? ExitOk : ExitFailed;
}

} // namespace

int CommandArchiveSync(const CliArguments& args, const CliSettings& settings)
{
    return syncArchive(args, settings);
}
