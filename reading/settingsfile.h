#ifndef MORVA_SETTINGSFILE_H
#define MORVA_SETTINGSFILE_H

#include "buslib/serial/pace.h"

#include <wx/fileconf.h>
#include <wx/string.h>

#include <memory>

// What OpenSettingsFile found.
struct LoadedSettings {
    std::unique_ptr<wxFileConfig> config;
    // The file held lines that are no settings (garbage, a binary file) or
    // keys given more than once. `config` then holds what could be read, as
    // a clean copy that is bound to no file: whoever writes the settings
    // back saves it with SaveSettingsFile, and the spoilt lines are gone.
    bool spoilt = false;
};

// Opens the settings file "morva_reporter.ini" (or another local file) the
// way both programs read it: relative to the working directory, no global
// file. A spoilt file is bad data, not a bug: the file configuration's
// assertions (one, with a stack trace, for every group a file repeats) and
// log messages are kept from the operator while it loads, so a garbage or
// huge file can neither flood the terminal nor stall the start.
LoadedSettings OpenSettingsFile(const wxString& appName, const wxString& vendor,
                                const wxString& localPath);

// The pace of the unit's port that the settings name: the key "pace" of
// "/communication", which the programs read and never write. The design
// pace when `config` is null or the key is missing or names no pace.
morva_velox::Pace PaceSetting(const wxConfigBase* config);

// Writes `config` into the file at `localPath` as a whole (a temporary file
// renamed over it). false when it cannot be written.
bool SaveSettingsFile(wxFileConfig& config, const wxString& localPath);

#endif
