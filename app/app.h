#ifndef MORVA_APP_H
#define MORVA_APP_H

#include "app/gwxapp.h"
#include "app/settings.h"
#include "buslib/serial/systemports.h"

#include <memory>
#include <vector>

class wxSingleInstanceChecker;

// The MORVA_Reporter application: one instance per user, the settings file
// "morva_reporter.ini" in the working directory, and the main window.

class App : public gwxApp {
public:
    App();
    ~App() override;

    bool OnInit() override;
    int OnExit() override;

protected:
    bool ExchangeSettings(bool loading) override;

private:
    // SIGTERM or SIGINT (a logout, kill, Ctrl-C) closes the window as
    // "Exit" does, so that the settings are still written. The signal is
    // handled in the main loop, not in the signal handler.
    void CatchTerminationSignals();
    void ReleaseTerminationSignals();
    static int OnTerminationSignal(void* app);
    void CloseMainWindow();

    std::unique_ptr<wxSingleInstanceChecker> m_instanceChecker;
    // Sends the archive server the readings it missed, from the start on.
    Settings m_settings;
    morva_velox::SystemPortEnumerator m_ports;
    std::vector<unsigned> m_signalSources;
    bool m_closeRequested = false;
};

#endif
