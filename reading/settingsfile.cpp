#include "reading/settingsfile.h"

#include <wx/debug.h>
#include <wx/log.h>
#include <wx/sstream.h>
#include <wx/wfstream.h>

namespace {

// wxWidgets' own assertions switched off for a while.
class AssertionsOff {
public:
    AssertionsOff() : m_previous(wxSetAssertHandler(nullptr)) {}
    ~AssertionsOff() { wxSetAssertHandler(m_previous); }
    AssertionsOff(const AssertionsOff&) = delete;
    AssertionsOff& operator=(const AssertionsOff&) = delete;

private:
    wxAssertHandler_t m_previous;
};

// Takes every log message in its lifetime and only counts them. Only for
// the main thread, before any other thread logs.
class CountingLog : public wxLog {
public:
    CountingLog() : m_previous(wxLog::SetActiveTarget(this)) {}
    ~CountingLog() override { wxLog::SetActiveTarget(m_previous); }
    CountingLog(const CountingLog&) = delete;
    CountingLog& operator=(const CountingLog&) = delete;

    int count() const { return m_count; }

protected:
    void DoLogRecord(wxLogLevel, const wxString&, const wxLogRecordInfo&) override { ++m_count; }

private:
    wxLog* m_previous;
    int m_count = 0;
};

wxString Join(const wxString& path, const wxString& name)
{
    return path == "/" ? "/" + name : path + "/" + name;
}

// Copies every entry of `source`'s group `path` and of its subgroups, as
// stored (no environment variables expanded).
void CopyGroup(wxFileConfig& source, wxFileConfig& target, const wxString& path)
{
    source.SetPath(path);
    wxString name;
    long index = 0;
    for (bool more = source.GetFirstEntry(name, index); more; more = source.GetNextEntry(name, index)) {
        // A key without a name, or one with the path separator in it, can
        // be neither read nor written back: it goes with the spoilt lines.
        if (!name.empty() && !name.Contains("/"))
            target.Write(Join(path, name), source.Read(name, wxString()));
    }

    wxArrayString groups;
    for (bool more = source.GetFirstGroup(name, index); more; more = source.GetNextGroup(name, index))
        groups.Add(name);
    for (const wxString& group : groups)
        CopyGroup(source, target, Join(path, group));
}

std::unique_ptr<wxFileConfig> CleanCopy(wxFileConfig& spoilt)
{
    wxStringInputStream nothing{wxString()};
    auto clean = std::make_unique<wxFileConfig>(nothing);
    const bool expanding = spoilt.IsExpandingEnvVars();
    spoilt.SetExpandEnvVars(false);
    CopyGroup(spoilt, *clean, "/");
    spoilt.SetExpandEnvVars(expanding);
    spoilt.SetPath("/");
    return clean;
}

} // namespace

LoadedSettings OpenSettingsFile(const wxString& appName, const wxString& vendor,
                                const wxString& localPath)
{
    const AssertionsOff quietParser;
    LoadedSettings file;
    {
        const CountingLog complaints;
        file.config = std::make_unique<wxFileConfig>(appName, vendor, localPath, wxString(),
                                                     wxCONFIG_USE_RELATIVE_PATH);
        file.spoilt = complaints.count() > 0;
    }
    if (file.spoilt) {
        const wxLogNull quiet;
        file.config = CleanCopy(*file.config);
    }
    return file;
}

bool SaveSettingsFile(wxFileConfig& config, const wxString& localPath)
{
    wxTempFileOutputStream out(localPath);
    return out.IsOk() && config.Save(out) && out.Commit();
}

morva_velox::Pace PaceSetting(const wxConfigBase* config)
{
    const wxString name = config ? config->Read("/communication/pace", wxString()) : wxString();
    return morva_velox::paceFromName(name.ToStdString()).value_or(morva_velox::Pace::Design);
}
