#include "clirun.h"

#include "scratchfolder.h"

#include <sys/wait.h>

#include <cstdlib>

namespace {

std::string quoted(const std::string& text)
{
    std::string out = "'";
    for (const char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

} // namespace

CliRun RunCli(const wxString& workingDirectory, const std::vector<std::string>& arguments)
{
    ScratchFolder output;
    std::string command = "cd " + quoted(workingDirectory.utf8_string()) + " && exec timeout -s KILL 60 "
        + quoted(MORVA_CLI_PROGRAM);
    for (const std::string& argument : arguments)
        command += " " + quoted(argument);
    command += " >" + quoted((output / "out").utf8_string()) + " 2>" + quoted((output / "err").utf8_string())
        + " </dev/null";
    const int raw = std::system(command.c_str());

    CliRun run;
    // The shell reports a child killed by a signal as 128 + the signal.
    run.exited = raw != -1 && WIFEXITED(raw) && WEXITSTATUS(raw) < 128;
    run.status = raw != -1 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = FileBytes(output / "out");
    run.err = FileBytes(output / "err");
    return run;
}
