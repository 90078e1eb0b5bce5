#include "app/gwxapp.h"

#include "app/installerlanguage.h"

#include "reading/languagetable.h"
#include "reading/settingsfile.h"

#include <wx/fileconf.h>
#include <wx/log.h>

#include <utility>

namespace {

const char* const LanguageKey = "/i18n/Language";

wxString Key(const wxString& group, const wxString& entry) { return group + "/" + entry; }

} // namespace

gwxApp::gwxApp(const wxString& configName, const wxString& localConfigPath,
               const wxString& configVendor)
    : m_configName(configName)
    , m_localConfigPath(localConfigPath.empty() ? "./" + configName : localConfigPath)
    , m_configVendor(configVendor)
{
    LoadedSettings loaded = OpenSettingsFile(m_configName, m_configVendor, m_localConfigPath);
    m_config = std::move(loaded.config);
    m_configSpoilt = loaded.spoilt;
}

gwxApp::~gwxApp()
{
    // Writes the file. A file that cannot be written (a read-only working
    // directory) is not worth a message at this point. A spoilt file was
    // read into a clean copy bound to no file: once the settings went into
    // it, it replaces the file as a whole.
    const wxLogNull quiet;
    const bool settingsStored = !m_loading;
    if (m_configSpoilt && settingsStored)
        SaveSettingsFile(*m_config, m_localConfigPath);
    m_config.reset();
}

const wxConfigBase* gwxApp::Config() const { return m_config.get(); }

bool gwxApp::LoadLanguage()
{
    m_loading = true;
    // Until the settings name a language, the one the installer was run in,
    // else the system's.
    m_language = LanguageTable::FromName(m_config->Read(LanguageKey, wxString()));
    if (m_language == wxLANGUAGE_DEFAULT)
        m_language = LanguageTable::FromName(InstallerLanguage::Name());
    LanguageTable::AddCatalogLookupPaths();
    {
        // Without the system locale of the language (not generated on this
        // machine) the toolkit complains, yet the catalogs still load.
        const wxLogNull quiet;
        m_locale.Init(m_language, wxLOCALE_LOAD_DEFAULT);
    }
    AddCatalog("wxstd");
    return ExchangeSettings(true);
}

void gwxApp::SaveLanguage()
{
    m_loading = false;
    m_config->Write(LanguageKey, LanguageTable::NameOf(m_language));
    ExchangeSettings(false);
}

bool gwxApp::AddCatalog(const wxString& name)
{
    const wxLogNull quiet;
    return m_locale.AddCatalog(name);
}

bool gwxApp::ExchangeLong(const wxString& group, const wxString& entry, int& value,
                          int defaultValue)
{
    if (m_loading)
        return m_config->Read(Key(group, entry), &value, defaultValue);
    return m_config->Write(Key(group, entry), value);
}

bool gwxApp::ExchangeString(const wxString& group, const wxString& entry, wxString& value,
                            const wxString& defaultValue)
{
    if (m_loading)
        return m_config->Read(Key(group, entry), &value, defaultValue);
    return m_config->Write(Key(group, entry), value);
}
