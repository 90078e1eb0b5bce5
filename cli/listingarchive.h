#ifndef MORVA_LISTINGARCHIVE_H
#define MORVA_LISTINGARCHIVE_H

#include "cliarguments.h"
#include "clisettings.h"

#include "archive/readingarchive.h"

#include <functional>

// Runs archive list or export on the archive they read: the server of the
// settings, else this computer's file (with a note), unless --archive names
// another. An archive that cannot be read fails the command with its reason.
int WithListingArchive(const CliArguments& args, const CliSettings& settings,
                       const std::function<int(const ReadingArchive&)>& run);

#endif
