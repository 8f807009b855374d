#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "presenters/about_info.h"
#include "support/scripted_user.h"

namespace marlo {
namespace {

// A registry holding the values a test puts in it, stored as the system stores them.
class FakeRegistry final : public Registry {
public:
    struct Value {
        std::uint32_t type;
        std::string bytes;
    };
    std::map<std::string, std::map<std::string, Value>> keys;
    int openKeys = 0;

    bool OpenKey(std::uint32_t root, const std::string& keyName, std::uint32_t access,
                 Key& key) override {
        EXPECT_EQ(root, registry::HKEY_LOCAL_MACHINE);
        EXPECT_EQ(access, registry::KEY_ALL_ACCESS);
        const auto found = keys.find(keyName);
        if (found == keys.end()) {
            return false;
        }
        opened_ = &found->second;
        key = 1;
        ++openKeys;
        return true;
    }
    bool QueryValue(Key, const std::string& valueName, std::uint32_t& type, std::string& buffer,
                    std::uint32_t& size) override {
        const auto found = opened_->find(valueName);
        if (found == opened_->end() || found->second.bytes.size() > buffer.size()) {
            return false;
        }
        type = found->second.type;
        size = static_cast<std::uint32_t>(found->second.bytes.size());
        buffer.replace(0, found->second.bytes.size(), found->second.bytes);
        return true;
    }
    void CloseKey(Key key) override {
        if (key != 0) {
            --openKeys;
        }
    }

private:
    std::map<std::string, Value>* opened_ = nullptr;
};

constexpr const char* kToolKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
constexpr const char* kFolderKey = "SOFTWARE\\Microsoft\\Shared Tools Location";

std::string Read(FakeRegistry& registry, const std::string& value, bool* found = nullptr) {
    std::string text = "as passed";
    const bool ok = GetKeyValue(registry, registry::HKEY_LOCAL_MACHINE, kToolKey, value, text);
    if (found != nullptr) {
        *found = ok;
    }
    EXPECT_EQ(registry.openKeys, 0);
    return text;
}

TEST(GetKeyValue, StringLosesExactlyItsTerminatingNul) {
    FakeRegistry registry;
    registry.keys[kToolKey] = {{"WITH", {registry::REG_SZ, std::string("C:\\msinfo.exe\0", 14)}},
                               {"WITHOUT", {registry::REG_SZ, "C:\\msinfo.exe"}},
                               {"TWO", {registry::REG_SZ, std::string("ab\0\0", 4)}}};
    EXPECT_EQ(Read(registry, "WITH"), "C:\\msinfo.exe");
    EXPECT_EQ(Read(registry, "WITHOUT"), "C:\\msinfo.exe");
    EXPECT_EQ(Read(registry, "TWO"), std::string("ab\0", 3));
}

TEST(GetKeyValue, DwordGivesItsDecimalValue) {
    FakeRegistry registry;
    registry.keys[kToolKey] = {{"SMALL", {registry::REG_DWORD, std::string("\x07\0\0\0", 4)}},
                               {"INNER_ZERO", {registry::REG_DWORD, std::string("\0\x01\0\0", 4)}},
                               {"WIDE", {registry::REG_DWORD, "\x78\x56\x34\x12"}},
                               {"TOP", {registry::REG_DWORD, "\xFF\xFF\xFF\xFF"}}};
    EXPECT_EQ(Read(registry, "SMALL"), "7");
    EXPECT_EQ(Read(registry, "INNER_ZERO"), "256");
    EXPECT_EQ(Read(registry, "WIDE"), "305419896");
    EXPECT_EQ(Read(registry, "TOP"), "4294967295");
}

TEST(GetKeyValue, MissingKeyOrValueGivesFalseAndEmptyText) {
    FakeRegistry registry;
    bool found = true;
    EXPECT_EQ(Read(registry, "PATH", &found), "");
    EXPECT_FALSE(found);
    registry.keys[kToolKey] = {{"BINARY", {3, "\x01\x02"}}};
    EXPECT_EQ(Read(registry, "PATH", &found), "");
    EXPECT_FALSE(found);
    // Another type is found but leaves the text as the caller passed it.
    EXPECT_EQ(Read(registry, "BINARY", &found), "as passed");
    EXPECT_TRUE(found);
}

struct SysInfoRun {
    test::ScriptedUser user;
    std::vector<std::string> started;
    std::vector<std::string> existing;

    void Start(Registry& registry) {
        StartSysInfo({registry, user,
                      [this](const std::string& path) {
                          return std::find(existing.begin(), existing.end(), path) !=
                                 existing.end();
                      },
                      [this](const std::string& path) { started.push_back(path); }});
    }
};

TEST(StartSysInfo, WithoutRegistryTheToolIsUnavailable) {
    NoRegistry registry;
    SysInfoRun run;
    run.Start(registry);
    EXPECT_TRUE(run.started.empty());
    ASSERT_EQ(run.user.messages.size(), 1u);
    EXPECT_EQ(run.user.messages[0].text, "System Information Is Unavailable At This Time");
    EXPECT_EQ(run.user.messages[0].icon, MessageIcon::None);
    EXPECT_EQ(run.user.messages[0].title, "");
}

TEST(StartSysInfo, StartsTheToolFromEitherPlace) {
    FakeRegistry registry;
    registry.keys[kFolderKey] = {{"MSINFO", {registry::REG_SZ, std::string("/tools\0", 7)}}};
    SysInfoRun inFolder;
    inFolder.existing = {"/tools/MSINFO32.EXE"};
    inFolder.Start(registry);
    EXPECT_EQ(inFolder.started, std::vector<std::string>{"/tools/MSINFO32.EXE"});

    registry.keys[kToolKey] = {{"PATH", {registry::REG_SZ, "/bin/msinfo"}}};
    SysInfoRun byPath;
    byPath.Start(registry);
    EXPECT_EQ(byPath.started, std::vector<std::string>{"/bin/msinfo"});
    EXPECT_TRUE(byPath.user.messages.empty());
}

TEST(StartSysInfo, FolderWithoutTheToolIsUnavailable) {
    FakeRegistry registry;
    registry.keys[kFolderKey] = {{"MSINFO", {registry::REG_SZ, "/tools"}}};
    SysInfoRun run;
    run.Start(registry);
    EXPECT_TRUE(run.started.empty());
    ASSERT_EQ(run.user.messages.size(), 1u);
    EXPECT_EQ(run.user.messages[0].text, kSystemInfoUnavailable);
}

}  // namespace
}  // namespace marlo
