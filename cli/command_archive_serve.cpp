// morva_reporter_cli archive serve: the archive read-only in a browser and
// for scripts, until stopped.

#include "commands.h"

#include "clioutput.h"

int CommandArchiveServe(const CliArguments&, const CliSettings&)
{
    PrintError("archive serve is not ready yet");
    return ExitFailed;
}
