// morva_reporter_cli archive serve: the archive read-only in a browser and
// for scripts, until stopped.

#include "commands.h"

#include "clioutput.h"
#include "servepassword.h"

int CommandArchiveServe(const CliArguments& args, const CliSettings&)
{
    if (args.setPassword)
        return SetServePassword();
    PrintError("archive serve is not ready yet");
    return ExitFailed;
}
