#include "archiveplaces.h"

wxString GivenArchive(const CliArguments& args)
{
    return args.archive ? wxString::FromUTF8(args.archive->c_str()) : wxString();
}

ArchiveSettings::Places ReadingArchives(const CliArguments& args, const CliSettings& settings)
{
    const ArchiveSettings archive = ArchiveSettings::FromConfig(settings.config());
    if (!args.archive && (args.noArchive || !archive.keep))
        return {};
    return archive.ForReading(GivenArchive(args));
}
