#pragma once

// The Windows program under wine, run against the simulated devices: a wine prefix and a
// wine server of the caller's own, the devices reached as COMn through the prefix's
// dosdevices links.

#include <sys/types.h>

#include <string>
#include <vector>

#include "testbed/processes.h"
#include "testbed/temp_dir.h"

namespace tovrel::testbed {

class WinePrefix {
  public:
    // A new prefix in a temporary folder, its server started (`wineserver -f -p`, a child of
    // this process and so no session leader: a pseudo-terminal that closes cannot hang it
    // up) and the prefix set up by wineboot, whose output goes to files, never to pipes that
    // wine's helper processes would keep open.
    WinePrefix();
    WinePrefix(const WinePrefix&) = delete;
    WinePrefix& operator=(const WinePrefix&) = delete;
    // Stops the prefix's processes (`wineserver -k`) and reaps the server.
    ~WinePrefix();

    bool Started() const { return m_error.empty(); }
    const std::string& Error() const { return m_error; }  // why it did not start

    // COMn reaches device from the next run on. Made again just before each run: a prefix
    // still being set up may put its own link in its place.
    void Link(int com, const std::string& device);
    // `wine exe` and its arguments: words for RunProgram.
    std::vector<std::string> Command(const std::string& exe,
                                     const std::vector<std::string>& arguments) const;
    // env with the prefix's settings and without TOVREL_COMn, which the Windows program
    // would honour before the links.
    Environment Prepared(Environment env) const;
    // Runs it with its links made again; its output without the Windows runtime's carriage
    // returns.
    ProgramRun Run(const std::vector<std::string>& words, const Environment& env,
                   RunOptions options = {}) const;

  private:
    TempDir m_dir;
    std::string m_prefix, m_wine, m_server;
    pid_t m_serverPid = -1;
    std::string m_error;
    std::vector<std::pair<int, std::string>> m_links;
};

// The folder of PATH that holds name, and name in it; empty when none does.
std::string FoundOnPath(const std::string& name);

}  // namespace tovrel::testbed
