#pragma once

#include <string>

namespace tovrel {

// The program's own texts (usage, notes, its own messages) go through the translation
// tables of the context "Tovrel"; with no translator installed they come back unchanged.
// The loader's fixed texts and the status log never go through here: their wording is
// part of what the program promises.
inline constexpr const char* kTranslationContext = "Tovrel";

std::string Tr(const char* text);

// Tr(text) with its first "%1" replaced by argument, byte for byte (a path stays as typed).
std::string Tr(const char* text, const std::string& argument);

}  // namespace tovrel
