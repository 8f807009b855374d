#include "ui/qt_settings_store.h"

#include <QSettings>
#include <memory>

namespace marlo::ui {

namespace {
QString KeyPath(const std::string& section, const std::string& key) {
    return QString::fromStdString(section) + "/" + QString::fromStdString(key);
}

std::unique_ptr<QSettings> OpenSettings(const std::string& application) {
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                       QString::fromStdString(application));
}
}  // namespace

std::optional<std::string> QtSettingsStore::Read(const std::string& application,
                                                 const std::string& section,
                                                 const std::string& key) const {
    const QVariant value = OpenSettings(application)->value(KeyPath(section, key));
    if (!value.isValid()) {
        return std::nullopt;
    }
    return value.toString().toStdString();
}

void QtSettingsStore::Write(const std::string& application, const std::string& section,
                            const std::string& key, const std::string& value) {
    WriteAll(application, section, {{key, value}});
}

void QtSettingsStore::WriteAll(const std::string& application, const std::string& section,
                               const SettingValues& values) {
    const auto settings = OpenSettings(application);
    for (const auto& [key, value] : values) {
        settings->setValue(KeyPath(section, key), QString::fromStdString(value));
    }
    // The next start must find the choices even if this one ends abruptly. Each sync locks,
    // rewrites and flushes the whole file to disk: once for all of them.
    settings->sync();
}

}  // namespace marlo::ui
