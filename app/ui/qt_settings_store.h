#pragma once

#include "platform/settings_store.h"

namespace marlo::ui {

// The per-user settings store over QSettings: one INI file per application in the user's
// configuration folder ($XDG_CONFIG_HOME/<application>.conf), sections as its groups.
class QtSettingsStore final : public SettingsStore {
public:
    std::optional<std::string> Read(const std::string& application, const std::string& section,
                                    const std::string& key) const override;
    void Write(const std::string& application, const std::string& section, const std::string& key,
               const std::string& value) override;
    void WriteAll(const std::string& application, const std::string& section,
                  const SettingValues& values) override;
};

}  // namespace marlo::ui
