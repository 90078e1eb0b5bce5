#ifndef MORVA_ARCHIVE_ARCHIVELOCATION_H
#define MORVA_ARCHIVE_ARCHIVELOCATION_H

#include <wx/string.h>

// The user's own archive: "MORVA_Reporter/archive.sqlite" under the
// platform's folder for an application's data ($XDG_DATA_HOME, else
// ~/.local/share, on Linux; %LOCALAPPDATA% on Windows). Empty when the
// platform names no such folder.
wxString DefaultArchivePath();

#endif
