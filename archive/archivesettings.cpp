#include "archive/archivesettings.h"

#include "archive/archivelocation.h"

#include <wx/confbase.h>
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
