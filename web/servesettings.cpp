#include "web/servesettings.h"

#include "reading/settingsfile.h"

#include <wx/log.h>

namespace {

const char* const PasswordKey = "/serve/password";

// A settings object read with its environment variables left alone while
// this lives: a hash holds '$' before base64 text, which would otherwise be
// taken for a variable's name and replaced if the environment had it.
class LiteralReading {
public:
    explicit LiteralReading(const wxConfigBase& config)
        // Reading changes no setting; only the expansion flag is switched,
        // and switched back.
        : m_config(const_cast<wxConfigBase&>(config)), m_expanding(config.IsExpandingEnvVars())
    {
        m_config.SetExpandEnvVars(false);
    }
    ~LiteralReading() { m_config.SetExpandEnvVars(m_expanding); }
    LiteralReading(const LiteralReading&) = delete;
    LiteralReading& operator=(const LiteralReading&) = delete;

    wxString read(const char* key) const { return m_config.Read(key, wxString()); }

private:
    wxConfigBase& m_config;
    bool m_expanding;
};

} // namespace

ServeSettings ServeSettings::From(const wxConfigBase* config)
{
    ServeSettings settings;
    if (!config)
        return settings;
    settings.listen = config->Read("/serve/listen", wxString()).utf8_string();
    settings.certificate = config->Read("/serve/certificate", wxString());
    settings.key = config->Read("/serve/key", wxString());
    settings.passwordHash = LiteralReading(*config).read(PasswordKey).utf8_string();
    return settings;
}

bool SavePasswordHash(const wxString& settingsPath, const std::string& hash)
{
    // A file that cannot be written is the caller's to report.
    const wxLogNull quiet;
    LoadedSettings settings = OpenSettingsFile("morva_reporter", wxString(), settingsPath);
    settings.config->SetExpandEnvVars(false);
    return settings.config->Write(PasswordKey, wxString::FromUTF8(hash))
        && SaveSettingsFile(*settings.config, settingsPath);
}
