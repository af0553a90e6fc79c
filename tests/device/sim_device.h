#pragma once

#include <gtest/gtest.h>

#include <filesystem>

#include "adapters/qt_serial_port.h"
#include "link/link.h"
#include "link/reset.h"
#include "tests/support/link_fixture.h"
#include "tests/support/sim_process.h"

namespace tovrel::testing {

// The program's own link (real QSerialPort) to a fresh simulated device. The profiles in
// Configuration/ are copied beside every executable of the build, so the test's own folder
// serves as the program folder.
class SimDevice : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(sim.Started()) << sim.Error();
        LoadDefaultData(settings);
        host.folder = std::filesystem::read_symlink("/proc/self/exe").parent_path().string();
        ASSERT_TRUE(OpenCommPort(link));
    }
    void TearDown() override { CloseCommPort(link); }
    // Identifies the device and loads its profile, as every command starts.
    void Identify() { ASSERT_TRUE(Reset(link)) << "no identification from the simulator"; }
    // The device's memory as the simulator saved it after its last change.
    SimState State() const { return ReadSimState(dir.File("state")).value_or(SimState{}); }
    // What the device received after the reset message, ended first so the trace is whole.
    std::vector<TraceEntry> Received() {
        sim.Stop();
        std::vector<TraceEntry> received = ReadTrace(dir.File("trace"));
        std::erase_if(received, [](const TraceEntry& e) {
            return e.direction != TraceEntry::Direction::Rx || e.kind == "ID";
        });
        return received;
    }

    TempDir dir;
    SimProcess sim{{"--trace", dir.File("trace"), "--state", dir.File("state")}};
    Settings settings;
    QtSerialPort port;
    FakeHost host;
    RecordingProgressBar progress;
    Link link{settings, port, host, [this](int) { return sim.Path(); }};
};

}  // namespace tovrel::testing
