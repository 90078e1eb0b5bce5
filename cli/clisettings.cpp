#include "clisettings.h"

#include "reading/settingsfile.h"

#include <wx/filename.h>
#include <wx/utils.h>

namespace {

const char* const SettingsFile = "morva_reporter.ini";

} // namespace

CliSettings::CliSettings()
{
    if (!wxFileName::FileExists(SettingsFile))
        return;
    m_config = OpenSettingsFile(wxString(), wxString(), wxString("./") + SettingsFile).config;
}

wxString CliSettings::language() const
{
    return read("/i18n/Language", wxString());
}

long CliSettings::serialPort() const
{
    return m_config ? m_config->ReadLong("/communication/serial_port", 1) : 1;
}

wxString CliSettings::folder() const
{
    return read("/report/folder", wxGetCwd());
}

morva_velox::Pace CliSettings::pace() const
{
    return PaceSetting(m_config.get());
}

wxString CliSettings::read(const char* key, const wxString& fallback) const
{
    return m_config ? m_config->Read(key, fallback) : fallback;
}
