#ifndef MORVA_TESTS_ROBUSTNESS_CLIRUN_H
#define MORVA_TESTS_ROBUSTNESS_CLIRUN_H

#include <wx/string.h>

#include <string>
#include <vector>

// How one run of the headless reader ended.
struct CliRun {
    bool exited = false; // false: killed by a signal (a crash) or not run
    int status = -1;
    std::string out;
    std::string err;
};

// Runs morva_reporter_cli with the arguments (each quoted for the shell)
// in the working directory, where it finds its settings file; gives it at
// most a minute.
CliRun RunCli(const wxString& workingDirectory, const std::vector<std::string>& arguments);

// A word quoted for the shell.
std::string ShellQuoted(const std::string& text);
// What a shell command prints on its standard output.
std::string CommandOutput(const std::string& command);

#endif
