#pragma once

#include <string>

namespace tovrel {

// The program's own texts (usage, notes, its own messages) are looked up in the translation
// tables of the context "Tovrel". The system's fixed texts (the loader's messages, the status
// log) never are: their wording is part of what the program promises.
inline constexpr const char* kTranslationContext = "Tovrel";

// Puts one of the program's own texts into the user's language. The logic only keeps the
// untranslated template; the host (the Qt adapter, or the identity when nothing is installed)
// translates it when it is shown.
class Translator {
  public:
    virtual ~Translator() = default;
    // The text in the user's language; the text itself when there is no translation.
    virtual std::string Translate(const char* text) const = 0;
};

// text with its first "%1" replaced by argument, byte for byte (a path stays as typed).
std::string Fill(std::string text, const std::string& argument);

// The translated text with its first "%1" replaced by argument.
std::string Tr(const Translator& translator, const char* text, const std::string& argument);

}  // namespace tovrel
