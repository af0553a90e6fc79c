// The database stores by themselves: numbers as the bench takes them, a later version's
// tables, and processes killed at any moment while they take numbers.
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <random>
#include <set>

#include "databases/open_database.h"
#include "databases/postgres_connection.h"
#include "databases/sqlite_connection.h"
#include "tests/databases/database_fixture.h"

namespace tovrel::testing {
namespace {

using Numbers = std::vector<std::optional<std::uint32_t>>;

class Store : public DatabaseTest {
  protected:
    std::unique_ptr<ProductionDatabase> Open(std::uint32_t first, const std::string& station) {
        std::string problem;
        auto database = OpenProductionDatabase(m_target, {station, "6.7.0", first}, problem);
        EXPECT_EQ(problem, "");
        return database;
    }
    std::unique_ptr<SqlConnection> Raw() {
        std::string reason;
        if (GetParam() == Backend::Sqlite) return SqliteConnection::Open(m_target, true, reason);
        return PostgresConnection::Open(m_target, true, reason);
    }
};

TEST_P(Store, GivesTheSmallestNumberBackFromFirstOnElseTheNext) {
    const auto bench = Open(1001, "bench-1");
    ASSERT_TRUE(bench);
    std::string problem;
    Numbers taken;
    for (int i = 0; i < 4; ++i) taken.push_back(bench->Reserve("COM1", problem));
    EXPECT_EQ(bench->GiveBack(1003), "");
    EXPECT_EQ(bench->GiveBack(1002), "");
    taken.push_back(bench->Reserve("COM1", problem));
    // A bench that starts higher leaves the numbers below its first alone, and the next
    // number goes on from the highest given.
    const auto higher = Open(2000, "bench-2");
    taken.push_back(higher->Reserve("COM2", problem));
    taken.push_back(bench->Reserve("COM1", problem));
    taken.push_back(bench->Reserve("COM1", problem));
    EXPECT_EQ(taken, (Numbers{1001, 1002, 1003, 1004, 1002, 2000, 1003, 2001}));
    EXPECT_EQ(problem, "");
    const auto last = Open(UINT32_MAX, "bench-3");
    EXPECT_EQ(last->Reserve("COM3", problem), UINT32_MAX);
    EXPECT_EQ(last->Reserve("COM3", problem), std::nullopt);
    EXPECT_EQ(problem, DatabaseName(m_target) + ": every number up to 4294967295 is used");
}

TEST_P(Store, RefusesTablesALaterVersionMade) {
    ASSERT_TRUE(Open(0, "bench-1"));
    ASSERT_EQ(Raw()->Execute("UPDATE tovrel_schema SET version = 2", {}), "");
    std::string problem;
    EXPECT_FALSE(OpenProductionDatabase(m_target, {"bench-1", "6.7.0", 0}, problem));
    EXPECT_EQ(problem, DatabaseName(m_target) +
                           ": its tables are of version 2, made by a later Tovrel; this one "
                           "knows version 1");
}

// What a child tells: that it is ready to take numbers, or a number kept for its board, or
// one about to go back.
enum Kind : std::uint32_t { kKept, kBack, kReady };
struct Told {
    pid_t pid;
    std::uint32_t number;
    Kind kind;
};

[[noreturn]] void TakeNumbersUntilKilled(const std::string& target, int out) {
    std::string problem;
    const auto store = OpenProductionDatabase(target, {"kill", "6.7.0", 1}, problem);
    const auto tell = [out](std::uint32_t number, Kind kind) {
        const Told told{getpid(), number, kind};
        if (write(out, &told, sizeof told) != sizeof told) _exit(1);
    };
    if (!store) _exit(1);
    tell(0, kReady);
    for (;;) {
        const std::optional<std::uint32_t> number = store->Reserve("COM1", problem);
        if (!number) _exit(1);
        // Every third goes back, told first: killed before it is back, it only stays unused.
        tell(*number, *number % 3 == 0 ? kBack : kKept);
        if (*number % 3 == 0 && !store->GiveBack(*number).empty()) _exit(1);
    }
}

// Four processes take numbers at once, one of them killed at a random moment twenty times (a
// new one starting each time): no number kept by one is ever given again, and a number is
// lost only with a kill.
TEST_P(Store, NoNumberTwiceWhileProcessesAreKilledTakingThem) {
    using Clock = std::chrono::steady_clock;
    ASSERT_TRUE(Open(1, "kill"));
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    // Each child is killed a random few numbers after it is ready, a random part of a
    // millisecond or more later, wherever it then is in its work.
    std::mt19937 random(23);
    std::uniform_int_distribution<int> numbers(0, 15), micros(0, 3000);
    struct Life {
        int numbers;
        Clock::time_point end = Clock::time_point::max();
    };
    std::map<pid_t, Life> children;
    const auto start = [&] {
        const pid_t pid = fork();
        if (pid == 0) {
            close(ends[0]);
            TakeNumbersUntilKilled(m_target, ends[1]);
        }
        children[pid] = {numbers(random)};
    };
    std::set<std::uint32_t> kept, seen;
    const auto heard = [&](const Told& told) {
        const auto child = children.find(told.pid);
        if (child != children.end() && child->second.numbers-- == 0) {
            child->second.end = Clock::now() + std::chrono::microseconds(micros(random));
        }
        if (told.kind == kReady) return;
        EXPECT_FALSE(kept.count(told.number)) << told.number << " given twice";
        if (told.kind == kKept) kept.insert(told.number);
        seen.insert(told.number);
    };
    for (int child = 0; child < 4; ++child) start();
    pollfd pipeEnd{ends[0], POLLIN, 0};
    for (int kills = 0; kills < 20 && !HasFailure();) {
        Told told{};
        if (poll(&pipeEnd, 1, 1) > 0 && read(ends[0], &told, sizeof told) == sizeof told) {
            heard(told);
        }
        // A child ends by itself only when the store refused it a number.
        int status = 0;
        if (const pid_t ended = waitpid(-1, &status, WNOHANG); ended > 0) {
            ADD_FAILURE() << "a child could not take a number: status " << status;
            children.erase(ended);
        }
        for (const auto& [pid, life] : std::map(children)) {
            if (Clock::now() < life.end) continue;
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            children.erase(pid);
            ++kills;
            start();
        }
    }
    for (const auto& child : children) {
        kill(child.first, SIGKILL);
        waitpid(child.first, nullptr, 0);
    }
    close(ends[1]);
    for (Told told{}; read(ends[0], &told, sizeof told) == sizeof told;) heard(told);
    close(ends[0]);
    ASSERT_GT(seen.size(), 20u);
    // The four still running at the end were killed too.
    EXPECT_LE(*seen.rbegin() - seen.size(), 24u);
    std::string problem;
    const std::optional<std::uint32_t> next = Open(1, "kill")->Reserve("COM1", problem);
    EXPECT_TRUE(next && !kept.count(*next)) << problem;
}

// On a real server the benches get only the rights docs/database.md gives: their tables made once
// by the line's owner, rows read and written by the bench's role, the record read by a reader.
class Rights : public Store {};

TEST_P(Rights, ABenchNeedsOnlySelectInsertAndUpdateAReaderOnlySelect) {
    ASSERT_TRUE(Open(1, "owner"));
    for (const char* grant :
         {"CREATE ROLE bench LOGIN", "CREATE ROLE reader LOGIN",
          "GRANT SELECT, INSERT, UPDATE ON tovrel_boards, tovrel_serials, tovrel_schema TO bench",
          "GRANT SELECT ON tovrel_boards TO reader"}) {
        ASSERT_EQ(Raw()->Execute(grant, {}), "");
    }
    const std::string as = m_target.substr(0, m_target.find("&user=")) + "&user=";
    std::string problem;
    const auto bench = OpenProductionDatabase(as + "bench", {"bench-1", "6.7.0", 1}, problem);
    ASSERT_TRUE(bench) << problem;
    BoardResult board;
    board.serial = bench->Reserve("COM1", problem);
    EXPECT_EQ(board.serial, 1u) << problem;
    EXPECT_EQ(bench->Record(board), "");
    const auto reader = OpenRecordReader(as + "reader", problem);
    ASSERT_TRUE(reader) << problem;
    EXPECT_EQ(reader->Rows({}, problem).value_or(std::vector<RecordRow>()).size(), 1u) << problem;
    EXPECT_EQ(reader->TotalsSince("1970-01-01", problem).value_or(LineTotals()).boards, 1)
        << problem;
}

INSTANTIATE_TEST_SUITE_P(Both, Store, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         BackendName);
INSTANTIATE_TEST_SUITE_P(Server, Rights, ::testing::Values(Backend::Postgres), BackendName);

}  // namespace
}  // namespace tovrel::testing
