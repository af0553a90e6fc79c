#include "core/settings.h"

#include <cctype>
#include <charconv>
#include <cstdint>
#include <optional>
#include <string_view>

#include "core/crystal.h"
#include "core/numbers.h"

namespace tovrel {
namespace {

template <typename Int>
std::optional<Int> ToInteger(std::string_view text) {
    text = TrimBlanks(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    Int value{};
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size() || text.empty()) {
        return std::nullopt;
    }
    return value;
}

std::optional<bool> ToBoolean(std::string_view text) {
    text = TrimBlanks(text);
    auto equalsIgnoringCase = [](std::string_view a, std::string_view b) {
        if (a.size() != b.size()) return false;
        for (std::size_t i = 0; i < a.size(); ++i) {
            if (std::tolower(static_cast<unsigned char>(a[i])) != b[i]) return false;
        }
        return true;
    };
    if (equalsIgnoringCase(text, "true")) return true;
    if (equalsIgnoringCase(text, "false")) return false;
    return std::nullopt;
}

std::string BooleanText(bool value) { return value ? "True" : "False"; }

// Reads and writes the persisted keys in one fixed order.
class Persistence {
  public:
    explicit Persistence(const SettingsStore& store) : m_store(store) {}

    template <typename Int>
    void Load(const char* key, Int& field, Int missing) const {
        const std::string text =
            m_store.Read(kSettingsApplication, kSettingsSection, key, std::to_string(missing));
        field = ToInteger<Int>(text).value_or(missing);
    }
    void Load(const char* key, bool& field, bool missing) const {
        const std::string text =
            m_store.Read(kSettingsApplication, kSettingsSection, key, BooleanText(missing));
        field = ToBoolean(text).value_or(missing);
    }

  private:
    const SettingsStore& m_store;
};

void Save(SettingsStore& store, const char* key, const std::string& text) {
    store.Save(kSettingsApplication, kSettingsSection, key, text);
}

std::string FrequencyText(std::int32_t fcore) {
    char buffer[64];
    auto [end, error] =
        std::to_chars(buffer, buffer + sizeof buffer, fcore / kHzPerMHz, std::chars_format::fixed);
    return error == std::errc{} ? std::string(buffer, end) : std::string("0");
}

}  // namespace

void LoadDefaultData(Settings& s) {
    s.Comport = 1;
    s.PCBaudrate = 9600;
    s.XTAL = 4;
    s.EraseMode = true;
    s.DownloadMode = 1;
    s.LockMode = false;
    s.SecureMode = false;
    s.SerialSafeMode = false;
    s.RunAddress = 0;
    s.RunAfterDownload = false;
    s.VerifyAfterDownload = false;
    s.Bootload = false;
    s.SecurityBitsOption = true;
    s.FastBaudrateOption = true;
    s.VerifyAfterDownloadOption = true;
    s.BootloadOption = true;
    s.ClkAdjust = 1;
    s.CodeSize = 63488;
}

std::string LoadSavedData(Settings& s, const SettingsStore& store) {
    const Persistence p(store);
    p.Load<std::int16_t>("Comport", s.Comport, 1);
    if (s.Comport < kFirstComport || s.Comport > kLastComport) s.Comport = 1;
    p.Load<std::int32_t>("PCBaudrate", s.PCBaudrate, 9600);
    p.Load<std::int16_t>("XTAL", s.XTAL, 4);
    p.Load("EraseMode", s.EraseMode, true);
    p.Load<std::int16_t>("DownloadMode", s.DownloadMode, 1);
    p.Load("LockMode", s.LockMode, false);
    p.Load("SecureMode", s.SecureMode, false);
    p.Load("SerialSafeMode", s.SerialSafeMode, false);
    p.Load<std::int32_t>("RunAddress", s.RunAddress, 0);
    p.Load("RunAfterDownload", s.RunAfterDownload, false);
    p.Load("VerifyAfterDownload", s.VerifyAfterDownload, false);
    p.Load("GenVerifyFiles", s.GenVerifyFiles, false);
    p.Load("Bootload", s.Bootload, false);
    p.Load("SecurityBitsOption", s.SecurityBitsOption, true);
    p.Load("FastBaudrateOption", s.FastBaudrateOption, true);
    p.Load("VerifyAfterDownloadOption", s.VerifyAfterDownloadOption, true);
    p.Load("BootloadOption", s.BootloadOption, true);
    p.Load<std::int32_t>("fcore", s.fcore, 0);
    return FrequencyText(s.fcore);
}

void SaveSavedData(const Settings& s, SettingsStore& store) {
    Save(store, "Comport", std::to_string(s.Comport));
    Save(store, "PCBaudrate", std::to_string(s.PCBaudrate));
    Save(store, "XTAL", std::to_string(s.XTAL));
    Save(store, "EraseMode", BooleanText(s.EraseMode));
    Save(store, "DownloadMode", std::to_string(s.DownloadMode));
    Save(store, "LockMode", BooleanText(s.LockMode));
    Save(store, "SecureMode", BooleanText(s.SecureMode));
    Save(store, "SerialSafeMode", BooleanText(s.SerialSafeMode));
    Save(store, "RunAddress", std::to_string(s.RunAddress));
    Save(store, "RunAfterDownload", BooleanText(s.RunAfterDownload));
    Save(store, "VerifyAfterDownload", BooleanText(s.VerifyAfterDownload));
    Save(store, "GenVerifyFiles", BooleanText(s.GenVerifyFiles));
    Save(store, "Bootload", BooleanText(s.Bootload));
    Save(store, "SecurityBitsOption", BooleanText(s.SecurityBitsOption));
    Save(store, "FastBaudrateOption", BooleanText(s.FastBaudrateOption));
    Save(store, "VerifyAfterDownloadOption", BooleanText(s.VerifyAfterDownloadOption));
    Save(store, "BootloadOption", BooleanText(s.BootloadOption));
    Save(store, "fcore", std::to_string(s.fcore));
}

}  // namespace tovrel
