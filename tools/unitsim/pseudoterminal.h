#ifndef MORVA_SIM_PSEUDOTERMINAL_H
#define MORVA_SIM_PSEUDOTERMINAL_H

#include "tools/unitsim/filedescriptor.h"

#include <string>

namespace morva_sim {

// A pseudo-terminal pair. The master side is non-blocking; the slave side
// is put in raw mode and one descriptor of it stays open for the pair's
// whole life, so the master never sees a hang-up while other programs open
// and close the slave by its path.
class PseudoTerminal {
public:
    // Throws std::system_error when the pair cannot be made.
    PseudoTerminal();

    int master() const { return m_master.get(); }
    const std::string& slavePath() const { return m_slavePath; }
    bool isOpen() const { return m_master.isOpen(); }

    // Closes both sides: whoever has the slave open sees a hang-up.
    void close();

private:
    FileDescriptor m_master;
    FileDescriptor m_slave;
    std::string m_slavePath;
};

} // namespace morva_sim

#endif
