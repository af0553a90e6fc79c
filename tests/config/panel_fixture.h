#pragma once

#include "config/configuration_panel.h"
#include "core/settings.h"
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

inline ShownMessage FrequencyError(const std::string& text) {
    return {"'" + text +
                "' is not a valid input for the Other Crystal Frequency (Mhz). Please enter a "
                "valid decimal number.\r\n\r\ne.g. Use '11.095' instead of '11095200'.",
            "Tovrel"};
}

}  // namespace tovrel::testing
