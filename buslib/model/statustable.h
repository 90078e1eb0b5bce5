#ifndef MORVA_VELOX_STATUSTABLE_H
#define MORVA_VELOX_STATUSTABLE_H

#include "buslib/model/statusmessage.h"

#include <wx/string.h>

#include <cstdint>
#include <map>

namespace morva_velox {

// A point's own status codes with their texts and message kinds.
class StatusTable {
public:
    using Entries = std::map<std::int32_t, StatusMessage>;

    // The most entries that count() reports.
    static constexpr std::int32_t MaxCount = 16;

    StatusTable() = default;
    // Keeps every entry; count() is capped at MaxCount.
    explicit StatusTable(const Entries& entries);

    std::int32_t count() const { return m_count; }
    const Entries& entries() const { return m_entries; }

    // The text of a status code, or empty when the table has no such code.
    wxString statusText(std::int32_t code) const;
    // The entry of a status code, or the empty entry (no text, kind -1).
    StatusMessage statusEntry(std::int32_t code) const;

private:
    Entries m_entries;
    std::int32_t m_count = 0;
};

// The table a point uses when it gives none of its own: codes 1 to 11.
StatusTable defaultStatusTable();

// The message kind of a status code when the point gives none: error up to
// 5, threshold for 6 to 9, information above 9.
int defaultMessageKind(std::int32_t code);

} // namespace morva_velox

#endif
