// The developer's bench end to end, against the simulated device: a read-back downloads to the
// same flash, and the program's trace shows what the device's own trace shows.
#include <gtest/gtest.h>

#include "testbed/processes.h"
#include "testbed/sim_files.h"
#include "testbed/temp_dir.h"
#include "testbed/wine_prefix.h"
#include "tests/faults/fault_case.h"

namespace tovrel::testing {
namespace {

using namespace testbed;

class DeveloperBench : public ::testing::Test {
  protected:
    // tovrel with words against a device whose memory lives in the file state; the device's
    // trace goes to sim-<n>.trace for the n-th run.
    ProgramRun Run(const std::string& state, std::vector<std::string> words) {
        const std::string trace = m_dir.Path("sim-" + std::to_string(++m_runs) + ".trace");
        SimProcess sim(ProgramFolder() + "/pellicon-sim",
                       {"--state", m_dir.Path(state), "--trace", trace});
        EXPECT_TRUE(sim.Started()) << sim.Error();
        if (m_wine != nullptr) {
            m_wine->Link(1, sim.Path());
            return m_wine->Run(m_wine->Command(WineProgram(), words), OwnEnvironment());
        }
        words.insert(words.begin(), ProgramFolder() + "/tovrel");
        return RunProgram(words, {{"TOVREL_COM1", sim.Path()},
                                  {"HOME", m_dir.Path()},
                                  {"XDG_CONFIG_HOME", m_dir.Path("config")}});
    }
    // A read-back to .hex: "back.hex" downloads to the same flash as the board holds.
    void ReadBackToHex() {
        ASSERT_EQ(Run("board", {TOVREL_EXAMPLES "/blinky.hex"}).status, 0);
        const std::string back = m_dir.Path("back.hex");
        const ProgramRun read = Run("board", {"--read", back, "--trace", m_dir.Path("read.trace")});
        EXPECT_EQ(read.status, 0) << read.err;
        EXPECT_NE(read.out.find("\nBaudrate = 115200... OK\nREADING CODE [" + back +
                                "]:..........OK\nBaudrate = 9600... OK\n"),
                  std::string::npos)
            << read.out;
        ASSERT_EQ(Run("copy", {back}).status, 0);
        EXPECT_EQ(Code("copy"), Code("board"));
    }
    Bytes Code(const std::string& state) const { return ReadSimState(m_dir.Path(state))->code; }

    TempDir m_dir;
    int m_runs = 0;
    WinePrefix* m_wine = nullptr;  // the Windows slice's: tovrel.exe under wine
};

// The same under wine, the device on COM1 through the prefix's link.
class WineDeveloperBench : public DeveloperBench {
  protected:
    void SetUp() override {
        if (WineProgram().empty()) GTEST_SKIP() << "TOVREL_WINE_PROGRAM names no tovrel.exe";
        std::string error;
        m_wine = SuiteWine(error);
        ASSERT_NE(m_wine, nullptr) << error;
    }
};

TEST_F(DeveloperBench, ReadBackDownloadsToTheSameFlashAndTheTraceMatchesTheDevices) {
    ReadBackToHex();
    ASSERT_EQ(Run("board", {"--read", m_dir.Path("back.bin")}).status, 0);
    const Bytes code = Code("board");
    EXPECT_EQ(m_dir.Read("back.bin"), std::string(code.begin(), code.end()));
    // Every message both ways, in order, with its kind and rate; RX and TX seen from each end.
    std::vector<TraceEntry> program = ReadTrace(m_dir.Path("read.trace"));
    for (TraceEntry& entry : program) entry.received = !entry.received;
    const std::vector<TraceEntry> device = ReadTrace(m_dir.Path("sim-2.trace"));
    ASSERT_EQ(program.size(), device.size());
    for (std::size_t i = 0; i < device.size(); ++i) {
        EXPECT_EQ(std::tie(program[i].received, program[i].bytes, program[i].kind, program[i].baud),
                  std::tie(device[i].received, device[i].bytes, device[i].kind, device[i].baud));
    }
}

TEST_F(WineDeveloperBench, ReadBackToHexDownloadsToTheSameFlash) { ReadBackToHex(); }

}  // namespace
}  // namespace tovrel::testing
