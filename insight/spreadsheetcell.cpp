#include "insight/spreadsheetcell.h"

#include "insight/cellparsing.h"

namespace {

// 1970-01-01 is day 25569 of the spreadsheet's count.
constexpr double UnixEpochSerial = 25569;

} // namespace

bool SpreadsheetCell::ReadsAsNumber(std::string_view cell)
{
    if (!cell.empty() && cell.front() == '-')
        cell.remove_prefix(1);
    if (cell.empty() || cell.front() < '0' || cell.front() > '9')
        return false;
    // "0", "0,5" but not "00,5" or "07".
    if (cell.front() == '0' && cell.size() > 1 && cell[1] != '.' && cell[1] != ',')
        return false;
    std::size_t digits = 0;
    for (const char c : cell)
        digits += c >= '0' && c <= '9' ? 1 : 0;
    return digits <= 15 && ParseNumber(cell).has_value();
}

double SpreadsheetCell::Serial(std::int64_t seconds)
{
    return UnixEpochSerial + static_cast<double>(seconds) / 86400.0;
}

SpreadsheetCell SpreadsheetCell::Of(const TypedTable& table, std::size_t record, std::size_t column)
{
    const std::string_view text = table.Records().Cell(record, column);
    SpreadsheetCell cell;
    if (text.empty())
        return cell;
    cell.kind = Kind::Text;
    switch (table.Kind(column)) {
    case ColumnKind::Number:
    case ColumnKind::RunningNumber:
        if (ReadsAsNumber(text))
            if (const auto number = ParseNumber(text)) {
                cell.kind = Kind::Number;
                cell.value = number->value;
                cell.decimals = number->decimals;
            }
        break;
    case ColumnKind::Date:
        if (const auto date = ParseDate(text)) {
            cell.kind = Kind::Date;
            cell.value = Serial(date->days * 86400);
        }
        break;
    case ColumnKind::Time:
        if (const auto time = ParseTimeOfDay(text)) {
            cell.kind = Kind::Time;
            cell.value = *time / 86400.0;
        }
        break;
    case ColumnKind::DateTime:
        if (const auto both = ParseDateTime(text)) {
            cell.kind = Kind::DateTime;
            cell.value = Serial(both->seconds);
        }
        break;
    default:
        break;
    }
    return cell;
}
