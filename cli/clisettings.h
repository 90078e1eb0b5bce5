#ifndef MORVA_CLISETTINGS_H
#define MORVA_CLISETTINGS_H

#include "buslib/serial/pace.h"

#include <wx/fileconf.h>
#include <wx/string.h>

#include <memory>

// The settings the reader takes its defaults from, morva_reporter.ini in the
// working directory; it never writes them.
class CliSettings {
public:
    CliSettings();

    const wxConfigBase* config() const { return m_config.get(); }
    wxString language() const;
    long serialPort() const;
    wxString folder() const;
    morva_velox::Pace pace() const;

private:
    wxString read(const char* key, const wxString& fallback) const;

    std::unique_ptr<wxFileConfig> m_config;
};

#endif
