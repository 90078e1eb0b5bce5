// Fuzz target: any bytes as the archive of readings, opened to list its
// readings and make their report lines, and opened to keep a reading.
//
// What must hold, besides no crash and no sanitizer report: every failure
// is an ArchiveError with a reason for the operator, and a file refused for
// keeping is left byte for byte as it was.
#include "archive/archiveerror.h"
#include "archive/filearchive.h"
#include "archive/readinguuid.h"

#include <wx/init.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include <unistd.h>

namespace {

std::string path()
{
    static const std::string name = "/tmp/morva_archive_fuzz_" + std::to_string(::getpid()) + ".sqlite";
    return name;
}

void writeFile(const std::uint8_t* data, std::size_t size)
{
    std::ofstream out(path(), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

std::string readFile()
{
    std::ifstream in(path(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void removeFiles()
{
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        std::remove((path() + suffix).c_str());
}

void check(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "archive_open_fuzz: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    static wxInitializer initializer;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    removeFiles();
    writeFile(data, size);
    const wxString file = wxString::FromUTF8(path());
    try {
        const FileArchive archive(file, ReadingArchive::Access::Read);
        for (const ReadingSummary& reading : archive.List())
            archive.Lines(reading.id);
    } catch (const ArchiveError& e) {
        check(!e.reason().empty(), "a refusal without a reason");
    }

    const std::string before = readFile();
    std::unique_ptr<ReadingArchive> archive;
    try {
        archive = std::make_unique<FileArchive>(file, ReadingArchive::Access::Write);
    } catch (const ArchiveError& e) {
        check(!e.reason().empty(), "a refusal without a reason");
        check(readFile() == before, "a refused archive was written");
    }
    if (archive) {
        try {
            const std::int64_t id = archive->BeginReading(ReadingFacts{"COM1", "/dev/ttyS0", 9600, "line", "0", "station"}, NewReadingUuid(),
                                                          wxDateTime(wxLongLong(1796900520000LL)));
            archive->Store(id, {ArchivedTable{0, "No.\tText", 1}}, {{0, 0, "1\ttext"}});
            archive->EndReading(id, ReadingEnd::Complete, wxString(), wxDateTime(wxLongLong(1796900521000LL)));
        } catch (const ArchiveError& e) {
            // A damaged page found part way: the reading is not kept.
            check(!e.reason().empty(), "a refusal without a reason");
        }
    }
    removeFiles();
    return 0;
}
