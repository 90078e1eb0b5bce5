#include "tools/unitsim/simulatedunit.h"

#include "tools/unitsim/requestparser.h"

#include "buslib/serial/error.h"
#include "buslib/protocol/frame.h"
#include "buslib/serial/posixtime.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <limits>
#include <system_error>

namespace morva_sim {

using namespace morva_velox;
namespace {

// A packet whose bytes stop coming for this long is given up.
constexpr std::chrono::milliseconds PacketGap{200};
// An answer nobody takes off the line for this long is dropped.
constexpr std::chrono::milliseconds WriteGiveUp{2000};

int pollTimeout(std::chrono::milliseconds ms)
{
    const auto clamped = std::clamp<std::chrono::milliseconds::rep>(ms.count(), 0, std::numeric_limits<int>::max());
    return static_cast<int>(clamped);
}

std::chrono::milliseconds remainingUntil(SimulatedUnit::Clock::time_point deadline)
{
    return std::chrono::ceil<std::chrono::milliseconds>(deadline - SimulatedUnit::Clock::now());
}

FileDescriptor makeStopSignal()
{
    FileDescriptor fd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (!fd.isOpen())
        throw std::system_error(errno, std::generic_category(), "eventfd");
    return fd;
}

} // namespace

SimulatedUnit::SimulatedUnit(UnitMemory memory)
    : m_portPath(m_pty.slavePath())
    , m_stopSignal(makeStopSignal())
    , m_responder(std::move(memory))
    , m_thread([this] { serve(); })
{
}

SimulatedUnit::~SimulatedUnit() { stop(); }

void SimulatedUnit::stop()
{
    if (!m_thread.joinable())
        return;
    const std::uint64_t one = 1;
    while (::write(m_stopSignal.get(), &one, sizeof one) < 0 && errno == EINTR) {
    }
    m_thread.join();
}

void SimulatedUnit::unplug()
{
    stop();
    m_pty.close();
}

void SimulatedUnit::setHasTableSelection(bool has)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_responder.setHasTableSelection(has);
}

void SimulatedUnit::setHasStatusVariable(bool has)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_responder.setHasStatusVariable(has);
}

void SimulatedUnit::setStatusBusyPolls(int polls)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_responder.setStatusBusyPolls(polls);
}

void SimulatedUnit::setSearchAnswers(std::vector<Address> points)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_responder.setSearchAnswers(std::move(points));
}

void SimulatedUnit::setVariable(std::uint8_t variable, DataType type, std::vector<std::uint8_t> value)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_responder.setVariable(variable, type, std::move(value));
}

void SimulatedUnit::setStatusTable(std::vector<StatusEntry> entries)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_responder.setStatusTable(std::move(entries));
}

void SimulatedUnit::setAnswerLatency(std::chrono::milliseconds latency)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_latency = latency;
}

void SimulatedUnit::setLineBaud(unsigned baud)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_line = LineModel(baud, m_line.adapterTimerMs());
}

void SimulatedUnit::setAdapterTimer(std::chrono::milliseconds timer)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_line = LineModel(m_line.baud(), static_cast<unsigned>(timer.count()));
}

void SimulatedUnit::addFault(const FaultRule& rule)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_faults.push_back(rule);
}

void SimulatedUnit::reset(UnitMemory memory)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_responder = UnitResponder(std::move(memory));
    m_faults.clear();
    m_requests.clear();
    m_latency = std::chrono::milliseconds(0);
    m_line = LineModel();
}

std::vector<ReceivedRequest> SimulatedUnit::requests() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_requests;
}

std::size_t SimulatedUnit::requestCount() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_requests.size();
}

bool SimulatedUnit::waitForRequests(std::size_t n, std::chrono::milliseconds timeout) const
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_requestLogged.wait_for(lock, timeout, [&] { return m_requests.size() >= n; });
}

void SimulatedUnit::clearRequests()
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_requests.clear();
}

UnitMemory SimulatedUnit::memory() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_responder.memory();
}

void SimulatedUnit::serve()
{
    RequestParser parser;
    std::array<std::uint8_t, 4096> buffer{};
    for (;;) {
        std::array<pollfd, 2> fds{{{m_stopSignal.get(), POLLIN, 0}, {m_pty.master(), POLLIN, 0}}};
        const int timeout = parser.hasPartialPacket() ? pollTimeout(PacketGap) : -1;
        const int ready = ::poll(fds.data(), fds.size(), timeout);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0 || fds[0].revents != 0)
            return;
        if (ready == 0) {
            parser.discard();
            continue;
        }

        const ssize_t got = ::read(m_pty.master(), buffer.data(), buffer.size());
        if (got < 0 && (errno == EAGAIN || errno == EINTR))
            continue;
        if (got <= 0) {
            // The line is gone; nothing is left to do but wait to be stopped.
            pauseUntil(Clock::time_point::max());
            return;
        }
        const Clock::time_point arrived = received(static_cast<std::size_t>(got));
        const RequestParser::Result result = parser.feed(buffer.data(), static_cast<std::size_t>(got));
        for (const Bytes& request : result.packets) {
            if (!handle(request, arrived))
                return;
        }
        if (result.headerCorrupted)
            discardPendingInput();
    }
}

SimulatedUnit::Clock::time_point SimulatedUnit::received(std::size_t bytes)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_line.receive(bytes, Clock::now());
}

bool SimulatedUnit::handle(const Bytes& request, Clock::time_point arrived)
{
    const Reaction reaction = react(request);
    if (!pauseUntil(arrived + reaction.delay))
        return false;
    return reaction.bytes.empty() || send(reaction.bytes, reaction.line);
}

SimulatedUnit::Reaction SimulatedUnit::react(const Bytes& request)
{
    const Address host = headerSource(request.data());
    const std::uint8_t variable = request.size() > HeaderSize ? request[HeaderSize] : 0;

    const std::lock_guard<std::mutex> lock(m_mutex);
    const std::size_t index = m_requests.size();
    m_requests.push_back(ReceivedRequest{request, Clock::now()});
    m_requestLogged.notify_all();

    Reaction reaction;
    reaction.delay = m_latency;
    reaction.line = m_line;
    FaultRule* rule = matchingFault(index, request);
    std::vector<Bytes> answers;
    if (!dataChecksumGood(request))
        answers = {makeErrorPacket(host, variable, DataCorrupted)};
    else if (rule && rule->fault.kind == Fault::Kind::ErrorAnswer)
        answers = {makeErrorPacket(host, variable, rule->fault.errorCode)};
    else
        answers = m_responder.answer(request);

    if (!rule) {
        reaction.bytes = concatenate(answers);
        return reaction;
    }
    rule->use();
    if (rule->fault.kind == Fault::Kind::Latency)
        reaction.delay += rule->fault.delay;
    reaction.bytes = rule->fault.spoil(answers);
    return reaction;
}

FaultRule* SimulatedUnit::matchingFault(std::size_t index, const Bytes& request)
{
    for (FaultRule& rule : m_faults) {
        if (rule.hasUsesLeft() && rule.matches(index, request))
            return &rule;
    }
    return nullptr;
}

void SimulatedUnit::discardPendingInput() const
{
    std::array<std::uint8_t, 4096> sink{};
    while (::read(m_pty.master(), sink.data(), sink.size()) > 0) {
    }
}

bool SimulatedUnit::pauseUntil(Clock::time_point deadline) const
{
    const bool forever = deadline == Clock::time_point::max();
    for (;;) {
        timespec left{};
        if (!forever) {
            const Clock::duration rest = deadline - Clock::now();
            if (rest <= Clock::duration::zero())
                return true;
            left = toTimespec(rest);
        }
        // Finer than poll's milliseconds: a fast line's bytes are a tenth of one apart.
        pollfd stop{m_stopSignal.get(), POLLIN, 0};
        const int ready = ::ppoll(&stop, 1, forever ? nullptr : &left, nullptr);
        if (ready > 0)
            return false;
        if (ready < 0 && errno != EINTR)
            return false;
    }
}

bool SimulatedUnit::send(const Bytes& bytes, const LineModel& line) const
{
    // Each handover goes out when the host would have got it.
    const Clock::time_point start = Clock::now();
    std::size_t sent = 0;
    for (const LineModel::Handover& h : line.handovers(bytes.size())) {
        if (!pauseUntil(start + h.after) || !writeAll(bytes.data() + sent, h.bytes - sent))
            return false;
        sent = h.bytes;
    }
    return true;
}

bool SimulatedUnit::writeAll(const std::uint8_t* bytes, std::size_t count) const
{
    const Clock::time_point deadline = Clock::now() + WriteGiveUp;
    std::size_t done = 0;
    while (done < count) {
        const ssize_t put = ::write(m_pty.master(), bytes + done, count - done);
        if (put > 0) {
            done += static_cast<std::size_t>(put);
            continue;
        }
        if (put < 0 && errno == EINTR)
            continue;
        if (put < 0 && errno != EAGAIN)
            return true;  // the line is broken: the answer is lost
        std::array<pollfd, 2> fds{{{m_stopSignal.get(), POLLIN, 0}, {m_pty.master(), POLLOUT, 0}}};
        const int ready = ::poll(fds.data(), fds.size(), pollTimeout(remainingUntil(deadline)));
        if (ready > 0 && fds[0].revents != 0)
            return false;
        if (ready == 0 && Clock::now() >= deadline)
            return true;  // nobody takes it off the line: the answer is dropped
    }
    return true;
}

} // namespace morva_sim
