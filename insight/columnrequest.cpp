#include "insight/columnrequest.h"

#include "insight/cellparsing.h"
#include "insight/columnkind.h"

#include <wx/intl.h>

namespace {

wxString fromUtf8(const std::string& text) { return wxString::FromUTF8(text.c_str()); }

// The column an option names; the message when the table has none such.
std::optional<std::size_t> namedColumn(const TypedTable& table, unsigned number, const std::string& name,
                                       wxString& error)
{
    const std::optional<std::size_t> column = table.Records().FindColumn(fromUtf8(name));
    if (!column)
        error = wxString::Format(_("Table %u has no column \"%s\"."), number, fromUtf8(name));
    return column;
}

// The column of values: named, else the first of numbers; either holds
// numbers.
std::optional<std::size_t> valueColumn(const ColumnRequest& request, const TypedTable& table, unsigned number,
                                       wxString& error)
{
    if (!request.column) {
        const std::optional<std::size_t> measured = table.FirstMeasured();
        if (!measured)
            error = wxString::Format(_("Table %u has no column of numbers."), number);
        return measured;
    }
    const std::optional<std::size_t> column = namedColumn(table, number, *request.column, error);
    if (!column)
        return std::nullopt;
    const ColumnKind kind = table.Kind(*column);
    if (kind != ColumnKind::Number && kind != ColumnKind::RunningNumber) {
        error = wxString::Format(_("Column \"%s\" holds %s, not numbers."), table.Records().Name(*column),
                                 ColumnKindText(kind));
        return std::nullopt;
    }
    return column;
}

// A limit as given; the message when it is not a number.
bool parseLimit(const char* option, const std::optional<std::string>& text, std::optional<double>& limit,
                wxString& error)
{
    if (!text)
        return true;
    const std::optional<CellNumber> number = ParseNumber(*text);
    if (!number) {
        // TRANSLATORS: %s is the option, --lower or --upper; then the text given.
        error = wxString::Format(_("%s needs a number, such as 85.5 or 85,5, not \"%s\"."), option, fromUtf8(*text));
        return false;
    }
    limit = number->value;
    return true;
}

} // namespace

std::optional<ColumnChoice> ColumnRequest::Choose(const TypedTable& table, unsigned number, wxString& error) const
{
    ColumnChoice choice;
    const std::optional<std::size_t> column = valueColumn(*this, table, number, error);
    if (!column)
        return std::nullopt;
    choice.column = *column;
    if (by) {
        choice.by = namedColumn(table, number, *by, error);
        if (!choice.by)
            return std::nullopt;
    } else {
        choice.by = table.FirstSeries();
    }
    if (!parseLimit(lowerName, lower, choice.lower, error) || !parseLimit(upperName, upper, choice.upper, error))
        return std::nullopt;
    if (choice.lower && choice.upper && *choice.lower > *choice.upper) {
        error = wxString::Format(_("The lower limit %s is above the upper limit %s."), fromUtf8(*lower),
                                 fromUtf8(*upper));
        return std::nullopt;
    }
    return choice;
}

