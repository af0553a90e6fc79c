// The port's device beside the port list, and the "Device..." button that maps a COMn to a
// serial device of this computer.
#include "config/configuration_panel.h"

namespace tovrel {

std::vector<DetectedPort> ConfigurationPanel::DetectedPorts() const {
    return portFinder != nullptr ? portFinder->Find() : std::vector<DetectedPort>();
}

void ConfigurationPanel::DeviceButton_Click(const DetectedPort& chosen) {
    ChangeScope scope(*this);
    m_portChoices[COMPortListIndex + 1] = chosen.PathToKeep();
    UpdatePortDevice();
}

void ConfigurationPanel::ForgetPortChoices() {
    ChangeScope scope(*this);
    m_portChoices.clear();
    UpdatePortDevice();
}

PortMapping ConfigurationPanel::ChosenPortMapping() const {
    const int comport = COMPortListIndex + 1;
    if (!mapPort || comport < kFirstComport || comport > kLastComport) return {};
    const PortMapping mapping = mapPort(comport);
    // The environment wins over the settings, a choice made here included.
    const auto chosen = m_portChoices.find(comport);
    if (chosen == m_portChoices.end() || mapping.source == PortSource::Environment) return mapping;
    return {chosen->second, PortSource::Settings};
}

void ConfigurationPanel::UpdatePortDevice() {
    const int comport = COMPortListIndex + 1;
    const PortMapping mapping = ChosenPortMapping();
    if (mapping.path.empty()) {
        PortDeviceLbl.clear();
        return;
    }
    std::string text = mapping.path;
    for (const DetectedPort& port : DetectedPorts()) {
        if (port.OpensAt(mapping.path) && port.usb) {
            text = PortDescription(port) + " (" + port.device + ")";
        }
    }
    if (portFinder != nullptr && !portFinder->Exists(mapping.path)) {
        text = Tr(m_host, "%1 (no such device)", mapping.path);
    }
    if (mapping.source == PortSource::Environment) {
        text += " (" + Tr(m_host, "set by %1", PortVariable(comport)) + ")";
    }
    PortDeviceLbl = text;
}

}  // namespace tovrel
