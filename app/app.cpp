#include "app/app.h"

#include "app/mainframe.h"
#include "reading/settingsfile.h"

#include <wx/log.h>
#include <wx/snglinst.h>
#include <wx/utils.h>

#include <csignal>

#ifdef __WXGTK__
#include <glib-unix.h>
#endif

namespace {

// Also the name of the lock that keeps a second instance out; never
// translated, so that every language shares one lock.
const char* const ProgramName = "MORVA_Reporter";

} // namespace

App::App()
    : gwxApp("morva_reporter.ini", wxString(), wxString())
{
}

App::~App() { ReleaseTerminationSignals(); }

bool App::OnInit()
{
    CatchTerminationSignals();

    // Where no lock can be made (no writable home), the program still starts.
    m_instanceChecker = std::make_unique<wxSingleInstanceChecker>();
    bool checking = false;
    {
        const wxLogNull quiet;
        checking = m_instanceChecker->Create(ProgramName);
    }
    if (checking && m_instanceChecker->IsAnotherRunning())
        return false;
    wxYield();

    LoadLanguage();
    AddCatalog("morva_velox");
    AddCatalog("MORVA_Reporter");
    SetVendorName("MORVA Software");
    SetAppName(_("MORVA_Reporter"));

    auto* frame = new MainFrame(m_settings, Config(), m_ports); // the window hierarchy owns it
    frame->Show();
    SetTopWindow(frame);
    if (m_closeRequested)
        frame->Close(true);
    return true;
}

#ifdef __WXGTK__
int App::OnTerminationSignal(void* app)
{
    static_cast<App*>(app)->CloseMainWindow();
    return G_SOURCE_CONTINUE;
}
#endif

void App::CatchTerminationSignals()
{
#ifdef __WXGTK__
    for (int signal : {SIGTERM, SIGINT})
        m_signalSources.push_back(g_unix_signal_add(signal, OnTerminationSignal, this));
#endif
}

void App::CloseMainWindow()
{
    wxWindow* const window = GetTopWindow();
    if (!window) {
        m_closeRequested = true; // still starting: close once the window is there
        return;
    }
    window->Close(true);
    // The close came from outside the toolkit's own events: make sure its
    // idle time comes, in which the closed window is destroyed.
    WakeUpIdle();
}

void App::ReleaseTerminationSignals()
{
#ifdef __WXGTK__
    for (unsigned source : m_signalSources)
        g_source_remove(source);
#endif
    m_signalSources.clear();
}

int App::OnExit()
{
    // No window is left to show a message in: whatever the toolkit still
    // has to say goes to standard error, never into a box nobody can close.
    delete wxLog::SetActiveTarget(new wxLogStderr);
    ReleaseTerminationSignals();
    m_instanceChecker.reset();
    SaveLanguage();
    return gwxApp::OnExit();
}

bool App::ExchangeSettings(bool loading)
{
    if (loading)
        m_settings.pace = PaceSetting(Config());
    ExchangeLong("/communication", "serial_port", m_settings.serialPort, 1);
    ExchangeString("/report", "folder", m_settings.reportFolder, wxGetCwd());
    // The group [archive] is written only when the operator changed it.
    int onlyNew = m_settings.onlyNew ? 1 : 0;
    if (loading || m_settings.onlyNewChanged)
        ExchangeLong("/archive", "only_new", onlyNew, 0);
    m_settings.onlyNew = onlyNew == 1;
    return true;
}
