#include "insight/columnkind.h"

#include <wx/intl.h>

#include <iterator>

namespace {

struct KindName {
    ColumnKind kind;
    const char* key;
};

constexpr KindName kindNames[] = {
    {ColumnKind::Empty, "empty"},   {ColumnKind::Text, "text"},
    {ColumnKind::Series, "series"}, {ColumnKind::Number, "number"},
    {ColumnKind::RunningNumber, "running-number"}, {ColumnKind::Date, "date"},
    {ColumnKind::Time, "time"},     {ColumnKind::DateTime, "date-time"},
};

} // namespace

wxString ColumnKindText(ColumnKind kind)
{
    switch (kind) {
    case ColumnKind::Empty:
        return _("empty");
    case ColumnKind::Text:
        return _("text");
    case ColumnKind::Series:
        return _("series");
    case ColumnKind::Number:
        return _("number");
    case ColumnKind::RunningNumber:
        return _("running number");
    case ColumnKind::Date:
        return _("date");
    case ColumnKind::Time:
        return _("time");
    case ColumnKind::DateTime:
        return _("date and time");
    }
    return wxString();
}

const char* ColumnKindKey(ColumnKind kind)
{
    for (const KindName& name : kindNames)
        if (name.kind == kind)
            return name.key;
    return "text";
}

std::optional<ColumnKind> ColumnKindFromKey(const wxString& key)
{
    for (const KindName& name : kindNames)
        if (key == name.key)
            return name.kind;
    return std::nullopt;
}
