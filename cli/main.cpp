// morva_reporter_cli: reads a unit's nonvolatile memory into a report, or
// clears it, from a terminal or a script. No window, no display needed.
// This file parses the command line, sets the language up and hands over
// to the command's own file (command_*.cpp).

#include "cliarguments.h"
#include "commandline.h"
#include "clioutput.h"
#include "clisettings.h"
#include "commands.h"

#include "reading/languagetable.h"

#include <wx/init.h>
#include <wx/intl.h>
#include <wx/log.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using CommandFunction = int (*)(const CliArguments&, const CliSettings&);

struct CommandEntry {
    CliArguments::Command command;
    CommandFunction run;
};

const CommandEntry Commands[] = {
    {CliArguments::Command::Read, CommandRead},
    {CliArguments::Command::Clear, CommandClear},
    {CliArguments::Command::Ports, CommandPorts},
    {CliArguments::Command::ArchiveList, CommandArchiveList},
    {CliArguments::Command::ArchiveExport, CommandArchiveExport},
    {CliArguments::Command::ArchiveShow, CommandArchiveShow},
    {CliArguments::Command::ArchiveStats, CommandArchiveStats},
    {CliArguments::Command::ArchiveChart, CommandArchiveChart},
    {CliArguments::Command::ArchiveSync, CommandArchiveSync},
    {CliArguments::Command::ArchiveServe, CommandArchiveServe},
};

int runCommand(CliArguments& args, const CliSettings& settings)
{
    if (!args.pace)
        args.pace = settings.pace();
    for (const CommandEntry& entry : Commands) {
        if (entry.command == args.command)
            return entry.run(args, settings);
    }
    std::fputs(CliArguments::usage(), stdout);
    return ExitUsage;
}

} // namespace

int main(int argc, char** argv)
{
    wxInitializer initializer(argc, argv);
    if (!initializer.IsOk()) {
        std::fprintf(stderr, "%scannot initialise\n", ProgramTag);
        return ExitFailed;
    }

    CliArguments args;
    try {
        args = CliArguments::parse(CommandLineArguments(argc, argv));
    } catch (const std::invalid_argument& e) {
        std::fprintf(stderr, "morva_reporter_cli: %s\n\n%s", e.what(), CliArguments::usage());
        return ExitUsage;
    }
    if (args.command == CliArguments::Command::Help) {
        std::fputs(CliArguments::usage(), stdout);
        return ExitOk;
    }
    if (args.command == CliArguments::Command::Version) {
        std::printf("morva_reporter_cli %s\n", MORVA_VERSION);
        return ExitOk;
    }

    const CliSettings settings;
    wxLocale locale;
    {
        wxLogNull quiet; // a language whose system locale is missing still has our catalogs
        LanguageTable::AddCatalogLookupPaths();
        locale.Init(LanguageTable::FromName(settings.language()), wxLOCALE_LOAD_DEFAULT);
        locale.AddCatalog("morva_velox");
        locale.AddCatalog("MORVA_Reporter");
    }
    return runCommand(args, settings);
}
