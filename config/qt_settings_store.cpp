#include "config/qt_settings_store.h"

#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace tovrel {
namespace {

QString Text(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

std::string QtSettingsStore::Read(const std::string& application, const std::string& section,
                                  const std::string& key, const std::string& defaultText) const {
    QSettings store(QSettings::UserScope, Text(application), Text(application));
    store.beginGroup(Text(section));
    const QVariant value = store.value(Text(key));
    if (!value.isValid()) return defaultText;
    // An unquoted comma in a hand-edited file makes the value a list: take it back as typed.
    if (value.typeId() == QMetaType::QStringList) {
        return value.toStringList().join(QStringLiteral(", ")).toStdString();
    }
    return value.toString().toStdString();
}

void QtSettingsStore::Save(const std::string& application, const std::string& section,
                           const std::string& key, const std::string& text) {
    QSettings store(QSettings::UserScope, Text(application), Text(application));
    store.beginGroup(Text(section));
    store.setValue(Text(key), Text(text));
    store.endGroup();
    store.sync();
}

}  // namespace tovrel
