#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/user_interaction.h"

namespace marlo {

// The About window's texts; only the description depends on the interface language.
std::string AboutCaption();      // "About Marlo"
std::string AboutTitle();        // "Marlo beta <major>.<minor>.<revision>"
std::string AboutDescription();  // rights, e-mail, message 31, an empty line, credit; CR LF
inline constexpr const char* kAboutLinkToolTip = "Click to open page...";
inline constexpr const char* kSystemInfoUnavailable =
    "System Information Is Unavailable At This Time";

namespace registry {
constexpr std::uint32_t HKEY_LOCAL_MACHINE = 0x80000002;
constexpr std::uint32_t KEY_ALL_ACCESS = 0x2003F;
constexpr std::uint32_t REG_SZ = 1;
constexpr std::uint32_t REG_DWORD = 4;
constexpr std::size_t kValueBufferSize = 1024;
}  // namespace registry

// The system registry as the System Information lookup reads it.
class Registry {
public:
    using Key = std::uintptr_t;
    virtual ~Registry() = default;
    // False when the key cannot be opened.
    virtual bool OpenKey(std::uint32_t root, const std::string& keyName, std::uint32_t access,
                         Key& key) = 0;
    // Copies the value's bytes into `buffer` (not beyond its size) and gives its type and the
    // number of bytes it takes, its terminating NUL included when stored with one. False when
    // there is no such value or it does not fit.
    virtual bool QueryValue(Key key, const std::string& valueName, std::uint32_t& type,
                            std::string& buffer, std::uint32_t& size) = 0;
    virtual void CloseKey(Key key) = 0;
};

// Linux has no registry: no key is ever found.
class NoRegistry final : public Registry {
public:
    bool OpenKey(std::uint32_t, const std::string&, std::uint32_t, Key&) override { return false; }
    bool QueryValue(Key, const std::string&, std::uint32_t&, std::string&,
                    std::uint32_t&) override {
        return false;
    }
    void CloseKey(Key) override {}
};

// Reads one registry value as text: a string as it stands, a DWORD as its decimal value.
// Other types leave KeyVal as passed. False (and KeyVal empty) when the key or value is missing.
bool GetKeyValue(Registry& registry, std::uint32_t KeyRoot, const std::string& KeyName,
                 const std::string& SubKeyRef, std::string& KeyVal);

// What starting the System Information tool needs of the system.
struct SystemInformationTool {
    Registry& registry;
    UserInteraction& ui;
    std::function<bool(const std::string&)> fileExists;
    std::function<void(const std::string&)> startProgram;
};

// Finds the System Information tool through the registry and starts it, or says that it is
// unavailable.
void StartSysInfo(const SystemInformationTool& tool);

}  // namespace marlo
