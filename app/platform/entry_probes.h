#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace marlo {

// What stands at a path, a symbolic link itself rather than what it points to.
enum class EntryKind { Nothing, RegularFile, SymbolicLink, Other };
EntryKind EntryKindAt(const std::string& path);

// The device and inode of the file at `path` (links followed): two names with the same
// identity are one file. Nothing when there is no such file.
using DeviceAndInode = std::pair<std::uint64_t, std::uint64_t>;
std::optional<DeviceAndInode> DeviceAndInodeOf(const std::string& path);

// Whether two paths name one file or folder: the same text, or the same identity (a link or
// another spelling of the same place).
bool SameEntry(const std::string& path, const std::string& other);

}  // namespace marlo
