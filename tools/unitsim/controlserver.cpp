#include "tools/unitsim/controlserver.h"

#include "tools/unitsim/controlcodec.h"
#include "tools/unitsim/simulatedunit.h"

#include "buslib/protocol/datatypes.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <sstream>
#include <stdexcept>
#include <system_error>

namespace morva_sim {

namespace {

// A command line longer than this is refused and the client dropped.
constexpr std::size_t MaxLineLength = 16 * 1024 * 1024;

[[noreturn]] void throwErrno(const char* what)
{
    throw std::system_error(errno, std::generic_category(), what);
}

long long numberArgument(std::istream& in)
{
    long long value = 0;
    if (!(in >> value))
        throw std::invalid_argument("number expected");
    return value;
}

std::string wordArgument(std::istream& in)
{
    std::string word;
    if (!(in >> word))
        throw std::invalid_argument("argument expected");
    return word;
}

bool sendAll(int fd, const std::string& text)
{
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::send(fd, text.data() + done, text.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

ControlServer::ControlServer(SimulatedUnit& unit)
    : m_unit(unit)
    , m_listener(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0))
    , m_stopSignal(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{
    if (!m_listener.isOpen())
        throwErrno("socket");
    if (!m_stopSignal.isOpen())
        throwErrno("eventfd");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    if (::bind(m_listener.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        throwErrno("bind");
    if (::listen(m_listener.get(), 4) != 0)
        throwErrno("listen");
    socklen_t length = sizeof address;
    if (::getsockname(m_listener.get(), reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throwErrno("getsockname");
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] { serve(); });
}

ControlServer::~ControlServer()
{
    const std::uint64_t one = 1;
    while (::write(m_stopSignal.get(), &one, sizeof one) < 0 && errno == EINTR) {
    }
    if (m_thread.joinable())
        m_thread.join();
    for (Client& client : m_clients)
        client.thread.join();
}

void ControlServer::reapClients()
{
    for (auto it = m_clients.begin(); it != m_clients.end();) {
        if (it->finished->load()) {
            it->thread.join();
            it = m_clients.erase(it);
        } else {
            ++it;
        }
    }
}

void ControlServer::serve()
{
    for (;;) {
        pollfd fds[2] = {{m_stopSignal.get(), POLLIN, 0}, {m_listener.get(), POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (fds[0].revents != 0)
            return;
        if (fds[1].revents & POLLIN) {
            auto client = std::make_shared<FileDescriptor>(
                ::accept4(m_listener.get(), nullptr, nullptr, SOCK_CLOEXEC));
            if (!client->isOpen())
                continue;
            reapClients();
            auto finished = std::make_shared<std::atomic<bool>>(false);
            std::thread thread([this, client, finished] {
                serveClient(*client);
                *finished = true;
            });
            m_clients.push_back(Client{std::move(thread), finished});
        }
    }
}

void ControlServer::serveClient(const FileDescriptor& connection)
{
    const int client = connection.get();
    std::string pending;
    char buffer[4096];
    for (;;) {
        pollfd fds[2] = {{m_stopSignal.get(), POLLIN, 0}, {client, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (fds[0].revents != 0)
            return;
        const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        pending.append(buffer, static_cast<std::size_t>(n));
        std::size_t end;
        while ((end = pending.find('\n')) != std::string::npos) {
            std::string line = pending.substr(0, end);
            pending.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (!sendAll(client, execute(line) + '\n'))
                return;
        }
        if (pending.size() > MaxLineLength)
            return;
    }
}

std::string ControlServer::execute(const std::string& command)
{
    std::istringstream in(command);
    std::string verb;
    in >> verb;
    std::ostringstream answer;
    answer << "ok";
    try {
        if (verb == "reset") {
            m_unit.reset(decodeMemory(wordArgument(in)));
        } else if (verb == "table-selection") {
            m_unit.setHasTableSelection(numberArgument(in) != 0);
        } else if (verb == "status-variable") {
            m_unit.setHasStatusVariable(numberArgument(in) != 0);
        } else if (verb == "status-busy") {
            m_unit.setStatusBusyPolls(static_cast<int>(numberArgument(in)));
        } else if (verb == "variable") {
            const auto variable = static_cast<std::uint8_t>(numberArgument(in));
            const auto type = static_cast<morva_velox::DataType>(numberArgument(in));
            m_unit.setVariable(variable, type, bytesOfHex(wordArgument(in)));
        } else if (verb == "latency") {
            m_unit.setAnswerLatency(std::chrono::milliseconds(numberArgument(in)));
        } else if (verb == "fault") {
            std::string fields;
            std::getline(in, fields);
            m_unit.addFault(decodeFaultRule(fields));
        } else if (verb == "count") {
            answer << ' ' << m_unit.requestCount();
        } else if (verb == "requests") {
            for (const ReceivedRequest& request : m_unit.requests())
                answer << ' ' << hexOf(request.bytes);
        } else if (verb == "wait") {
            const auto n = static_cast<std::size_t>(numberArgument(in));
            const std::chrono::milliseconds timeout(numberArgument(in));
            answer << ' ' << (m_unit.waitForRequests(n, timeout) ? 1 : 0);
        } else if (verb == "clear") {
            m_unit.clearRequests();
        } else {
            return "error unknown command: " + verb;
        }
    } catch (const std::exception& e) {
        return std::string("error ") + e.what();
    }
    return answer.str();
}

} // namespace morva_sim
