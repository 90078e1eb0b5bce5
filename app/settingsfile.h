#ifndef MORVA_SETTINGSFILE_H
#define MORVA_SETTINGSFILE_H

#include <wx/fileconf.h>
#include <wx/string.h>

#include <memory>

// Opens the settings file "morva_reporter.ini" (or another local file) the
// way both programs read it: relative to the working directory, no global
// file. A spoilt file is bad data, not a bug: the file configuration's
// assertions (one, with a stack trace, for every group a file repeats) and
// log messages are switched off while it loads, so a garbage or huge file
// can neither flood the terminal nor stall the start.
std::unique_ptr<wxFileConfig> OpenSettingsFile(const wxString& appName, const wxString& vendor,
                                               const wxString& localPath);

#endif
