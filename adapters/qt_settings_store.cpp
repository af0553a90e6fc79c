#include "adapters/qt_settings_store.h"

#include <QFileInfo>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <cstdlib>
#include <memory>

namespace tovrel {
namespace {

QString Text(const std::string& text) { return QString::fromStdString(text); }

bool Unset(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr || *value == '\0';
}

}  // namespace

QtSettingsStore::QtSettingsStore() {
#ifndef _WIN32
    m_homeless = Unset("XDG_CONFIG_HOME") && Unset("HOME");
#endif
}

QtSettingsStore::~QtSettingsStore() {
    for (auto& [application, store] : m_stores) store->sync();
}

QSettings& QtSettingsStore::For(const std::string& application) const {
    std::unique_ptr<QSettings>& store = m_stores[application];
    if (!store) {
        store =
            std::make_unique<QSettings>(QSettings::UserScope, Text(application), Text(application));
    }
    return *store;
}

std::optional<std::string> QtSettingsStore::Flush() {
    if (m_homeless) return std::string();
    for (auto& [application, store] : m_stores) {
        store->sync();
        // The first error QSettings met stays its status (a damaged file read earlier, say),
        // so whether the file can be written is asked as well.
        if (store->status() == QSettings::AccessError || !store->isWritable()) {
            return store->fileName().toStdString();
        }
    }
    return std::nullopt;
}

std::string QtSettingsStore::Folder(const std::string& application) const {
    if (m_homeless) return {};
    return QFileInfo(For(application).fileName()).absolutePath().toStdString();
}

std::string QtSettingsStore::Read(const std::string& application, const std::string& section,
                                  const std::string& key, const std::string& defaultText) const {
    if (m_homeless) return defaultText;
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
    if (m_homeless) return;
    QSettings& store = For(application);
    store.beginGroup(Text(section));
    store.setValue(Text(key), Text(text));
    store.endGroup();
}

}  // namespace tovrel
