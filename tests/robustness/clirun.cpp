#include "clirun.h"

#include "scratchfolder.h"

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

std::string ShellQuoted(const std::string& text)
{
    std::string out = "'";
    for (const char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string CommandOutput(const std::string& command)
{
    std::string out;
    const std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    if (!pipe)
        return out;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0;)
        out.append(buffer, n);
    return out;
}

CliRun RunCli(const wxString& workingDirectory, const std::vector<std::string>& arguments)
{
    ScratchFolder output;
    std::string command = "cd " + ShellQuoted(workingDirectory.utf8_string()) + " && exec timeout -s KILL 60 "
        + ShellQuoted(MORVA_CLI_PROGRAM);
    for (const std::string& argument : arguments)
        command += " " + ShellQuoted(argument);
    command += " >" + ShellQuoted((output / "out").utf8_string()) + " 2>"
        + ShellQuoted((output / "err").utf8_string()) + " </dev/null";
    const int raw = std::system(command.c_str());

    CliRun run;
    // The shell reports a child killed by a signal as 128 + the signal.
    run.exited = raw != -1 && WIFEXITED(raw) && WEXITSTATUS(raw) < 128;
    run.status = raw != -1 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = FileBytes(output / "out");
    run.err = FileBytes(output / "err");
    return run;
}
