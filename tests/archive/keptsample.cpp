#include "keptsample.h"

#include "tools/unitsim/simulatedunit.h"

KeptSample::KeptSample()
    : m_memory(morva_sim::UnitMemory::loadFromFile(MORVA_SAMPLE_MEMORY))
{
    const morva_sim::SimulatedUnit unit(m_memory);
    m_reading = RunCli(m_scratch.path(), {"read", "--port", unit.portPath(), "--baud", "115200", "--pace", "line",
                                          "--format", "csv", "--folder", m_scratch.path().utf8_string(), "--archive",
                                          (m_scratch / "archive.sqlite").utf8_string()});
    m_kept = m_reading.status == 0;
}

CliRun KeptSample::Run(std::vector<std::string> arguments) const
{
    arguments.push_back("--archive");
    arguments.push_back((m_scratch / "archive.sqlite").utf8_string());
    return RunCli(m_scratch.path(), arguments);
}
