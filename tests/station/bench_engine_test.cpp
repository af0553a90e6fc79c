#include "station/bench_engine.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <thread>

#include "station/console_output.h"
#include "tests/workflow/form_fixture.h"

namespace tovrel::testing {
namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class StdThread : public WorkerThread {
  public:
    explicit StdThread(std::function<void()> job) : m_thread(std::move(job)) {}
    void Join() override {
        if (m_thread.joinable()) m_thread.join();
    }

  private:
    std::thread m_thread;
};

// The form test's folder (profile Zerk8WF, app.hex), a fake loader behind every port but the
// silent one, and what each device received.
class BenchRun : public FormTest {
  public:
    BenchServices Services(BenchOutput& output) {
        BenchServices services;
        services.startThread = [](std::function<void()> job) {
            return std::make_unique<StdThread>(std::move(job));
        };
        services.makePort = [this](const std::string& name) {
            auto port = std::make_unique<FakeSerialPort>();
            port->respond = [this, name, loader = FakeLoader{}](const Bytes& m) mutable {
                const Bytes reply = loader(m);
                const std::lock_guard<std::mutex> turn(m_mutex);
                m_received[name] = loader.received;
                return name == m_silent ? Bytes{} : reply;
            };
            return port;
        };
        services.store = &store;
        services.host.words = {"app.hex", "/V"};
        services.host.programFolder = ".";
        services.output = &output;
        return services;
    }
    BenchPlan Plan() const {
        BenchPlan plan;
        plan.ports = {{"COM1", 1, {}}, {"COM2", 2, {}}, {"/dev/x", 0, "/dev/x"}};
        plan.words = {"app.hex", "/V"};
        return plan;
    }

    std::string m_silent = "COM2";
    std::mutex m_mutex;
    std::map<std::string, std::string> m_received;
};

TEST_F(BenchRun, OnePortSilentTheOthersGetTheirNumbersInTheirOwnLines) {
    SerialNumberFile serials("serials.txt", 7);
    std::string reason;
    const auto log = ProductionLog::Open("log.csv", reason);
    std::ostringstream out, err;
    TextOutput text(out, err, true, true);
    BenchServices services = Services(text);
    services.production.serials = &serials;
    services.production.serialAt = 600;
    services.log = log.get();
    BenchEngine engine(Plan(), services);
    engine.Start();
    EXPECT_EQ(engine.Wait(), 1);

    std::vector<std::string> lines;
    std::istringstream stream(out.str());
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    ASSERT_GE(lines.size(), 3u);
    const std::regex own(R"((COM1|COM2|/dev/x): .*)");
    for (const std::string& line : lines) EXPECT_TRUE(std::regex_match(line, own)) << line;
    const std::regex ok(R"(RESULT OK, device Zerk8WF version 2\.05, serial [78], \d+\.\d s)");
    EXPECT_TRUE(std::regex_search(lines[lines.size() - 3], ok));
    EXPECT_EQ(lines[lines.size() - 2].substr(0, 55),
              "COM2: RESULT FAILED (reset), device -, serial -, 0.0 s");
    EXPECT_TRUE(std::regex_search(lines.back(), ok));
    EXPECT_NE(out.str().find("COM1: DOWNLOADING SERIAL NUMBER ["), std::string::npos);
    EXPECT_EQ(ReadAll("serials.txt"), "next 9\nfree\n");
    const std::string logText = ReadAll("log.csv");
    EXPECT_EQ(std::count(logText.begin(), logText.end(), '\n'), 4);
}

// The command fails before anything is erased: the board gets nothing but the resets, and the
// number it was given for the command goes back.
TEST_F(BenchRun, FailingUnitDataWritesNothingAndGivesTheNumberBack) {
    m_silent.clear();
    SerialNumberFile serials("serials.txt", 7);
    std::ostringstream out, err;
    TextOutput text(out, err, false, false);
    BenchServices services = Services(text);
    services.production.serials = &serials;
    services.production.serialAt = 600;
    services.production.unitData = "echo no such board >&2; exit 2";
    BenchPlan plan = Plan();
    plan.ports.resize(1);
    BenchEngine engine(plan, services);
    engine.Start();
    EXPECT_EQ(engine.Wait(), 1);
    EXPECT_EQ(m_received["COM1"], "R R");  // at start-up and in the download
    EXPECT_EQ(err.str(),
              "Warning: The unit-data command failed: echo no such board >&2; exit 2\n"
              "exit status 2\nno such board\n");
    EXPECT_EQ(ReadAll("serials.txt"), "next 8\nfree 7\n");
}

}  // namespace
}  // namespace tovrel::testing
