#pragma once

#include <chrono>
#include <string>

// A pseudo-terminal pair: the program under test opens slavePath(), the
// test reads what arrives on the master side.
class PseudoTerminal {
public:
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    const std::string& slavePath() const { return m_slavePath; }
    int slaveFd() const { return m_slave; }  // the test's own handle on the slave side

    // Reads what has arrived, waiting at most `wait` for the first byte.
    std::string readAvailable(std::chrono::milliseconds wait);
    // Reads until `size` bytes have arrived or `timeout` passes.
    std::string readExactly(std::size_t size, std::chrono::milliseconds timeout);

private:
    int m_master = -1;
    int m_slave = -1;
    std::string m_slavePath;
};
