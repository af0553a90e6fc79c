#pragma once

#include <sys/types.h>

#include <cstdint>
#include <span>
#include <string>

#include "sim/host_speed.h"

namespace tovrel::sim {

// The simulator's end of the line: a pseudo-terminal master. The simulator also keeps
// the terminal end open itself, so the terminal survives the host closing and reopening
// its port between commands; a watch on the terminal end counts the host's opens, and
// when the host's last descriptor closes, what the host left unread is thrown away, as a
// closed serial port loses what arrives.
class PseudoTerminal {
  public:
    PseudoTerminal() = default;
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;
    ~PseudoTerminal();

    // Creates the terminal, raw at 9600 baud until the host sets its own rate.
    bool Open(std::string& error);
    // A symbolic link at path to the terminal end (an existing link there is replaced).
    bool MakeLink(const std::string& path, std::string& error);
    const std::string& Path() const { return m_path; }
    int MasterFd() const { return m_master; }
    int WatchFd() const { return m_watch; }

    // Whatever the host has written; 0 when nothing is waiting, -1 on error.
    ssize_t Read(std::span<std::uint8_t> buffer);
    // Bytes towards the host; lost when the host does not have the port open.
    void Write(std::span<const std::uint8_t> bytes);
    LineSpeed HostSpeed() const;
    // Takes in the host's opens and closes noted by the watch.
    void TrackHost();
    // The line goes dead for the host: the terminal is closed and the link removed.
    void HangUp();

  private:
    void Close();

    int m_master = -1;
    int m_slave = -1;
    int m_watch = -1;
    int m_hostOpens = 0;
    std::string m_path;
    std::string m_link;
};

}  // namespace tovrel::sim
