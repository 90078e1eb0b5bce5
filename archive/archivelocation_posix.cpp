#include "archive/archivelocation.h"

#include <cstdlib>

wxString DefaultArchivePath()
{
    wxString folder;
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && *data == '/') {
        folder = wxString::FromUTF8(data);
    } else {
        const char* home = std::getenv("HOME");
        if (!home || !*home)
            return wxString();
        folder = wxString::FromUTF8(home) + "/.local/share";
    }
    return folder + "/MORVA_Reporter/archive.sqlite";
}
