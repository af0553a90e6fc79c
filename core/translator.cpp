#include "core/translator.h"

#include <string_view>

namespace tovrel {
namespace {

constexpr std::string_view kPlaceholder = "%1";

}  // namespace

std::string Fill(std::string text, const std::string& argument) {
    const std::size_t at = text.find(kPlaceholder);
    if (at != std::string::npos) text.replace(at, kPlaceholder.size(), argument);
    return text;
}

std::string Tr(const Translator& translator, const char* text, const std::string& argument) {
    return Fill(translator.Translate(text), argument);
}

}  // namespace tovrel
