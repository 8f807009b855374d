#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace marlo {

using SettingValues = std::vector<std::pair<std::string, std::string>>;

// The per-user settings store: texts by application, section and key.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual std::optional<std::string> Read(const std::string& application,
                                            const std::string& section,
                                            const std::string& key) const = 0;
    virtual void Write(const std::string& application, const std::string& section,
                       const std::string& key, const std::string& value) = 0;
    // Several keys of one section at once (key, value): a store kept in a file writes it once.
    virtual void WriteAll(const std::string& application, const std::string& section,
                          const SettingValues& values) {
        for (const auto& [key, value] : values) {
            Write(application, section, key, value);
        }
    }

    std::string ReadOr(const std::string& application, const std::string& section,
                       const std::string& key, const std::string& fallback) const {
        return Read(application, section, key).value_or(fallback);
    }
};

// Keeps the settings in memory only.
class MemorySettingsStore final : public SettingsStore {
public:
    std::optional<std::string> Read(const std::string& application, const std::string& section,
                                    const std::string& key) const override {
        auto found = values_.find(application + "/" + section + "/" + key);
        if (found == values_.end()) {
            return std::nullopt;
        }
        return found->second;
    }
    void Write(const std::string& application, const std::string& section, const std::string& key,
               const std::string& value) override {
        values_[application + "/" + section + "/" + key] = value;
    }

private:
    std::map<std::string, std::string> values_;
};

}  // namespace marlo
