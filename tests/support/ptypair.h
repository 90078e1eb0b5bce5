#ifndef MORVA_TESTS_PTYPAIR_H
#define MORVA_TESTS_PTYPAIR_H

// A bare pseudo-terminal for tests of the serial port itself: the test plays
// the far end of the line on the master side.

#include <cstdint>
#include <string>
#include <vector>

namespace morva_test {

class PtyPair {
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    const std::string& slavePath() const { return m_slavePath; }
    // Writes bytes to the line, as the far end.
    void send(const std::vector<std::uint8_t>& bytes) const;
    // Reads what the host wrote, waiting up to timeoutMs for `count` bytes.
    std::vector<std::uint8_t> receive(std::size_t count, int timeoutMs) const;
    // Hangs the line up: the host sees the far end gone.
    void closeMaster();

private:
    int m_master = -1;
    std::string m_slavePath;
};

} // namespace morva_test

#endif
