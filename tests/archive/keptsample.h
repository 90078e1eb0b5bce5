#ifndef MORVA_TESTS_ARCHIVE_KEPTSAMPLE_H
#define MORVA_TESTS_ARCHIVE_KEPTSAMPLE_H

#include "tests/robustness/clirun.h"
#include "tests/robustness/scratchfolder.h"
#include "tools/unitsim/unitmemory.h"

#include <string>
#include <vector>

// An archive in a scratch folder holding reading 1: the sample memory
// (tools/sample-memory.txt) as the headless reader read it from the
// simulated unit.
class KeptSample {
public:
    KeptSample();

    const ScratchFolder& scratch() const { return m_scratch; }
    const morva_sim::UnitMemory& memory() const { return m_memory; }
    // Runs the reader with these arguments and --archive of the sample's.
    CliRun Run(std::vector<std::string> arguments) const;
    // Whether the reading was kept.
    bool Kept() const { return m_kept; }
    const CliRun& Reading() const { return m_reading; }

private:
    ScratchFolder m_scratch;
    morva_sim::UnitMemory m_memory;
    CliRun m_reading;
    bool m_kept = false;
};

#endif
