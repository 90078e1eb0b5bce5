#ifndef MORVA_GWXAPP_H
#define MORVA_GWXAPP_H

#include <wx/app.h>
#include <wx/intl.h>
#include <wx/string.h>

#include <memory>

class wxConfigBase;
class wxFileConfig;

// A reusable application base: owns the settings file and the locale,
// loads and saves the user-interface language, and lets the concrete
// application move its own settings between the file and memory through
// ExchangeSettings().
//
// The settings file is read when the application object is made and
// written when it is destroyed.
class gwxApp : public wxApp {
public:
    // An empty `localConfigPath` means "./" + `configName`: the file in the
    // working directory.
    gwxApp(const wxString& configName, const wxString& localConfigPath,
           const wxString& configVendor);
    ~gwxApp() override;

protected:
    // Reads the language, starts the locale with it and its standard
    // catalog, then loads the application's settings.
    bool LoadLanguage();
    // Writes the language in use, then the application's settings.
    void SaveLanguage();
    bool AddCatalog(const wxString& name);

    // Read from the file (loading) or write to it: group + "/" + entry.
    bool ExchangeLong(const wxString& group, const wxString& entry, int& value, int defaultValue);
    bool ExchangeString(const wxString& group, const wxString& entry, wxString& value,
                        const wxString& defaultValue);

    // Moves the application's own settings in the direction of `loading`.
    virtual bool ExchangeSettings(bool loading) = 0;

    const wxConfigBase* Config() const;

private:
    wxString m_configName;
    std::unique_ptr<wxFileConfig> m_config;
    bool m_configSpoilt = false;
    wxString m_localConfigPath;
    bool m_loading = true;
    wxString m_configVendor;
    wxLocale m_locale;
    int m_language = wxLANGUAGE_DEFAULT;
};

#endif
