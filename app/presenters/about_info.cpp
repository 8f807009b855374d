#include "presenters/about_info.h"

#include "state/paths.h"
#include "text/catalogue.h"

namespace marlo {

namespace {

constexpr const char* kApplicationTitle = "Marlo";
constexpr const char* kRightsLine = "Copyright (C) 2026 Marlo developers";
constexpr const char* kEmailLine = "e-mail: marlo@example.org";
constexpr const char* kCreditLine = "Tiff Lib - Pelcor developers";

constexpr const char* kToolKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
constexpr const char* kToolValue = "PATH";
constexpr const char* kToolFolderKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
constexpr const char* kToolFolderValue = "MSINFO";
constexpr const char* kToolFileName = "MSINFO32.EXE";

// A DWORD's bytes, least significant first, as their decimal value. Every byte counts with
// both of its hexadecimal digits, so that a zero byte inside the number is not lost; only the
// four bytes of a DWORD are read.
std::string DwordText(const std::string& bytes) {
    std::uint32_t value = 0;
    const std::size_t count = bytes.size() < 4 ? bytes.size() : 4;
    for (std::size_t i = count; i-- > 0;) {
        value = (value << 8) | static_cast<unsigned char>(bytes[i]);
    }
    return std::to_string(value);
}

}  // namespace

std::string AboutCaption() {
    return std::string("About ") + kApplicationTitle;
}

std::string AboutTitle() {
    return std::string(kApplicationTitle) + " beta " + std::to_string(MARLO_VERSION_MAJOR) + "." +
           std::to_string(MARLO_VERSION_MINOR) + "." + std::to_string(MARLO_VERSION_REVISION);
}

std::string AboutDescription() {
    return std::string(kRightsLine) + kCrLf + kEmailLine + kCrLf +
           MessageText(msg::CommentsWelcome) + kCrLf + kCrLf + kCreditLine;
}

bool GetKeyValue(Registry& registry, std::uint32_t KeyRoot, const std::string& KeyName,
                 const std::string& SubKeyRef, std::string& KeyVal) {
    Registry::Key key = 0;
    if (!registry.OpenKey(KeyRoot, KeyName, registry::KEY_ALL_ACCESS, key)) {
        KeyVal.clear();
        registry.CloseKey(key);
        return false;
    }
    std::string buffer(registry::kValueBufferSize, '\0');
    std::uint32_t size = registry::kValueBufferSize;
    std::uint32_t type = 0;
    if (!registry.QueryValue(key, SubKeyRef, type, buffer, size)) {
        KeyVal.clear();
        registry.CloseKey(key);
        return false;
    }
    if (size > buffer.size()) {
        size = static_cast<std::uint32_t>(buffer.size());
    }
    // A value stored with its terminating NUL loses exactly that NUL.
    const std::size_t kept = (size > 0 && buffer[size - 1] == '\0') ? size - 1 : size;
    const std::string value = buffer.substr(0, kept);
    if (type == registry::REG_SZ) {
        KeyVal = value;
    } else if (type == registry::REG_DWORD) {
        KeyVal = DwordText(value);
    }
    registry.CloseKey(key);
    return true;
}

void StartSysInfo(const SystemInformationTool& tool) {
    try {
        std::string path;
        if (GetKeyValue(tool.registry, registry::HKEY_LOCAL_MACHINE, kToolKey, kToolValue, path)) {
            tool.startProgram(path);
            return;
        }
        std::string folder;
        if (GetKeyValue(tool.registry, registry::HKEY_LOCAL_MACHINE, kToolFolderKey,
                        kToolFolderValue, folder)) {
            path = JoinPath(folder, kToolFileName);
            if (tool.fileExists(path)) {
                tool.startProgram(path);
                return;
            }
        }
    } catch (...) {
        // Whatever goes wrong on the way ends in the same message as a tool not found.
    }
    tool.ui.ShowMessage(kSystemInfoUnavailable, MessageIcon::None);
}

}  // namespace marlo
