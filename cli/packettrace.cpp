#include "packettrace.h"

#include "buslib/serial/platform.h"

#include <cstdio>

PacketTrace::PacketTrace(const std::string& path, morva_velox::Pace pace)
    : m_file(path), m_start(morva_velox::platform::tickCount())
{
    m_file << "       0 pace " << morva_velox::paceName(pace) << '\n';
    m_file.flush();
}

morva_velox::SerialPortVeloxProtocol::Trace PacketTrace::function()
{
    return [this](morva_velox::SerialPortVeloxProtocol::TraceDirection d, const std::uint8_t* b, std::size_t n) {
        write(d, b, n);
    };
}

void PacketTrace::write(morva_velox::SerialPortVeloxProtocol::TraceDirection d, const std::uint8_t* b,
                        std::size_t n)
{
    char line[16];
    if (d == morva_velox::SerialPortVeloxProtocol::TraceDirection::Note) {
        std::snprintf(line, sizeof line, "%8u", morva_velox::platform::tickCount() - m_start);
        m_file << line << " note " << std::string(reinterpret_cast<const char*>(b), n) << '\n';
        m_file.flush();
        return;
    }
    std::snprintf(line, sizeof line, "%8u %s", morva_velox::platform::tickCount() - m_start,
                  d == morva_velox::SerialPortVeloxProtocol::TraceDirection::Sent ? ">" : "<");
    m_file << line;
    for (std::size_t i = 0; i < n; ++i) {
        std::snprintf(line, sizeof line, " %02X", b[i]);
        m_file << line;
    }
    m_file << '\n';
    m_file.flush();
}
