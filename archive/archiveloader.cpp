#include "archive/archiveloader.h"

#include "archive/archiveerror.h"
#include "archive/readingarchive.h"

#include <atomic>
#include <mutex>
#include <thread>
#include <utility>

// What the loader's thread shares with its owner: whether its results are
// still wanted, and the handlers, run only under the lock and only while
// wanted.
class ArchiveLoader::State {
public:
    // Thrown on the loader's thread once its results are no longer wanted.
    struct Abandoned {};

    explicit State(Handlers handlers) : m_handlers(std::move(handlers)) {}

    // Runs `hand` with the handlers; throws Abandoned when abandoned.
    template <class Hand>
    void Deliver(Hand&& hand)
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_wanted)
            throw Abandoned();
        hand(m_handlers);
    }
    void Finish(const wxString& failure)
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (m_wanted && m_handlers.finished)
            m_handlers.finished(failure);
        Drop();
    }
    void Abandon()
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        Drop();
    }
    // Set once the results are no longer wanted: ends any wait for a
    // server within a tenth of a second.
    const std::atomic<bool>* Stop() const { return &m_stop; }

private:
    // Lets go of the handlers and what they hold; the lock is held.
    void Drop()
    {
        m_wanted = false;
        m_stop = true;
        m_handlers = Handlers();
    }

    std::mutex m_mutex;
    bool m_wanted = true;
    std::atomic<bool> m_stop{false};
    Handlers m_handlers;
};

ArchiveLoader::ArchiveLoader(const wxString& place, Handlers handlers, Work work)
    : m_state(std::make_shared<State>(std::move(handlers)))
{
    std::promise<void> gone;
    m_gone = gone.get_future().share();
    // The thread holds its own copies: nothing of this object.
    std::thread([state = m_state, place = wxString(place.wc_str()), work = std::move(work),
                 gone = std::move(gone)]() mutable {
        try {
            const std::unique_ptr<ReadingArchive> archive = OpenArchive(place, ReadingArchive::Access::Read, state->Stop());
            work(*archive, *state);
            state->Finish(wxString());
        } catch (const State::Abandoned&) {
        } catch (const ArchiveError& e) {
            state->Finish(e.reason());
        } catch (const std::exception& e) {
            state->Finish(wxString::FromUTF8(e.what()));
        }
        state.reset();
        gone.set_value();
    }).detach();
}

ArchiveLoader::~ArchiveLoader() { Abandon(); }

void ArchiveLoader::Abandon() { m_state->Abandon(); }

std::unique_ptr<ArchiveLoader> ArchiveLoader::List(const wxString& place, Rows rows, Finished finished)
{
    Work work = [](const ReadingArchive& archive, State& state) {
        std::vector<ReadingSummary> batch;
        std::size_t limit = FirstBatch;
        const auto handOver = [&] {
            state.Deliver([&](Handlers& handlers) { handlers.rows(std::move(batch)); });
            batch.clear();
            limit = Batch;
        };
        archive.EachReading(ReadingFilter(), [&](const ReadingSummary& reading) {
            batch.push_back(reading);
            if (batch.size() >= limit)
                handOver();
        });
        if (!batch.empty())
            handOver();
    };
    return std::unique_ptr<ArchiveLoader>(
        new ArchiveLoader(place, Handlers{std::move(rows), nullptr, nullptr, std::move(finished)}, std::move(work)));
}

std::unique_ptr<ArchiveLoader> ArchiveLoader::ReadLines(const wxString& place, std::int64_t reading, Lines lines,
                                                        Finished finished)
{
    Work work = [reading](const ReadingArchive& archive, State& state) {
        ReportLines read = archive.Lines(reading);
        state.Deliver([&](Handlers& handlers) { handlers.lines(std::move(read)); });
    };
    return std::unique_ptr<ArchiveLoader>(
        new ArchiveLoader(place, Handlers{nullptr, std::move(lines), nullptr, std::move(finished)}, std::move(work)));
}

std::unique_ptr<ArchiveLoader> ArchiveLoader::Run(const wxString& place,
                                                  std::function<void(const ReadingArchive&)> read,
                                                  std::function<void()> handOver, Finished finished)
{
    Work work = [read = std::move(read)](const ReadingArchive& archive, State& state) {
        read(archive);
        state.Deliver([](Handlers& handlers) { handlers.read(); });
    };
    return std::unique_ptr<ArchiveLoader>(
        new ArchiveLoader(place, Handlers{nullptr, nullptr, std::move(handOver), std::move(finished)}, std::move(work)));
}
