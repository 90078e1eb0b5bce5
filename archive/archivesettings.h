#ifndef MORVA_ARCHIVE_ARCHIVESETTINGS_H
#define MORVA_ARCHIVE_ARCHIVESETTINGS_H

#include <wx/string.h>

class wxConfigBase;

// The group "[archive]" of the settings file: whether readings are kept
// ("keep", on unless 0), where ("path", else the user's own archive), and
// whether a reading takes from the archive what it already holds
// ("only_new", off unless 1), and the name of this computer among the
// stations whose readings an archive holds ("station", else its host name).
struct ArchiveSettings {
    bool keep = true;
    wxString path;
    bool onlyNew = false;
    wxString station;

    // From the settings file; `config` may be null.
    static ArchiveSettings FromConfig(const wxConfigBase* config);
    // Writes the group's keep, path and only_new, as the window does once
    // its operator changed one of them.
    void Write(wxConfigBase& config) const;

    // The file to keep readings in: `path`, else the user's own archive.
    wxString File() const;
    // `station`, else the computer's host name.
    wxString Station() const;
};

#endif
