#ifndef MORVA_WEB_READINGDOWNLOAD_H
#define MORVA_WEB_READINGDOWNLOAD_H

#include "archive/readingarchive.h"
#include "insight/readingpart.h"
#include "web/servescratch.h"

#include <string>

// A kept reading's report, whole or a part of it, in any format the reader
// writes, as bytes to send: the very file archive export would write, under
// the name it would have.
struct ReadingDownload {
    bool ok = false;
    std::string fileName; // UTF-8, without a folder
    std::string bytes;
    std::string contentType;
    // Why there is none: the part holds no records, the report failed.
    wxString message;

    static ReadingDownload Make(const ReadingArchive& archive, const ReadingSummary& reading, ReadingPart part,
                                int format, ServeScratch& scratch);
};

#endif
