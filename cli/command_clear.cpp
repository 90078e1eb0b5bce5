// morva_reporter_cli clear: empties the unit's memory, after a confirmation
// that names the port and its last kept reading.

#include "commands.h"

#include "archiveplaces.h"
#include "clioutput.h"
#include "portcommand.h"

#include "archive/archivesettings.h"
#include "archive/keptreadingnote.h"
#include "reading/clearunitmemory.h"

#include <cstdio>
#include <iostream>
#include <string>

#include <unistd.h>

namespace {

bool confirmClear(const ChosenPort& port, const wxString& note)
{
    if (!note.empty())
        std::fprintf(stderr, "%s\n", note.utf8_str().data());
    const wxString question = ClearQuestion(port.label);
    std::fprintf(stderr, "%s [y/N] ", question.utf8_str().data());
    std::fflush(stderr);
    std::string answer;
    if (!std::getline(std::cin, answer))
        return false;
    return answer == "y" || answer == "Y" || answer == "yes" || answer == "Yes";
}

int clearUnit(const CliArguments& args, const CliSettings& settings, const ChosenPort& port, PacketTrace* trace)
{
    if (!args.yes) {
        if (!::isatty(STDIN_FILENO)) {
            PrintError("clearing needs a terminal to confirm, or --yes");
            return ExitUsage;
        }
        const wxString keptNote
            = KeptReadingNote(ReadingArchives(args, settings).file, port.deviceNames,
                              ArchiveSettings::FromConfig(settings.config()).Station());
        if (!confirmClear(port, keptNote)) {
            std::fprintf(stderr, "Nothing cleared.\n");
            return ExitFailed;
        }
    } else {
        std::fprintf(stderr, "%s\n", ClearPortLine(port.label).utf8_str().data());
    }
    const ClearOutcome outcome
        = ClearUnitMemory(port, args.baud, trace ? trace->function() : morva_velox::SerialPortVeloxProtocol::Trace(),
                          *args.pace);
    // The result line names the port too, for the log of a script.
    wxString result = outcome.message;
    const int lineEnd = result.Find('\n');
    result.insert(lineEnd == wxNOT_FOUND ? result.length() : static_cast<std::size_t>(lineEnd), ": " + port.label);
    if (outcome.ok) {
        std::fprintf(stderr, "%s\n", result.utf8_str().data());
        return ExitOk;
    }
    PrintError(result);
    return ExitFailed;
}

} // namespace

int CommandClear(const CliArguments& args, const CliSettings& settings)
{
    return RunOnPort(args, settings, [&](const ChosenPort& port, PacketTrace* trace) {
        return clearUnit(args, settings, port, trace);
    });
}
