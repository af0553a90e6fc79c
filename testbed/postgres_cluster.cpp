#include "testbed/postgres_cluster.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "testbed/processes.h"

namespace tovrel::testbed {
namespace {

namespace fs = std::filesystem;

constexpr const char* kServerFolders = "/usr/lib/postgresql";
constexpr const char* kOwner = "postgres";
constexpr const char* kSetpriv = "/usr/bin/setpriv";

// The newest server installed: /usr/lib/postgresql/<version>/bin.
std::string ServerPrograms() {
    std::error_code ignored;
    std::string best;
    int bestVersion = -1;
    for (const fs::directory_entry& entry : fs::directory_iterator(kServerFolders, ignored)) {
        const std::string version = entry.path().filename().string();
        const int number = std::atoi(version.c_str());
        if (number > bestVersion && fs::exists(entry.path() / "bin" / "initdb", ignored)) {
            bestVersion = number;
            best = (entry.path() / "bin").string();
        }
    }
    return best;
}

}  // namespace

PostgresCluster::PostgresCluster(bool durable) : m_bin(ServerPrograms()), m_durable(durable) {
    if (m_bin.empty()) {
        m_error = std::string("no PostgreSQL server under ") + kServerFolders;
        return;
    }
    if (geteuid() == 0) {
        const passwd* owner = getpwnam(kOwner);
        if (owner == nullptr || chown(m_dir.Path().c_str(), owner->pw_uid, owner->pw_gid) != 0) {
            m_error = "no user postgres to run the server as";
            return;
        }
        m_asOwner = {kSetpriv, std::string("--reuid=") + kOwner, std::string("--regid=") + kOwner,
                     "--init-groups"};
    }
    if (Tool("initdb", {"-D", m_dir.Path("data"), "-U", kOwner, "-A", "trust", "--no-sync", "-E",
                        "UTF8", "--locale=C"})) {
        Start();
    }
}

PostgresCluster::~PostgresCluster() { Stop(); }

bool PostgresCluster::Tool(const std::string& name, const std::vector<std::string>& arguments) {
    std::vector<std::string> words = m_asOwner;
    words.push_back(m_bin + "/" + name);
    words.insert(words.end(), arguments.begin(), arguments.end());
    const ProgramRun run = RunProgram(words, {{"PATH", "/usr/bin:/bin"}, {"LC_ALL", "C"}});
    if (run.status == 0) return true;
    m_error = name + " ended with status " + std::to_string(run.status) + ": " + run.err;
    return false;
}

bool PostgresCluster::Start() {
    // Only the socket in the folder: no TCP port, nothing another cluster could clash with.
    std::string options = "-k " + m_dir.Path() + " -c listen_addresses=";
    if (!m_durable) options += " -F";
    m_running = Tool("pg_ctl", {"-D", m_dir.Path("data"), "-l", m_dir.Path("server.log"), "-w",
                                "-s", "-o", options, "start"});
    if (m_running) m_error.clear();
    return m_running;
}

bool PostgresCluster::Stop() {
    if (!m_running) return true;
    m_running = !Tool("pg_ctl", {"-D", m_dir.Path("data"), "-w", "-s", "-m", "fast", "stop"});
    return !m_running;
}

std::string PostgresCluster::NewDatabase(const std::string& name) {
    if (!Tool("createdb", {"-h", m_dir.Path(), "-U", kOwner, name})) return {};
    return Uri(name);
}

std::string PostgresCluster::Uri(const std::string& database) const {
    return "postgresql:///" + database + "?host=" + m_dir.Path() + "&user=" + kOwner;
}

}  // namespace tovrel::testbed
