#include "adapters/win32_text.h"

namespace tovrel {
namespace {

class Win32Category : public std::error_category {
  public:
    const char* name() const noexcept override { return "win32"; }
    std::string message(int code) const override {
        return SystemMessage(static_cast<std::uint32_t>(code));
    }
};

}  // namespace

std::string SystemMessage(std::uint32_t code) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    if (length == 0 || text == nullptr) return "Windows error " + std::to_string(code);
    std::wstring message(text, length);
    LocalFree(text);
    while (!message.empty() &&
           (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' ')) {
        message.pop_back();
    }
    return Narrow(message);
}

std::error_code Win32Error(std::uint32_t code) {
    static const Win32Category category;
    return {static_cast<int>(code), category};
}

}  // namespace tovrel
