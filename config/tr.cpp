#include "config/tr.h"

#include <QCoreApplication>
#include <QString>
#include <string_view>

namespace tovrel {
namespace {

constexpr std::string_view kPlaceholder = "%1";

}  // namespace

std::string Tr(const char* text) {
    return QCoreApplication::translate(kTranslationContext, text).toStdString();
}

std::string Tr(const char* text, const std::string& argument) {
    std::string result = Tr(text);
    const std::size_t at = result.find(kPlaceholder);
    if (at != std::string::npos) result.replace(at, kPlaceholder.size(), argument);
    return result;
}

}  // namespace tovrel
