#pragma once

#include <string>
#include <vector>

#include "core/progress.h"
#include "core/settings.h"
#include "link/link.h"
#include "tests/support/fake_host.h"
#include "tests/support/fake_serial_port.h"

namespace tovrel::testing {

// Records what a progress bar is given, as text: "show", "min 0", "max 3", "value 0" for the
// beginning, "value 1" for each step, "hide" for the end.
class RecordingProgressBar : public ProgressSink {
  public:
    std::vector<std::string> calls;
    bool visible = false;
    int min = 0, max = 0, value = 0;

    void Begin(int m) override {
        calls.insert(calls.end(), {"show", "min 0", "max " + std::to_string(m), "value 0"});
        visible = true;
        min = value = 0;
        max = m;
    }
    void Step(int v) override {
        calls.push_back("value " + std::to_string(v));
        value = v;
    }
    void End() override {
        calls.push_back("hide");
        visible = false;
    }
};

// A fresh record with the start-up defaults, a fake device and a fake host, wired together.
struct LinkFixture {
    Settings settings;
    FakeSerialPort port;
    FakeHost host;
    Link link{settings, port, host, [](int n) { return "/dev/fakeCOM" + std::to_string(n); }};

    LinkFixture() {
        LoadDefaultData(settings);
        settings.FrequencyText = "11.0592";
    }
};

}  // namespace tovrel::testing
