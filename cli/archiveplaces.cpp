#include "archiveplaces.h"

wxString GivenArchive(const CliArguments& args)
{
    return args.archive ? wxString::FromUTF8(args.archive->c_str()) : wxString();
}

ArchiveSettings::Places ReadingArchives(const CliArguments& args, const CliSettings& settings)
{
    return ArchiveSettings::FromConfig(settings.config()).ForReading(GivenArchive(args), args.noArchive);
}
