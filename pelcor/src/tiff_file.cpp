#include "tiff_file.h"

#include <filesystem>
#include <limits>
#include <system_error>

#include <sys/types.h>

namespace pelcor {

namespace fs = std::filesystem;

namespace {

// Only regular files: opening a pipe or a device could block or never end.
bool IsRegularFile(const fs::path& path) {
    std::error_code error;
    return fs::is_regular_file(path, error);
}

bool CarriesWritePermission(const fs::path& path) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (error) {
        return false;
    }
    constexpr auto anyWrite =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    return (status.permissions() & anyWrite) != fs::perms::none;
}

FileHandle Open(const char* path, const char* mode) {
    return FileHandle(std::fopen(path, mode));
}

bool WritePatch(std::FILE* file, const Patch& patch) {
    if (patch.offset > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max()) ||
        fseeko(file, static_cast<off_t>(patch.offset), SEEK_SET) != 0) {
        return false;
    }
    return std::fwrite(patch.bytes.data(), 1, patch.bytes.size(), file) == patch.bytes.size();
}

}  // namespace

FileHandle OpenForReading(const char* path) {
    if (!IsRegularFile(path)) {
        return nullptr;
    }
    return Open(path, "rb");
}

FileHandle OpenForUpdate(const char* path) {
    if (!IsRegularFile(path) || !CarriesWritePermission(path)) {
        return nullptr;
    }
    return Open(path, "r+b");
}

bool ApplyPatchesAndClose(FileHandle file, const std::vector<Patch>& patches) {
    bool written = true;
    for (const Patch& patch : patches) {
        if (!WritePatch(file.get(), patch)) {
            written = false;
            break;
        }
    }
    const bool closed = std::fclose(file.release()) == 0;
    return written && closed;
}

}  // namespace pelcor
