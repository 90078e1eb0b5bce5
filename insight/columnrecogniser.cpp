#include "insight/columnrecogniser.h"

#include "insight/cellparsing.h"

#include <string_view>
#include <unordered_set>

namespace {

// The cells of a kind a column may still be. A kind is given up once more
// cells have failed it than the whole column may forgive, so that a long
// column of text is not read as numbers, dates and times to its end.
class Tally {
public:
    explicit Tally(std::size_t records) : m_forgivable(records / 10) {}

    void Add(std::string_view cell)
    {
        ++m_nonEmpty;
        // A cell like the one before it (the same date, channel or state,
        // record after record) is of the same kind.
        if (cell == m_previous && m_previousKind) {
            ++m_previousKind->cells;
            if (m_previousKind == &m_numbers)
                ++m_steps;
            return;
        }
        m_previous = cell;
        m_previousKind = Classify(cell);
    }

    ColumnKind Kind() const
    {
        if (m_nonEmpty == 0)
            return ColumnKind::Empty;
        if (NearlyAll(m_dateTimes))
            return ColumnKind::DateTime;
        if (NearlyAll(m_dates))
            return ColumnKind::Date;
        if (NearlyAll(m_times))
            return ColumnKind::Time;
        if (NearlyAll(m_numbers)) {
            const bool running = m_allWhole && m_steps > 0 && (m_steps - m_onSteps) * 10 <= m_steps;
            return running ? ColumnKind::RunningNumber : ColumnKind::Number;
        }
        // Text counts as a series when its values come back: a channel
        // named in every record, a state that switches to and fro.
        const bool recurs = m_nonEmpty >= 2 && m_distinct.size() <= ColumnRecogniser::MaxSeries &&
            m_distinct.size() * 4 <= m_nonEmpty * 3;
        return recurs ? ColumnKind::Series : ColumnKind::Text;
    }

private:
    struct Cells {
        std::size_t cells = 0;
        std::size_t failed = 0;
    };

    // The kind the cell was counted for; none for text.
    Cells* Classify(std::string_view cell)
    {
        if (Try(m_numbers, [&] { return Number(cell); }))
            return &m_numbers;
        if (Try(m_dates, [&] { return ParseDate(cell).has_value(); }))
            return &m_dates;
        if (Try(m_times, [&] { return ParseTimeOfDay(cell).has_value(); }))
            return &m_times;
        if (Try(m_dateTimes, [&] { return ParseDateTime(cell).has_value(); }))
            return &m_dateTimes;
        if (m_distinct.size() <= ColumnRecogniser::MaxSeries)
            m_distinct.insert(cell);
        return nullptr;
    }

    template <typename Test>
    bool Try(Cells& count, Test test)
    {
        if (count.failed > m_forgivable)
            return false;
        if (test()) {
            ++count.cells;
            return true;
        }
        ++count.failed;
        return false;
    }

    bool Number(std::string_view cell)
    {
        const auto number = ParseNumber(cell);
        if (!number)
            return false;
        // Running: every number a whole one, and each one more than the last.
        m_allWhole = m_allWhole && number->integer;
        if (m_last) {
            ++m_steps;
            m_onSteps += number->value == *m_last + 1 ? 1 : 0;
        }
        m_last = number->value;
        return true;
    }

    bool NearlyAll(const Cells& count) const
    {
        return count.cells > 0 && (m_nonEmpty - count.cells) * 10 <= m_nonEmpty;
    }

    const std::size_t m_forgivable;
    std::size_t m_nonEmpty = 0;
    Cells m_numbers;
    Cells m_dates;
    Cells m_times;
    Cells m_dateTimes;
    bool m_allWhole = true;
    std::size_t m_steps = 0;
    std::size_t m_onSteps = 0;
    std::optional<double> m_last;
    std::unordered_set<std::string_view> m_distinct;
    std::string_view m_previous;
    Cells* m_previousKind = nullptr;
};

} // namespace

ColumnKind ColumnRecogniser::RecogniseColumn(const RecordTable& table, std::size_t column)
{
    Tally tally(table.RecordCount());
    for (std::size_t record = 0; record < table.RecordCount(); ++record) {
        const std::string_view cell = table.Cell(record, column);
        if (!cell.empty())
            tally.Add(cell);
    }
    return tally.Kind();
}

std::vector<ColumnKind> ColumnRecogniser::Recognise(const RecordTable& table)
{
    std::vector<ColumnKind> kinds;
    kinds.reserve(table.ColumnCount());
    for (std::size_t column = 0; column < table.ColumnCount(); ++column)
        kinds.push_back(RecogniseColumn(table, column));
    return kinds;
}
