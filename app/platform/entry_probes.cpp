#include "platform/entry_probes.h"

#include <sys/stat.h>

namespace marlo {

EntryKind EntryKindAt(const std::string& path) {
    struct stat entry {};
    if (::lstat(path.c_str(), &entry) != 0) {
        return EntryKind::Nothing;
    }
    if (S_ISREG(entry.st_mode)) {
        return EntryKind::RegularFile;
    }
    return S_ISLNK(entry.st_mode) ? EntryKind::SymbolicLink : EntryKind::Other;
}

std::optional<DeviceAndInode> DeviceAndInodeOf(const std::string& path) {
    struct stat entry {};
    if (::stat(path.c_str(), &entry) != 0) {
        return std::nullopt;
    }
    return DeviceAndInode{entry.st_dev, entry.st_ino};
}

bool SameEntry(const std::string& path, const std::string& other) {
    if (path == other) {
        return true;
    }
    const auto identity = DeviceAndInodeOf(path);
    return identity && identity == DeviceAndInodeOf(other);
}

}  // namespace marlo
