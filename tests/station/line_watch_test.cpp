#include "station/line_watch.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace tovrel::testing {
namespace {

// The line's record: every reading counts one more board.
class CountingReader : public RecordReader {
  public:
    explicit CountingReader(std::atomic<long>& boards) : m_boards(boards) {}
    std::optional<std::vector<RecordRow>> Rows(const RecordQuery&, std::string&) override {
        return std::nullopt;
    }
    std::optional<LineTotals> TotalsSince(const std::string& day, std::string& problem) override {
        if (day != "2026-12-07") {
            problem = "asked for " + day;
            return std::nullopt;
        }
        const long boards = ++m_boards;
        return LineTotals{boards, boards - 1, 1};
    }

  private:
    std::atomic<long>& m_boards;
};

// The text once it differs from the one before, waiting for the watch's thread.
std::string Next(const LineWatch& watch, const std::string& before) {
    for (int wait = 0; wait < 5000 && watch.Text() == before; ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return watch.Text();
}

// A database that cannot be reached at first is tried again, and each board of the bench
// brings a fresh reading at once.
TEST(LineWatch, ReadsAgainAfterEachBoardAndOnceTheDatabaseIsBack) {
    std::atomic<long> boards{0};
    std::atomic<int> opened{0};
    LineWatch watch(
        "line.db",
        [&](std::string& problem) -> std::unique_ptr<RecordReader> {
            if (opened++ == 0) {
                problem = "line.db: database is locked";
                return nullptr;
            }
            return std::make_unique<CountingReader>(boards);
        },
        [] { return std::string("2026-12-07"); });
    const std::string failed = Next(watch, "line.db");
    EXPECT_EQ(failed, "line.db: database is locked");
    watch.BoardEnded({});
    EXPECT_EQ(Next(watch, failed), "Database line.db, the line today: 1 boards, 0 OK, 1 failed");
    watch.BoardEnded({});
    EXPECT_EQ(Next(watch, "Database line.db, the line today: 1 boards, 0 OK, 1 failed"),
              "Database line.db, the line today: 2 boards, 1 OK, 1 failed");
}

}  // namespace
}  // namespace tovrel::testing
