#include "adapters/qt_translator.h"

#include <QCoreApplication>
#include <QString>

namespace tovrel {

std::string QtTranslator::Translate(const char* text) const {
    return QCoreApplication::translate(kTranslationContext, text).toStdString();
}

}  // namespace tovrel
