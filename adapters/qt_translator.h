#pragma once

#include "core/translator.h"

namespace tovrel {

// The translation tables installed in the Qt application (QCoreApplication::translate, context
// "Tovrel"); with no translator installed every text comes back unchanged.
class QtTranslator : public Translator {
  public:
    std::string Translate(const char* text) const override;
};

}  // namespace tovrel
