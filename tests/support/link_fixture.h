#pragma once

#include <string>
#include <vector>

#include "core/settings.h"
#include "core/progress.h"
#include "link/link.h"
#include "tests/support/fake_host.h"
#include "tests/support/fake_serial_port.h"

namespace tovrel::testing {

// Records every progress-bar call as text, e.g. "show", "min 0", "max 3", "value 1", "hide".
class RecordingProgressBar : public ProgressBar {
public:
    std::vector<std::string> calls;
    bool visible = false;
    int min = 0, max = 0, value = 0;

    void ShowProgress() override { calls.push_back("show"); visible = true; }
    void HideProgress() override { calls.push_back("hide"); visible = false; }
    void SetProgressMin(int v) override { calls.push_back("min " + std::to_string(v)); min = v; }
    void SetProgressMax(int v) override { calls.push_back("max " + std::to_string(v)); max = v; }
    void SetProgressValue(int v) override {
        calls.push_back("value " + std::to_string(v));
        value = v;
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
