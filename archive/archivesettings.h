#ifndef MORVA_ARCHIVE_ARCHIVESETTINGS_H
#define MORVA_ARCHIVE_ARCHIVESETTINGS_H

#include "archive/readingarchive.h"

#include <wx/string.h>

#include <memory>

class wxConfigBase;

// The group "[archive]" of the settings file: whether readings are kept
// ("keep", on unless 0), where ("path", else the user's own archive; "url",
// an archive server that stations share, besides), and
// whether a reading takes from the archive what it already holds
// ("only_new", off unless 1), and the name of this computer among the
// stations whose readings an archive holds ("station", else its host name).
struct ArchiveSettings {
    bool keep = true;
    wxString path;
    bool onlyNew = false;
    wxString station;
    wxString url;

    // From the settings file; `config` may be null.
    static ArchiveSettings FromConfig(const wxConfigBase* config);
    // Writes the group's keep, path and only_new, as the window does once
    // its operator changed one of them.
    void Write(wxConfigBase& config) const;

    // The file to keep readings in: `path`, else the user's own archive.
    wxString File() const;
    // `station`, else the computer's host name.
    wxString Station() const;

    // Where a reading is kept: the file, and the server the file feeds
    // (empty: none). `given` (a file or a server) takes the place of the
    // one of its kind, and keeps the reading even where the settings, or
    // `turnedOff`, say not to.
    struct Places {
        wxString file;
        wxString server;
    };
    Places ForReading(const wxString& given = wxString(), bool turnedOff = false) const;
    // Where the kept readings are listed: `given`, else the server, else
    // the file.
    wxString ForListing(const wxString& given = wxString()) const;
    // That archive, opened for reading. When the server of the settings
    // cannot be read, the file of this computer is opened instead and
    // `note` says so; throws ArchiveError when neither can be read.
    std::unique_ptr<ReadingArchive> OpenForListing(const wxString& given, wxString& note) const;
};

#endif
