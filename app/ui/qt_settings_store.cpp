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
    const auto settings = OpenSettings(application);
    settings->setValue(KeyPath(section, key), QString::fromStdString(value));
    // The next start must find the choice even if this one ends abruptly.
    settings->sync();
}

}  // namespace marlo::ui
