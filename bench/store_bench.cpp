// tovrel-store-bench: what a board costs in the bench's database, without the line: taking a
// number and writing the board's row, in SQLite (a file in a temporary folder) and in
// PostgreSQL (a local server of the benchmark's own, every commit on the disk).
//
//   tovrel-store-bench [--boards N]
//
// For each database it runs N boards on one port, then N boards spread over eight ports at
// once (eight threads sharing one store, as a bench's ports do), and prints per board the
// median, the 95th percentile and the longest time from asking for the number to the row
// committed, and the boards per second.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "databases/open_database.h"
#include "testbed/postgres_cluster.h"
#include "testbed/temp_dir.h"

namespace tovrel::bench {
namespace {

using Clock = std::chrono::steady_clock;
constexpr int kDefaultBoards = 400;
constexpr int kPorts[] = {1, 8};

struct Figures {
    double medianMs, p95Ms, longestMs, boardsPerSecond;
};

// One board's share of the database: its number, then its row.
double BoardMs(ProductionDatabase& database, const std::string& port, bool& ok) {
    const Clock::time_point start = Clock::now();
    std::string problem;
    BoardResult r;
    r.port = port;
    r.outcome = BoardOutcome::OK;
    r.device = "Zerk8QA version 2.05";
    r.file = "program16.hex";
    r.checksum = 0x11D00;
    r.seconds = 12.8;
    r.serial = database.Reserve(port, problem);
    r.ended = std::chrono::system_clock::now();
    ok = ok && r.serial && database.Record(r).empty();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::optional<Figures> Run(ProductionDatabase& database, int boards, int ports) {
    std::vector<std::vector<double>> times(ports);
    std::vector<std::thread> threads;
    bool ok[8] = {true, true, true, true, true, true, true, true};
    const Clock::time_point start = Clock::now();
    for (int port = 0; port < ports; ++port) {
        threads.emplace_back([&, port] {
            for (int board = port; board < boards; board += ports) {
                times[port].push_back(
                    BoardMs(database, "COM" + std::to_string(port + 1), ok[port]));
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::vector<double> all;
    for (int port = 0; port < ports; ++port) {
        if (!ok[port]) return std::nullopt;
        all.insert(all.end(), times[port].begin(), times[port].end());
    }
    std::sort(all.begin(), all.end());
    return Figures{all[all.size() / 2], all[all.size() * 95 / 100], all.back(), boards / seconds};
}

int Main(int argc, char** argv) {
    int boards = kDefaultBoards;
    if (argc == 3 && std::string(argv[1]) == "--boards") boards = std::atoi(argv[2]);
    if ((argc != 1 && argc != 3) || boards < 8) {
        std::fprintf(stderr, "usage: tovrel-store-bench [--boards N] (N from 8)\n");
        return 2;
    }
    const testbed::TempDir folder;
    testbed::PostgresCluster server(true);
    if (!server.Started()) {
        std::fprintf(stderr, "tovrel-store-bench: %s\n", server.Error().c_str());
        return 1;
    }
    std::printf("| Database | Ports | median ms | 95 %% ms | longest ms | boards/s |\n");
    std::printf("|---|---|---|---|---|---|\n");
    for (const char* name : {"SQLite", "PostgreSQL"}) {
        for (const int ports : kPorts) {
            const std::string target = name[0] == 'S'
                                           ? folder.Path("line" + std::to_string(ports) + ".db")
                                           : server.NewDatabase("line" + std::to_string(ports));
            std::string problem;
            const auto database = OpenProductionDatabase(target, {"bench", "6.7.0", 1}, problem);
            const auto figures = database ? Run(*database, boards, ports) : std::nullopt;
            if (!figures) {
                std::fprintf(stderr, "tovrel-store-bench: %s: %s\n", name, problem.c_str());
                return 1;
            }
            std::printf("| %s | %d | %.2f | %.2f | %.2f | %.0f |\n", name, ports, figures->medianMs,
                        figures->p95Ms, figures->longestMs, figures->boardsPerSecond);
        }
    }
    return 0;
}

}  // namespace
}  // namespace tovrel::bench

int main(int argc, char** argv) { return tovrel::bench::Main(argc, argv); }
