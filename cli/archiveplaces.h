#ifndef MORVA_ARCHIVEPLACES_H
#define MORVA_ARCHIVEPLACES_H

#include "cliarguments.h"
#include "clisettings.h"

#include "archive/archivesettings.h"

#include <wx/string.h>

// The archive that --archive names; empty without it.
wxString GivenArchive(const CliArguments& args);

// Where a reading or clearing keeps its reading, from the command line and
// the settings: none when readings are not kept.
ArchiveSettings::Places ReadingArchives(const CliArguments& args, const CliSettings& settings);

#endif
