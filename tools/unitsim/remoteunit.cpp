#include "tools/unitsim/remoteunit.h"

#include "tools/unitsim/controlcodec.h"

#include <cstdlib>
#include <mutex>
#include <sstream>
#include <stdexcept>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace morva_sim {

namespace {

std::string environment(const char* name, const char* fallback)
{
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? std::string(value) : std::string(fallback);
}

std::uint16_t controlPortFromEnvironment()
{
    const std::string text = environment("MORVA_UNIT_CONTROL", "");
    char* end = nullptr;
    const unsigned long port = std::strtoul(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || port == 0 || port > 65535)
        throw std::runtime_error("MORVA_UNIT_CONTROL does not name the simulator's control port");
    return static_cast<std::uint16_t>(port);
}

} // namespace

// One TCP connection to the control channel, one command at a time.
class RemoteUnit::Connection {
public:
    explicit Connection(std::uint16_t port)
    {
#ifdef _WIN32
        WSADATA data;
        if (::WSAStartup(MAKEWORD(2, 2), &data) != 0)
            throw std::runtime_error("cannot start Windows sockets");
        m_started = true;
#endif
        m_socket = ::socket(AF_INET, SOCK_STREAM, 0);
        if (!valid())
            fail("cannot create a socket");
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(port);
        if (::connect(m_socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
            fail("cannot reach the simulated unit's control port " + std::to_string(port));
    }

    ~Connection() { release(); }

    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    std::string exchange(const std::string& line)
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        const std::string out = line + '\n';
        std::size_t done = 0;
        while (done < out.size()) {
            const auto n = ::send(m_socket, out.data() + done, static_cast<int>(out.size() - done), 0);
            if (n <= 0)
                throw std::runtime_error("the simulated unit's control channel is gone");
            done += static_cast<std::size_t>(n);
        }
        std::size_t end;
        while ((end = m_pending.find('\n')) == std::string::npos) {
            char buffer[4096];
            const auto n = ::recv(m_socket, buffer, static_cast<int>(sizeof buffer), 0);
            if (n <= 0)
                throw std::runtime_error("the simulated unit's control channel is gone");
            m_pending.append(buffer, static_cast<std::size_t>(n));
        }
        std::string answer = m_pending.substr(0, end);
        m_pending.erase(0, end + 1);
        return answer;
    }

private:
#ifdef _WIN32
    using Socket = SOCKET;
    bool valid() const { return m_socket != INVALID_SOCKET; }
    void closeSocket() { ::closesocket(m_socket); m_socket = INVALID_SOCKET; }
    Socket m_socket = INVALID_SOCKET;
    bool m_started = false;
#else
    using Socket = int;
    bool valid() const { return m_socket >= 0; }
    void closeSocket() { ::close(m_socket); m_socket = -1; }
    Socket m_socket = -1;
#endif

    void release()
    {
        if (valid())
            closeSocket();
#ifdef _WIN32
        if (m_started)
            ::WSACleanup();
        m_started = false;
#endif
    }

    [[noreturn]] void fail(const std::string& what)
    {
        release();
        throw std::runtime_error(what);
    }

    std::mutex m_mutex;
    std::string m_pending;
};

RemoteUnit::RemoteUnit(const UnitMemory& memory)
    : RemoteUnit(memory, environment("MORVA_UNIT_PORT", "COM1"), controlPortFromEnvironment())
{
}

RemoteUnit::RemoteUnit(const UnitMemory& memory, std::string portName, std::uint16_t controlPort)
    : m_portName(std::move(portName))
    , m_connection(std::make_unique<Connection>(controlPort))
{
    command("reset " + encodeMemory(memory));
}

RemoteUnit::~RemoteUnit() = default;

std::string RemoteUnit::command(const std::string& line) const
{
    const std::string answer = m_connection->exchange(line);
    if (answer == "ok")
        return {};
    if (answer.compare(0, 3, "ok ") == 0)
        return answer.substr(3);
    throw std::runtime_error("the simulated unit refused \"" + line.substr(0, 40) + "\": " + answer);
}

void RemoteUnit::setHasTableSelection(bool has) { command(std::string("table-selection ") + (has ? "1" : "0")); }

void RemoteUnit::setHasStatusVariable(bool has) { command(std::string("status-variable ") + (has ? "1" : "0")); }

void RemoteUnit::setStatusBusyPolls(int polls) { command("status-busy " + std::to_string(polls)); }

void RemoteUnit::setVariable(std::uint8_t variable, morva_velox::DataType type, std::vector<std::uint8_t> value)
{
    command("variable " + std::to_string(variable) + ' ' + std::to_string(static_cast<int>(type)) + ' '
            + hexOf(value));
}

void RemoteUnit::setAnswerLatency(std::chrono::milliseconds latency)
{
    command("latency " + std::to_string(latency.count()));
}

void RemoteUnit::addFault(const FaultRule& rule) { command("fault " + encodeFaultRule(rule)); }

std::vector<ReceivedRequest> RemoteUnit::requests() const
{
    std::istringstream in(command("requests"));
    std::vector<ReceivedRequest> result;
    std::string hex;
    while (in >> hex)
        result.push_back(ReceivedRequest{bytesOfHex(hex), {}});
    return result;
}

std::size_t RemoteUnit::requestCount() const { return std::stoul(command("count")); }

bool RemoteUnit::waitForRequests(std::size_t n, std::chrono::milliseconds timeout) const
{
    return command("wait " + std::to_string(n) + ' ' + std::to_string(timeout.count())) == "1";
}

void RemoteUnit::clearRequests() { command("clear"); }

} // namespace morva_sim
