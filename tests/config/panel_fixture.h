#pragma once

#include "config/configuration_panel.h"
#include "config/settings.h"
#include "tests/support/fake_host.h"

namespace tovrel::testing {

// A panel on a record holding the start-up defaults, filled once the way start-up fills it.
struct PanelFixture {
    Settings s;
    FakeHost host;
    ConfigurationPanel panel{s, host};

    PanelFixture() {
        LoadDefaultData(s);
        panel.FillCOMPortList();
    }
    void Fill() { panel.UpdateConfigurationWindow(); }
};

}  // namespace tovrel::testing
