#include "insight/columnrecogniser.h"

#include "insight/cellparsing.h"

#include <string_view>
#include <unordered_set>

namespace {

struct Tally {
    std::size_t nonEmpty = 0;
    std::size_t numbers = 0;
    std::size_t dates = 0;
    std::size_t times = 0;
    std::size_t dateTimes = 0;
    // Running: every number a whole one, and each one more than the last.
    bool allWhole = true;
    std::size_t steps = 0;
    std::size_t onSteps = 0;
    std::optional<double> last;
    std::unordered_set<std::string_view> distinct;

    void Count(std::string_view cell)
    {
        ++nonEmpty;
        if (const auto number = ParseNumber(cell)) {
            ++numbers;
            allWhole = allWhole && number->integer;
            if (last) {
                ++steps;
                onSteps += number->value == *last + 1 ? 1 : 0;
            }
            last = number->value;
            return;
        }
        if (ParseDate(cell))
            ++dates;
        else if (ParseTimeOfDay(cell))
            ++times;
        else if (ParseDateTime(cell))
            ++dateTimes;
        if (distinct.size() <= ColumnRecogniser::MaxSeries)
            distinct.insert(cell);
    }

    bool NearlyAll(std::size_t count) const
    {
        return count > 0 && (nonEmpty - count) * 10 <= nonEmpty;
    }

    bool Recurs() const
    {
        // Text counts as a series when its values come back: a channel
        // named in every record, a state that switches to and fro.
        return nonEmpty >= 2 && distinct.size() <= ColumnRecogniser::MaxSeries &&
            distinct.size() * 4 <= nonEmpty * 3;
    }
};

} // namespace

ColumnKind ColumnRecogniser::RecogniseColumn(const RecordTable& table, std::size_t column)
{
    Tally tally;
    for (std::size_t record = 0; record < table.RecordCount(); ++record) {
        const std::string_view cell = table.Cell(record, column);
        if (!cell.empty())
            tally.Count(cell);
    }
    if (tally.nonEmpty == 0)
        return ColumnKind::Empty;
    if (tally.NearlyAll(tally.dateTimes))
        return ColumnKind::DateTime;
    if (tally.NearlyAll(tally.dates))
        return ColumnKind::Date;
    if (tally.NearlyAll(tally.times))
        return ColumnKind::Time;
    if (tally.NearlyAll(tally.numbers)) {
        const bool running = tally.allWhole && tally.steps > 0 && (tally.steps - tally.onSteps) * 10 <= tally.steps;
        return running ? ColumnKind::RunningNumber : ColumnKind::Number;
    }
    return tally.Recurs() ? ColumnKind::Series : ColumnKind::Text;
}

std::vector<ColumnKind> ColumnRecogniser::Recognise(const RecordTable& table)
{
    std::vector<ColumnKind> kinds;
    kinds.reserve(table.ColumnCount());
    for (std::size_t column = 0; column < table.ColumnCount(); ++column)
        kinds.push_back(RecogniseColumn(table, column));
    return kinds;
}
