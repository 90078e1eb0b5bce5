#include "insight/keptrecordtable.h"

#include "archive/archiveerror.h"

#include <wx/intl.h>

RecordTable KeptRecordTable::Load(const ReadingArchive& archive, std::int64_t reading,
                                  const ReadingArchive::KeptTable& table)
{
    if (table.kept < 0 || table.kept > 0xFFFF)
        throw ArchiveError(_("the archive is damaged"));
    // The archive counts a reading's tables from 0, as the unit does; a
    // RecordTable from 1, as the operator does.
    return RecordTable(table.number + 1, table.header,
                       archive.Records(reading, table.number, static_cast<unsigned>(table.kept)));
}

std::vector<RecordTable> KeptRecordTable::LoadAll(const ReadingArchive& archive, std::int64_t reading)
{
    std::vector<RecordTable> tables;
    for (const ReadingArchive::KeptTable& table : archive.KeptTables(reading))
        tables.push_back(Load(archive, reading, table));
    return tables;
}
