#include "archive/archivesettings.h"

#include "archive/archiveerror.h"
#include "archive/archivelocation.h"
#include "archive/serverplace.h"

#include <wx/confbase.h>
#include <wx/intl.h>
#include <wx/utils.h>

ArchiveSettings ArchiveSettings::FromConfig(const wxConfigBase* config)
{
    ArchiveSettings settings;
    if (!config)
        return settings;
    settings.keep = config->Read("/archive/keep", wxString("1")).Trim().Trim(false) != "0";
    settings.path = config->Read("/archive/path", wxString());
    settings.onlyNew = config->Read("/archive/only_new", wxString("0")).Trim().Trim(false) == "1";
    settings.station = config->Read("/archive/station", wxString()).Trim().Trim(false);
    settings.url = config->Read("/archive/url", wxString()).Trim().Trim(false);
    return settings;
}

void ArchiveSettings::Write(wxConfigBase& config) const
{
    config.Write("/archive/keep", keep ? 1L : 0L);
    config.Write("/archive/path", path);
    config.Write("/archive/only_new", onlyNew ? 1L : 0L);
}

wxString ArchiveSettings::File() const { return path.empty() ? DefaultArchivePath() : path; }

wxString ArchiveSettings::Station() const { return station.empty() ? wxGetHostName() : station; }

ArchiveSettings::Places ArchiveSettings::ForReading(const wxString& given, bool turnedOff) const
{
    if (given.empty() && (turnedOff || !keep))
        return {};
    Places places{File(), url};
    if (given.empty())
        return places;
    if (ServerPlace::Names(given))
        places.server = given;
    else
        places.file = given;
    return places;
}

wxString ArchiveSettings::ForListing(const wxString& given) const
{
    if (!given.empty())
        return given;
    return url.empty() ? File() : url;
}

std::unique_ptr<ReadingArchive> ArchiveSettings::OpenForListing(const wxString& given, wxString& note) const
{
    const wxString place = ForListing(given);
    try {
        return OpenArchive(place, ReadingArchive::Access::Read);
    } catch (const ArchiveError& e) {
        if (!given.empty() || place != url)
            throw;
        note = wxString::Format(
            _("The archive server %s cannot be read; the readings kept on this computer are shown: %s"),
            DescribeArchive(url), e.reason());
        return OpenArchive(File(), ReadingArchive::Access::Read);
    }
}
