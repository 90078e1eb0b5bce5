// A simulated measuring unit on a pseudo-terminal, for trying the reporter
// without the hardware. Prints the port to open on its first line (and with
// --control the port of its control channel on the second), then serves
// until SIGINT or SIGTERM.
#include "tools/unitsim/controlserver.h"
#include "tools/unitsim/simulatedunit.h"
#include "tools/unitsim/unitmemory.h"

#include <wx/cmdline.h>
#include <wx/filename.h>
#include <wx/init.h>
#include <wx/stdpaths.h>

#include <chrono>
#include <csignal>
#include <exception>
#include <iostream>
#include <memory>
#include <pthread.h>

namespace {

// The sample memory installed with the program (<prefix>/share/morva_reporter),
// else the one of the source tree it was built from.
wxString sampleMemoryFile()
{
    const wxFileName exe(wxStandardPaths::Get().GetExecutablePath());
    const wxString installed = exe.GetPath() + "/../share/morva_reporter/sample-memory.txt";
    return wxFileName::FileExists(installed) ? installed : wxString(MORVA_SAMPLE_MEMORY);
}

struct Options {
    wxString memoryFile;
    long statusBusyPolls = 0;
    long latencyMs = 0;
    long baud = 0;
    long adapterTimerMs = 0;
    bool hasStatus = true;
    bool hasTableSelection = true;
    bool control = false;
};

// The options, or nothing when the program should end with the given code.
bool parseOptions(int argc, char** argv, Options& options, int& exitCode)
{
    static const wxCmdLineEntryDesc entries[] = {
        {wxCMD_LINE_SWITCH, "h", "help", "show this help", wxCMD_LINE_VAL_NONE, wxCMD_LINE_OPTION_HELP},
        {wxCMD_LINE_SWITCH, nullptr, "version", "show the version", wxCMD_LINE_VAL_NONE, 0},
        {wxCMD_LINE_OPTION, nullptr, "memory",
         "memory file: UTF-8, tab-separated cells, an empty line after each table (default: the sample memory)",
         wxCMD_LINE_VAL_STRING, 0},
        {wxCMD_LINE_OPTION, nullptr, "status-busy", "status polls answered busy after each record selection (negative: never ready)",
         wxCMD_LINE_VAL_NUMBER, 0},
        {wxCMD_LINE_SWITCH, nullptr, "no-status", "the unit has no record status variable", wxCMD_LINE_VAL_NONE, 0},
        {wxCMD_LINE_SWITCH, nullptr, "no-table-selection", "the unit cannot select tables", wxCMD_LINE_VAL_NONE, 0},
        {wxCMD_LINE_OPTION, nullptr, "latency", "every answer this many milliseconds late (default 0)",
         wxCMD_LINE_VAL_NUMBER, 0},
        {wxCMD_LINE_OPTION, nullptr, "baud", "a line with a speed: take requests in and send answers no faster than this rate, "
         "10 bits a byte (default: the pseudo-terminal's instant line)",
         wxCMD_LINE_VAL_NUMBER, 0},
        {wxCMD_LINE_OPTION, nullptr, "adapter-timer", "a USB serial adapter before the host: hold the answers' bytes "
         "until 62 have gathered or this many milliseconds have passed since the last one (default 0: no adapter)",
         wxCMD_LINE_VAL_NUMBER, 0},
        {wxCMD_LINE_SWITCH, nullptr, "control", "serve a control channel on 127.0.0.1 (its port on the second line)",
         wxCMD_LINE_VAL_NONE, 0},
        wxCMD_LINE_DESC_END,
    };
    wxCmdLineParser parser(entries, argc, argv);
    const int result = parser.Parse();
    if (result != 0) {
        exitCode = result < 0 ? 0 : 1;
        return false;
    }
    if (parser.Found("version")) {
        std::cout << "morva_unit_sim " MORVA_VERSION "\n";
        exitCode = 0;
        return false;
    }
    if (!parser.Found("memory", &options.memoryFile))
        options.memoryFile = sampleMemoryFile();
    parser.Found("status-busy", &options.statusBusyPolls);
    parser.Found("latency", &options.latencyMs);
    parser.Found("baud", &options.baud);
    parser.Found("adapter-timer", &options.adapterTimerMs);
    // The fastest line a serial port runs is a few megabaud; a day is more
    // latency than any test wants; an adapter's timer is one byte (FTDI).
    if (options.latencyMs < 0 || options.baud < 0 || options.baud > 10000000 || options.latencyMs > 86400000
        || options.adapterTimerMs < 0 || options.adapterTimerMs > 255) {
        std::cerr << "morva_unit_sim: --baud takes 0 to 10000000, --latency 0 to 86400000, --adapter-timer 0 to 255\n";
        exitCode = 1;
        return false;
    }
    options.hasStatus = !parser.Found("no-status");
    options.hasTableSelection = !parser.Found("no-table-selection");
    options.control = parser.Found("control");
    return true;
}

// Blocks the stop signals in every thread, so that only sigwait sees them.
sigset_t blockStopSignals()
{
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    return signals;
}

} // namespace

int main(int argc, char** argv)
{
    wxInitializer initializer(argc, argv);
    if (!initializer.IsOk()) {
        std::cerr << "morva_unit_sim: cannot initialise wxWidgets\n";
        return 1;
    }
    Options options;
    int exitCode = 0;
    if (!parseOptions(argc, argv, options, exitCode))
        return exitCode;

    const sigset_t stopSignals = blockStopSignals();
    try {
        morva_sim::SimulatedUnit unit(morva_sim::UnitMemory::loadFromFile(options.memoryFile));
        unit.setHasStatusVariable(options.hasStatus);
        unit.setHasTableSelection(options.hasTableSelection);
        unit.setStatusBusyPolls(static_cast<int>(options.statusBusyPolls));
        unit.setAnswerLatency(std::chrono::milliseconds(options.latencyMs));
        unit.setLineBaud(static_cast<unsigned>(options.baud));
        unit.setAdapterTimer(std::chrono::milliseconds(options.adapterTimerMs));
        std::cout << unit.portPath() << std::endl;
        std::unique_ptr<morva_sim::ControlServer> control;
        if (options.control) {
            control = std::make_unique<morva_sim::ControlServer>(unit);
            std::cout << control->port() << std::endl;
        }

        int signal = 0;
        sigwait(&stopSignals, &signal);
    } catch (const std::exception& e) {
        std::cerr << "morva_unit_sim: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
