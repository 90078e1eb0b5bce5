#include "listingarchive.h"

#include "archiveplaces.h"
#include "clioutput.h"

#include "archive/archiveerror.h"
#include "archive/archivesettings.h"

#include <wx/intl.h>

#include <memory>

int WithListingArchive(const CliArguments& args, const CliSettings& settings,
                       const std::function<int(const ReadingArchive&)>& run)
{
    const ArchiveSettings archives = ArchiveSettings::FromConfig(settings.config());
    const wxString place = archives.ForListing(GivenArchive(args));
    if (place.empty()) {
        PrintError("no archive: give --archive FILE");
        return ExitUsage;
    }
    try {
        wxString note;
        const std::unique_ptr<ReadingArchive> archive = archives.OpenForListing(GivenArchive(args), note);
        if (!note.empty())
            PrintError(note);
        return run(*archive);
    } catch (const ArchiveError& e) {
        PrintError(wxString::Format(_("The archive %s cannot be read: %s"), DescribeArchive(place), e.reason()));
        return ExitFailed;
    }
}
