#include "archive/keptrecordslookup.h"

#include "archive/archiveerror.h"
#include "archive/filearchive.h"
#include "archive/serverarchive.h"

PgConnection::Limits KeptRecordsLookup::ServerLimits()
{
    PgConnection::Limits limits;
    limits.connect = std::chrono::seconds(2);
    limits.statement = std::chrono::seconds(2);
    limits.lock = std::chrono::seconds(1);
    limits.answer = std::chrono::seconds(3);
    return limits;
}

KeptRecordsLookup::KeptRecordsLookup(const wxString& file, const wxString& server, std::int64_t excluding)
    : m_filePath(file)
    , m_serverPlace(server)
    , m_excluding(excluding)
{
}

KeptRecordsLookup::~KeptRecordsLookup() = default;

ServerArchive* KeptRecordsLookup::Server()
{
    if (m_server || m_serverFailed || m_serverPlace.empty())
        return m_server.get();
    try {
        m_server = std::make_unique<ServerArchive>(m_serverPlace, ReadingArchive::Access::Read, nullptr,
                                                   ServerLimits());
    } catch (const ArchiveError&) {
        m_serverFailed = true;
    }
    return m_server.get();
}

const FileArchive* KeptRecordsLookup::File()
{
    if (!m_file && !m_filePath.empty()) {
        try {
            m_file = std::make_unique<FileArchive>(m_filePath, ReadingArchive::Access::Read);
        } catch (const ArchiveError&) {
            m_filePath.clear();
        }
    }
    return m_file.get();
}

std::optional<KeptRecordsLookup::Found> KeptRecordsLookup::FindEarlierTable(unsigned number, const wxString& header,
                                                                          unsigned maxCount)
{
    // The reading being kept is on the server too by now, but never with
    // this table: it is looked for before the table is read.
    if (ServerArchive* server = Server()) {
        try {
            if (const auto earlier = server->FindEarlierTable(number, header, maxCount, 0))
                return Found{*earlier, true};
            return std::nullopt;
        } catch (const ArchiveError&) {
            m_server.reset();
            m_serverFailed = true;
        }
    }
    try {
        if (const FileArchive* file = File()) {
            if (const auto earlier = file->FindEarlierTable(number, header, maxCount, m_excluding))
                return Found{*earlier, false};
        }
    } catch (const ArchiveError&) {
        // Nothing found: the table is read whole.
    }
    return std::nullopt;
}

std::vector<wxString> KeptRecordsLookup::Records(const Found& found, unsigned number)
{
    try {
        const ReadingArchive* archive = found.onServer ? static_cast<const ReadingArchive*>(Server()) : File();
        if (archive)
            return archive->Records(found.table.reading, number, found.table.count);
    } catch (const ArchiveError&) {
        if (found.onServer) {
            m_server.reset();
            m_serverFailed = true;
        }
    }
    return {};
}
