#include "adapters/qt_settings_store.h"

#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>

namespace tovrel {
namespace {

QString Text(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

QtSettingsStore::QtSettingsStore() = default;

QtSettingsStore::~QtSettingsStore() { Flush(); }

QSettings& QtSettingsStore::For(const std::string& application) const {
    std::unique_ptr<QSettings>& store = m_stores[application];
    if (!store) {
        store = std::make_unique<QSettings>(QSettings::UserScope, Text(application),
                                            Text(application));
    }
    return *store;
}

void QtSettingsStore::Flush() {
    for (auto& [application, store] : m_stores) store->sync();
}

std::string QtSettingsStore::Read(const std::string& application, const std::string& section,
                                  const std::string& key, const std::string& defaultText) const {
    QSettings& store = For(application);
    store.beginGroup(Text(section));
    const QVariant value = store.value(Text(key));
    store.endGroup();
    if (!value.isValid()) return defaultText;
    // An unquoted comma in a hand-edited file makes the value a list: take it back as typed.
    if (value.typeId() == QMetaType::QStringList) {
        return value.toStringList().join(QStringLiteral(", ")).toStdString();
    }
    return value.toString().toStdString();
}

void QtSettingsStore::Save(const std::string& application, const std::string& section,
                           const std::string& key, const std::string& text) {
    QSettings& store = For(application);
    store.beginGroup(Text(section));
    store.setValue(Text(key), Text(text));
    store.endGroup();
}

}  // namespace tovrel
