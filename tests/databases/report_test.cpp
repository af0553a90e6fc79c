// --report and --history over a known record: two days, two stations, boards tried again,
// rows without numbers, fields that need quoting.
#include <chrono>

#include "databases/open_database.h"
#include "testbed/processes.h"
#include "tests/databases/database_fixture.h"

namespace tovrel::testing {
namespace {

using namespace std::chrono;
using testbed::ProgramFolder;

struct Row {
    int day, hour;
    const char* station;
    const char* port;
    BoardOutcome outcome;
    BoardStep step;
    std::optional<std::uint32_t> serial;
    std::string device = "Zerk8QA version 2.05";
    double seconds = 5.94;
};

using enum BoardOutcome;
using enum BoardStep;
const std::vector<Row> kRecord{
    {6, 8, "bench-1", "COM1", OK, None, 1001},
    {6, 9, "bench-1", "COM2", Failed, Code, {}},
    {6, 10, "bench-1", "COM1", Failed, Serial, 1002},
    {6, 11, "bench-1", "COM1", OK, None, 1002},  // tried again: not a first pass
    {6, 8, "bench-2", "COM1", Interrupted, Verify, {}},
    {6, 9, "bench-2", "COM1", Failed, Code, {}},
    {6, 10, "bench-2", "COM1", Failed, Verify, {}},
    {6, 11, "bench-2", "/dev/ttyUSB0", OK, None, 1003, "Zerk8QA, \"rev b\"", 12.0},
    {7, 7, "bench-1", "COM1", Failed, Reset, {}, ""},
    {7, 8, "bench-1", "COM1", Failed, Verify, 1004},
    {7, 9, "bench-2", "COM1", OK, None, 1002},  // the third try, a day later
};

class Report : public DatabaseTest {
  protected:
    void SetUp() override {
        DatabaseTest::SetUp();
        std::map<std::string, std::unique_ptr<ProductionDatabase>> stations;
        for (const Row& row : kRecord) {
            std::unique_ptr<ProductionDatabase>& store = stations[row.station];
            std::string problem;
            if (!store)
                store = OpenProductionDatabase(m_target, {row.station, "6.7.0", 0}, problem);
            ASSERT_TRUE(store) << problem;
            BoardResult r{
                row.port,   row.outcome, row.step,
                row.device, row.serial,  "app.hex",
                0x11D00,    row.seconds, sys_days{year{2026} / 12 / row.day} + hours{row.hour}};
            if (row.step == Reset) r.checksum.reset();
            ASSERT_EQ(store->Record(r), "");
        }
    }
    std::string Asked(std::vector<std::string> words, int status = 0) {
        words.insert(words.begin(), {ProgramFolder() + "/tovrel", "--db", m_target});
        const testbed::ProgramRun run =
            testbed::RunProgram(words, ProgramEnvironment(m_dir.Path()));
        EXPECT_EQ(run.status, status) << run.err;
        return run.out;
    }
};

TEST_P(Report, ByDayAndStationAndBoardByBoard) {
    EXPECT_EQ(Asked({"--report"}),
              "2026-12-06 bench-1: 4 boards, 2 OK, 2 failed, first-pass yield 33.3 %, failed "
              "steps: code 1, serial 1\n"
              "2026-12-06 bench-2: 4 boards, 1 OK, 3 failed, first-pass yield 25.0 %, failed "
              "steps: verify 2, code 1\n"
              "2026-12-07 bench-1: 2 boards, 0 OK, 2 failed, first-pass yield 0.0 %, failed "
              "steps: reset 1, verify 1\n"
              "2026-12-07 bench-2: 1 boards, 1 OK, 0 failed, first-pass yield -\n");
    // A board's first try is the first the report reads.
    EXPECT_EQ(Asked({"--report", "--since", "2026-12-07", "--station", "bench-2", "--json"}),
              "{\"day\": \"2026-12-07\", \"station\": \"bench-2\", \"boards\": 1, \"ok\": 1, "
              "\"failed\": 0, \"first_pass_yield\": 1.000, \"failed_steps\": {}}\n");
    EXPECT_EQ(Asked({"--json", "--report", "--since", "2026-12-07"}).substr(0, 149),
              "{\"day\": \"2026-12-07\", \"station\": \"bench-1\", \"boards\": 2, \"ok\": 0, "
              "\"failed\": 2, \"first_pass_yield\": 0.000, \"failed_steps\": {\"reset\": 1, "
              "\"verify\": 1}}\n");
    EXPECT_EQ(Asked({"--report", "--since", "2026-12-08"}), "");
    // Every row of a board, oldest first, as the CSV log has them with station and version.
    EXPECT_EQ(Asked({"--history", "1002"}),
              "time,port,result,step,device,serial,file,checksum,seconds,station,version\n"
              "2026-12-06T10:00:00Z,COM1,FAILED,serial,Zerk8QA version "
              "2.05,1002,app.hex,11D00,5.9,bench-1,6.7.0\n"
              "2026-12-06T11:00:00Z,COM1,OK,,Zerk8QA version 2.05,1002,app.hex,11D00,5.9,bench-1,"
              "6.7.0\n"
              "2026-12-07T09:00:00Z,COM1,OK,,Zerk8QA version 2.05,1002,app.hex,11D00,5.9,bench-2,"
              "6.7.0\n");
    EXPECT_EQ(Asked({"--history=1003", "--json"}),
              "{\"time\": \"2026-12-06T11:00:00Z\", \"port\": \"/dev/ttyUSB0\", \"result\": "
              "\"OK\", \"step\": null, \"device\": \"Zerk8QA, \\\"rev b\\\"\", \"serial\": 1003, "
              "\"file\": \"app.hex\", \"checksum\": \"11D00\", \"seconds\": 12.0, \"station\": "
              "\"bench-2\", \"version\": \"6.7.0\"}\n");
    EXPECT_EQ(Asked({"--history", "1003"}).substr(74),
              "2026-12-06T11:00:00Z,/dev/ttyUSB0,OK,,\"Zerk8QA, \"\"rev b\"\"\",1003,app.hex,11D00,"
              "12.0,bench-2,6.7.0\n");
    EXPECT_EQ(Asked({"--history", "9999"}), "");
}

INSTANTIATE_TEST_SUITE_P(Both, Report, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         BackendName);

}  // namespace
}  // namespace tovrel::testing
