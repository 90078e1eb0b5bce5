#ifndef MORVA_SIM_CONTROLSERVER_H
#define MORVA_SIM_CONTROLSERVER_H

#include "tools/unitsim/filedescriptor.h"

#include <atomic>
#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <thread>

namespace morva_sim {

class SimulatedUnit;

// A line-oriented control channel for a simulated unit, on a TCP port of
// 127.0.0.1, for test programs that cannot hold the unit in their own
// process (a cross-built test under Wine). Each client is served on a
// thread of its own; every command line gets one answer line, "ok" with results or "error" and why:
//
//   reset <memory>             a new unit with this memory (hex UTF-8 text)
//   table-selection <0|1>      status-variable <0|1>      status-busy <n>
//   variable <var> <type> <bytes>                         latency <ms>
//   fault <nine fields of a fault rule>
//   count                      -> ok <requests logged>
//   requests                   -> ok <bytes of each request> ...
//   wait <n> <ms>              -> ok 1 when n requests came in time, else ok 0
//   clear                      empties the request log
class ControlServer {
public:
    // Listens on 127.0.0.1 at a port the system chooses. Throws
    // std::system_error when it cannot.
    explicit ControlServer(SimulatedUnit& unit);
    ~ControlServer();
    ControlServer(const ControlServer&) = delete;
    ControlServer& operator=(const ControlServer&) = delete;

    std::uint16_t port() const { return m_port; }

    // The answer line to one command line, without its line end.
    std::string execute(const std::string& command);

private:
    struct Client {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> finished;
    };

    void serve();
    void serveClient(const FileDescriptor& client);
    // Joins the threads of clients that have gone.
    void reapClients();

    SimulatedUnit& m_unit;
    FileDescriptor m_listener;
    FileDescriptor m_stopSignal;
    std::uint16_t m_port = 0;
    std::list<Client> m_clients;
    std::thread m_thread;
};

} // namespace morva_sim

#endif
