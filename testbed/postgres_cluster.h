#pragma once

#include <string>
#include <vector>

#include "testbed/temp_dir.h"

namespace tovrel::testbed {

// A PostgreSQL server of the caller's own, never the system's: a cluster made by initdb in a
// temporary folder, the server listening only on a Unix socket in that folder, run as the
// user postgres when the caller is root; stopped and removed when the object goes.
class PostgresCluster {
  public:
    // durable: every commit on the disk, as a real server does (the benchmark); without, the
    // server skips fsync (the tests).
    explicit PostgresCluster(bool durable = false);
    ~PostgresCluster();
    PostgresCluster(const PostgresCluster&) = delete;
    PostgresCluster& operator=(const PostgresCluster&) = delete;

    bool Started() const { return m_error.empty(); }
    const std::string& Error() const { return m_error; }  // why it did not start
    // A new, empty database; its URI, or empty when it cannot be made.
    std::string NewDatabase(const std::string& name);
    std::string Uri(const std::string& database) const;
    // The server stopped (fast: connections closed) and started again; false when that fails.
    bool Stop();
    bool Start();

  private:
    // One of the server's programs, as the cluster's owner; false with the error when it fails.
    bool Tool(const std::string& name, const std::vector<std::string>& arguments);

    TempDir m_dir;
    std::string m_bin;  // where initdb, pg_ctl and createdb are
    std::vector<std::string> m_asOwner;
    bool m_durable;
    bool m_running = false;
    std::string m_error;
};

}  // namespace tovrel::testbed
