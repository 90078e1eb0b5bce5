#include "archive/readingarchive.h"

#include "archive/archiveerror.h"
#include "archive/filearchive.h"
#include "archive/serverarchive.h"
#include "archive/serverplace.h"

#include <wx/intl.h>

#include <algorithm>
#include <iterator>
#include <optional>

namespace {

// The damage of a kept table that lacks a record, named as the operator
// counts: table and record from 1.
ArchiveError MissingRecord(std::int64_t reading, unsigned table, unsigned index)
{
    return ArchiveError(wxString::Format(_("the archive is damaged: reading %lld lacks record %u of table %u"),
                                         static_cast<long long>(reading), index + 1, table + 1));
}

} // namespace

std::vector<ReadingSummary> ReadingArchive::List(const ReadingFilter& filter) const
{
    std::vector<ReadingSummary> list;
    EachReading(filter, [&list](const ReadingSummary& reading) { list.push_back(reading); });
    return list;
}

std::vector<wxString> ReadingArchive::Records(std::int64_t reading, unsigned table, unsigned count) const
{
    std::vector<wxString> texts(count);
    EachRecord(reading, table, count, [&texts](std::int64_t index, const wxString& text) {
        texts[static_cast<std::size_t>(index)] = text;
    });
    return texts;
}

void ReadingArchive::EachRecord(std::int64_t reading, unsigned table, unsigned count,
                                const std::function<void(std::int64_t, const wxString&)>& take) const
{
    EachRecordFrom(reading, table, 0, count, take);
}

void ReadingArchive::EachRecordFrom(std::int64_t reading, unsigned table, unsigned from, unsigned to,
                                    const std::function<void(std::int64_t, const wxString&)>& take) const
{
    // A table of the unit holds at most 65,535 records.
    if (to > 0xFFFF || from > to)
        throw ArchiveError(_("the archive is damaged"));
    // Each reading holds its own records from where it took the earlier
    // reading's up; the earlier ones come from that reading, and so on, as
    // far down as `from`. Every index is handed over once: a missing or
    // doubled record is damage, never a shorter table.
    std::vector<bool> seen(to - from);
    const auto firstHole = [&](unsigned first, unsigned last) -> std::optional<unsigned> {
        const auto hole = std::find(seen.begin() + (first - from), seen.begin() + (last - from), false);
        if (hole == seen.begin() + (last - from))
            return std::nullopt;
        return from + static_cast<unsigned>(hole - seen.begin());
    };
    unsigned end = to;
    while (end > from && reading != 0) {
        const TableLink link = LinkOf(reading, table);
        const unsigned taken = static_cast<unsigned>(std::clamp<std::int64_t>(link.taken, 0, end));
        // Records are taken from earlier readings only: a reference to a
        // later one is damage, and would never end.
        if (taken > 0 && (link.earlier <= 0 || link.earlier >= reading))
            throw ArchiveError(_("the archive is damaged"));
        const unsigned own = std::max(taken, from);
        OwnRecords(reading, table, own, end, [&](std::int64_t index, const wxString& text) {
            if (index < own || index >= end || seen[static_cast<std::size_t>(index - from)])
                throw ArchiveError(_("the archive is damaged"));
            seen[static_cast<std::size_t>(index - from)] = true;
            take(index, text);
        });
        if (const auto hole = firstHole(own, end))
            throw MissingRecord(reading, table, *hole);
        end = taken;
        reading = link.earlier;
    }
    if (end > from) {
        if (const auto hole = firstHole(from, end))
            throw MissingRecord(reading, table, *hole);
    }
}

ReportLines ReadingArchive::Lines(std::int64_t reading) const
{
    ReportLines lines;
    for (const KeptTable& table : KeptTables(reading)) {
        lines.push_back(table.header);
        if (table.kept < 0 || table.kept > 0xFFFF)
            throw ArchiveError(_("the archive is damaged"));
        std::vector<wxString> records = Records(reading, table.number, static_cast<unsigned>(table.kept));
        lines.insert(lines.end(), std::make_move_iterator(records.begin()), std::make_move_iterator(records.end()));
        lines.emplace_back();
    }
    return lines;
}

std::unique_ptr<ReadingArchive> OpenArchive(const wxString& place, ReadingArchive::Access access,
                                            const std::atomic<bool>* stop)
{
    if (ServerPlace::Names(place))
        return std::make_unique<ServerArchive>(place, access, stop);
    return std::make_unique<FileArchive>(place, access);
}

wxString DescribeArchive(const wxString& place)
{
    if (!ServerPlace::Names(place))
        return place;
    try {
        return ServerPlace(place).Describe();
    } catch (const ArchiveError&) {
        return _("an archive server");
    }
}

wxString CannotReadArchive(const wxString& place, const wxString& reason)
{
    return wxString::Format(_("The archive %s cannot be read: %s"), DescribeArchive(place), reason);
}
