#ifndef MORVA_INSIGHT_KEPTRECORDTABLE_H
#define MORVA_INSIGHT_KEPTRECORDTABLE_H

#include "archive/readingarchive.h"
#include "insight/recordtable.h"

#include <cstdint>
#include <vector>

// A kept reading's tables as the archive holds them, cut into cells.
class KeptRecordTable {
public:
    // The table `table` of `reading`; throws ArchiveError when the archive
    // cannot give it whole.
    static RecordTable Load(const ReadingArchive& archive, std::int64_t reading,
                            const ReadingArchive::KeptTable& table);
    // Every table of the reading, by number.
    static std::vector<RecordTable> LoadAll(const ReadingArchive& archive, std::int64_t reading);
};

#endif
