// morva_reporter_cli archive list: the kept readings, newest first.

#include "commands.h"

#include "clioutput.h"
#include "listingarchive.h"
#include "readingtable.h"

#include <cstdio>

#include <unistd.h>

namespace {

// The filter that archive list's options ask for.
ReadingFilter readingFilter(const CliArguments& args)
{
    ReadingFilter filter;
    if (args.station)
        filter.station = wxString::FromUTF8(args.station->c_str());
    if (args.port)
        filter.port = wxString::FromUTF8(args.port->c_str());
    if (args.since)
        filter.since.ParseISODate(wxString::FromUTF8(args.since->c_str())); // midnight, local time
    return filter;
}

int listReadings(const CliArguments& args, const ReadingArchive& archive)
{
    // A terminal gets columns aligned over all readings; a script gets each
    // line as it is read, however many there are.
    if (::isatty(STDOUT_FILENO) != 0)
        std::fputs(ReadingTable(archive.List(readingFilter(args)), true).c_str(), stdout);
    else
        archive.EachReading(readingFilter(args),
                            [](const ReadingSummary& reading) { std::fputs(ReadingLine(reading).c_str(), stdout); });
    return ExitOk;
}

} // namespace

int CommandArchiveList(const CliArguments& args, const CliSettings& settings)
{
    return WithListingArchive(args, settings,
                              [&args](const ReadingArchive& archive) { return listReadings(args, archive); });
}
