// The device-profile reader. The first byte picks the crystal setting the profile meets;
// the first line of the profile doubles as the text of the crystal frequency box.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/settings.h"
#include "fuzz/fuzz_support.h"
#include "link/device_profile.h"
#include "link/link.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tovrel;
    if (size == 0) return 0;
    constexpr int kCrystalChoices = 3;
    fuzzing::QuietHost host;
    fuzzing::ReplyPort port({});
    Settings settings;
    LoadDefaultData(settings);
    settings.XTAL = static_cast<std::int16_t>(data[0] % kCrystalChoices);
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    settings.FrequencyText = text.substr(0, text.find('\n'));
    Link link{settings, port, host, [](int) { return std::string("/dev/null"); }};
    LoadDeviceProfile(link, fuzzing::WriteInputFile(data + 1, size - 1));
    return 0;
}
