#ifndef MORVA_ARCHIVE_KEPTRECORDSLOOKUP_H
#define MORVA_ARCHIVE_KEPTRECORDSLOOKUP_H

#include "archive/pgconnection.h"
#include "archive/readingarchive.h"

#include <wx/string.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class FileArchive;
class ServerArchive;

// Where a reading that takes only the new records finds those kept of an
// earlier reading: on the archive server, when one is named and answers at
// once, so that a unit read at another station is known here; else in
// this computer's file. The server gets one short chance a reading: once it
// failed or was slow, the file alone is asked.
class KeptRecordsLookup {
public:
    // The bounds of the server's one chance.
    static PgConnection::Limits ServerLimits();

    struct Found {
        ReadingArchive::EarlierTable table;
        bool onServer = false;
    };

    // `server` may be empty; `excluding` is the reading being kept in the
    // file.
    KeptRecordsLookup(const wxString& file, const wxString& server, std::int64_t excluding);
    ~KeptRecordsLookup();
    KeptRecordsLookup(const KeptRecordsLookup&) = delete;
    KeptRecordsLookup& operator=(const KeptRecordsLookup&) = delete;

    // See ReadingArchive::FindEarlierTable. Never throws: nothing found.
    std::optional<Found> FindEarlierTable(unsigned number, const wxString& header, unsigned maxCount);
    // The records 0 .. count - 1 of the table found; empty when they cannot
    // all be had.
    std::vector<wxString> Records(const Found& found, unsigned number);

private:
    ServerArchive* Server();
    const FileArchive* File();

    wxString m_filePath;
    wxString m_serverPlace;
    std::int64_t m_excluding;
    std::unique_ptr<FileArchive> m_file;
    std::unique_ptr<ServerArchive> m_server;
    bool m_serverFailed = false;
};

#endif
