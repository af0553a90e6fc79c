#pragma once

#include <string>

#include "core/progress.h"
#include "core/settings.h"
#include "link/link.h"
#include "tests/support/fake_host.h"
#include "tests/support/fake_serial_port.h"

namespace tovrel::testing {

// What a progress bar was last given: its range, its value and whether it shows.
struct RecordingProgressBar : ProgressSink {
    int max = -1, value = -1;
    bool visible = false;
    void Begin(int m) override { max = m, value = 0, visible = true; }
    void Step(int v) override { value = v; }
    void End() override { visible = false; }
};

// A fresh record with the start-up defaults, a fake device and a fake host, wired together.
struct LinkFixture {
    Settings settings;
    FakeSerialPort port;
    FakeHost host;
    Link link{settings, port, host, [](int n) { return "/dev/fakeCOM" + std::to_string(n); }};
    LinkFixture() { LoadDefaultData(settings); }
};

}  // namespace tovrel::testing
