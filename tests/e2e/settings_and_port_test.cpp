#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "config/qt_settings_store.h"
#include "link/qt_serial_port.h"
#include "tests/e2e/tovrel_process.h"
#include "tests/support/fake_host.h"
#include "tests/support/fake_serial_port.h"
#include "tests/support/sim_process.h"
#include "workflow/tovrel_form.h"

namespace tovrel::testing {
namespace {

const std::string kHex = std::string(TOVREL_EXAMPLES) + "/blinky.hex";

std::string ReadWhole(const std::string& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

TEST(SettingsFile, CommandLineRunSavesWhatAnInteractiveStartLoads) {
    TempDir dir;
    SimProcess sim({"--state", dir.File("state")});
    ASSERT_TRUE(sim.Started()) << sim.Error();
    const std::string config = dir.File("config");
    const ProgramRun run =
        RunTovrel({kHex, "/V", "/R:E000", "/T:0"},
                  {{"HOME", dir.Path()}, {"XDG_CONFIG_HOME", config}, {"TOVREL_COM1", sim.Path()}});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string file = ReadWhole(config + "/Tovrel/Tovrel.conf");
    EXPECT_NE(file.find("[8051]"), std::string::npos) << file;
    EXPECT_NE(file.find("VerifyAfterDownload=True"), std::string::npos) << file;
    EXPECT_NE(file.find("RunAddress=57344"), std::string::npos) << file;
    EXPECT_NE(file.find("fcore=11059200"), std::string::npos) << file;

    // The same file, read by an interactive start in this process.
    ASSERT_EQ(setenv("XDG_CONFIG_HOME", config.c_str(), 1), 0);
    FakeHost host;
    host.folder = dir.Path();  // no profiles here: identification is not the point
    FakeSerialPort port;
    port.respond = [](const Bytes&) { return FakeReply{}; };  // nobody answers
    QtSettingsStore store;
    TovrelForm form(host, port, store);
    form.Form_Load();
    EXPECT_TRUE(form.settings().VerifyAfterDownload);
    EXPECT_TRUE(form.settings().RunAfterDownload);
    EXPECT_EQ(form.settings().RunAddress, 0xE000);
    EXPECT_EQ(form.panel().RunAddressTextbox.text, "E000");
    EXPECT_EQ(form.panel().FrequencyTextbox.text, "11.0592");
    unsetenv("XDG_CONFIG_HOME");
}

TEST(HeldPort, StartAndDownloadBothReportThePortAndNothingIsSent) {
    TempDir dir;
    SimProcess sim({"--trace", dir.File("trace")});
    ASSERT_TRUE(sim.Started()) << sim.Error();
    QtSerialPort holder;
    ASSERT_FALSE(holder.Open(sim.Path(), 9600));
    const ProgramRun run = RunTovrel({kHex}, {{"HOME", dir.Path()},
                                              {"XDG_CONFIG_HOME", dir.File("config")},
                                              {"TOVREL_COM1", sim.Path()}});
    holder.Close();
    const std::string held =
        "Error: Error encountered while Opening Port\n"
        "Warning: Com Port Already Open by another host\n";
    EXPECT_EQ(run.err, held + held);
    EXPECT_EQ(run.out, "\nConfiguration: COM1, 9600 baud\n");
    EXPECT_EQ(run.status, 1);
    sim.Stop();
    EXPECT_TRUE(ReadTrace(dir.File("trace")).empty());
}

}  // namespace
}  // namespace tovrel::testing
