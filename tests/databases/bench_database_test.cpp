// The program with --db end to end: benches sharing one database, a server that goes away
// mid-run, a file it may not write, and the record asked back.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <regex>
#include <set>
#include <thread>

#include "databases/open_database.h"
#include "databases/postgres_connection.h"
#include "databases/sqlite_connection.h"
#include "station/production_report.h"
#include "testbed/processes.h"
#include "testbed/sim_files.h"
#include "tests/databases/database_fixture.h"

namespace tovrel::testing {
namespace {

using namespace testbed;
using Words = std::vector<std::string>;

constexpr int kRunLimitMs = 60000;
const std::string kHex = TOVREL_EXAMPLES "/blinky.hex";
const Words kNumbers{"--serial", "1001", "--serial-at", "600"};

// The serial numbers of the boards a run reported OK.
std::multiset<std::uint32_t> Serials(const std::string& out) {
    static const std::regex ok(R"(RESULT OK, device [^,]*, serial (\d+))");
    std::multiset<std::uint32_t> serials;
    for (std::sregex_iterator m(out.begin(), out.end(), ok), end; m != end; ++m) {
        serials.insert(static_cast<std::uint32_t>(std::stoul((*m)[1])));
    }
    return serials;
}

class BenchDatabase : public DatabaseTest {
  protected:
    // COM1, COM2, ... on new simulated devices.
    void AddDevices(int count, const Words& options) {
        for (int i = 0; i < count; ++i) {
            Words words = options;
            words.insert(words.end(),
                         {"--trace", m_dir.Path("sim" + std::to_string(i) + ".trace")});
            m_sims.push_back(
                std::make_unique<SimProcess>(ProgramFolder() + "/pellicon-sim", words));
            ASSERT_TRUE(m_sims.back()->Started()) << m_sims.back()->Error();
            m_env["TOVREL_COM" + std::to_string(m_sims.size())] = m_sims.back()->Path();
        }
    }
    ProgramRun Tovrel(Words words, const RunOptions& options = {.killAfterMs = kRunLimitMs}) {
        words.insert(words.begin(), m_program.begin(), m_program.end());
        return RunProgram(words, m_env, options);
    }

    Words m_program{ProgramFolder() + "/tovrel"};
    Environment m_env = ProgramEnvironment(m_dir.Path());
    std::vector<std::unique_ptr<SimProcess>> m_sims;
};

// Two bench PCs with two ports each, started together: every number once, none skipped, and
// each board's row in the record.
TEST_P(BenchDatabase, TwoBenchesOfTwoPortsShareTheNumbers) {
    AddDevices(4, {"--new-board-after=U:*:200"});
    const auto bench = [&](const std::string& ports, const std::string& station) {
        Words words{"--ports", ports,       "--count", "3",  "--db",
                    m_target,  "--station", station,   kHex, "/R"};
        words.insert(words.end(), kNumbers.begin(), kNumbers.end());
        return Tovrel(words);
    };
    ProgramRun second;
    std::thread beside([&] { second = bench("COM3,COM4", "bench-2"); });
    const ProgramRun first = bench("COM1,COM2", "bench-1");
    beside.join();
    ASSERT_EQ(first.status, 0) << first.out << first.err;
    ASSERT_EQ(second.status, 0) << second.out << second.err;
    std::multiset<std::uint32_t> serials = Serials(first.out);
    serials.merge(Serials(second.out));
    EXPECT_EQ(serials, (std::multiset<std::uint32_t>{1001, 1002, 1003, 1004, 1005, 1006}));
    const ProgramRun report = Tovrel({"--report", "--db", m_target, "--json"});
    EXPECT_EQ(std::regex_replace(report.out, std::regex(R"(\d{4}-\d\d-\d\d)"), "DAY"),
              "{\"day\": \"DAY\", \"station\": \"bench-1\", \"boards\": 3, \"ok\": 3, \"failed\": "
              "0, \"first_pass_yield\": 1.000, \"failed_steps\": {}}\n"
              "{\"day\": \"DAY\", \"station\": \"bench-2\", \"boards\": 3, \"ok\": 3, \"failed\": "
              "0, \"first_pass_yield\": 1.000, \"failed_steps\": {}}\n");
}

// A board that fails after its number went out keeps it: its row shows the number, and the
// next board gets the next one.
TEST_P(BenchDatabase, ANumberThatReachedAFailedBoardIsSpent) {
    AddDevices(1, {"--reply-byte=U:1:15", "--new-board-after=U:*:1500"});
    Words words{"--count", "2", "--db", m_target, "--station", "bench-1", kHex, "/R"};
    words.insert(words.end(), kNumbers.begin(), kNumbers.end());
    const ProgramRun run = Tovrel(words);
    EXPECT_EQ(run.status, 1) << run.out << run.err;
    EXPECT_EQ(Serials(run.out), std::multiset<std::uint32_t>{1002});
    const ProgramRun history = Tovrel({"--history", "1001", "--db", m_target});
    EXPECT_EQ(
        std::regex_replace(history.out, std::regex(R"(\d{4}-\d\d-\d\dT[\d:]+Z|\d+\.\d,)"), "T"),
        std::string(kHistoryHeader) + "\nT,COM1,FAILED,run,Zerk8QA version 2.05,1001," + kHex +
            ",11D00,Tbench-1,6.7.0\n");
    std::string reason;
    const std::unique_ptr<SqlConnection> raw =
        GetParam() == Backend::Sqlite
            ? std::unique_ptr<SqlConnection>(SqliteConnection::Open(m_target, false, reason))
            : PostgresConnection::Open(m_target, false, reason);
    ASSERT_TRUE(raw) << reason;
    std::vector<SqlRow> states;
    ASSERT_EQ(raw->Execute("SELECT state FROM tovrel_serials ORDER BY number", {}, &states), "");
    EXPECT_EQ(states, (std::vector<SqlRow>{{"used"}, {"used"}}));
}

// A file the bench may not write is refused before any port is opened.
class BenchSqlite : public BenchDatabase {};

TEST_P(BenchSqlite, AFileThatCannotBeWrittenStopsTheBenchBeforeAnyPort) {
    std::string problem;
    ASSERT_TRUE(OpenProductionDatabase(m_target, {"bench-1", "6.7.0", 0}, problem)) << problem;
    if (geteuid() == 0) {
        // Root writes any file: the program runs as nobody, who may read the folder only.
        chmod(m_dir.Path().c_str(), 0755);
        m_program.insert(m_program.begin(),
                         {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
    } else {
        chmod(m_target.c_str(), 0444);
    }
    AddDevices(1, {});
    const ProgramRun run = Tovrel({"--db", m_target, "--count", "1", kHex});
    EXPECT_EQ(run.status, 2) << run.out;
    EXPECT_EQ(run.err, "tovrel: --db: " + m_target + ": attempt to write a readonly database\n");
    m_sims[0]->Stop();
    EXPECT_TRUE(ReadTrace(m_dir.Path("sim0.trace")).empty());
}

int Count(const std::vector<TraceEntry>& trace, const std::string& kind) {
    return static_cast<int>(std::count_if(trace.begin(), trace.end(), [&](const TraceEntry& e) {
        return e.received && e.kind == kind;
    }));
}

// The server stops while a bench waits for its first board and starts again once that board
// has failed: that board fails with the reason and spends no number; the next board, on the
// same bench, gets the first number.
TEST(BenchServerRestart, TheBoardInFlightFailsWithTheReasonTheNextGetsTheNumber) {
    PostgresCluster cluster;  // its own: the test stops it
    ASSERT_TRUE(cluster.Started()) << cluster.Error();
    const std::string uri = cluster.NewDatabase("line");
    const TempDir dir;
    // The first board leaves after its return to 9600 baud; the next comes 2 s later.
    SimProcess sim(ProgramFolder() + "/pellicon-sim",
                   {"--no-board", "--new-board-after=B:2:2000", "--trace", dir.Path("trace")});
    ASSERT_TRUE(sim.Started()) << sim.Error();
    bool stopped = false, started = false;
    const RunOptions options{.whileRunning =
                                 [&](pid_t) {
                                     const auto trace = ReadTrace(dir.Path("trace"));
                                     if (!stopped && Count(trace, "ID") > 0) {
                                         stopped = cluster.Stop() && sim.Signal(SIGURG);
                                     }
                                     if (stopped && !started && Count(trace, "B") > 1) {
                                         started = cluster.Start();
                                     }
                                 },
                             .killAfterMs = kRunLimitMs};
    Words words{ProgramFolder() + "/tovrel", "--count", "2", "--db", uri, kHex, "/R"};
    words.insert(words.end(), kNumbers.begin(), kNumbers.end());
    Environment env = ProgramEnvironment(dir.Path());
    env["TOVREL_COM1"] = sim.Path();
    const ProgramRun run = RunProgram(words, env, options);
    ASSERT_TRUE(stopped && started) << cluster.Error();
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("COM1: RESULT FAILED (serial), device Zerk8QA version 2.05, serial -"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(Serials(run.out), std::multiset<std::uint32_t>{1001});
    const std::string lost = uri + ": connection to server on socket";
    EXPECT_NE(run.err.find("No serial number could be reserved for this board: " + lost),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("Cannot write to the production log " + uri), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Both, BenchDatabase, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         BackendName);
INSTANTIATE_TEST_SUITE_P(Only, BenchSqlite, ::testing::Values(Backend::Sqlite), BackendName);

}  // namespace
}  // namespace tovrel::testing
