#include "tiff_file.h"

#include <filesystem>
#include <string>
#include <system_error>

#include "file_offsets.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#else
#include <io.h>
#endif

namespace pelcor {

namespace {

#ifndef _WIN32
// Opens without blocking, checks what was opened (not what the name pointed to a moment
// before) and only then reads: a FIFO or device put in a file's place can never stall the
// caller. A file without any write permission bit is refused for update.
FileHandle Open(const char* path, bool update) {
    const int flags = (update ? O_RDWR : O_RDONLY) | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    const int descriptor = ::open(path, flags);
    if (descriptor < 0) {
        return nullptr;
    }
    struct stat info {};
    const bool usable = ::fstat(descriptor, &info) == 0 && S_ISREG(info.st_mode) &&
                        (!update || (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0) &&
                        ::fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK) == 0;
    std::FILE* file = usable ? ::fdopen(descriptor, update ? "r+b" : "rb") : nullptr;
    if (file == nullptr) {
        ::close(descriptor);
    }
    return FileHandle(file);
}
#else
// Windows has no FIFOs in the file system: the name (UTF-8, as on every platform) is checked,
// then opened by its UTF-16 form, so names with Polish letters open too.
FileHandle Open(const char* path, bool update) {
    namespace fs = std::filesystem;
    const std::string utf8 = path;
    const fs::path name(std::u8string(utf8.begin(), utf8.end()));
    std::error_code error;
    const fs::file_status status = fs::status(name, error);
    constexpr auto anyWrite =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    if (error || !fs::is_regular_file(status) ||
        (update && (status.permissions() & anyWrite) == fs::perms::none)) {
        return nullptr;
    }
    return FileHandle(_wfopen(name.c_str(), update ? L"r+b" : L"rb"));
}
#endif

bool WritePatch(std::FILE* file, const Patch& patch) {
    if (!SeekTo(file, patch.offset)) {
        return false;
    }
    return std::fwrite(patch.bytes.data(), 1, patch.bytes.size(), file) == patch.bytes.size();
}

#ifndef _WIN32
// Writes all the bytes at the offset, going on after a write cut short.
bool WriteAllAt(int descriptor, const Bytes& bytes, std::uint64_t offset) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::pwrite(descriptor, bytes.data() + done, bytes.size() - done,
                                         static_cast<off_t>(offset + done));
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    return true;
}

// The data and the length that reading it back needs reach the disk.
bool MakeDurable(int descriptor) {
    return ::fdatasync(descriptor) == 0;
}

// The pointer must go in one write: a write split in two could leave half an offset.
bool WriteInOne(int descriptor, const Patch& patch) {
    return ::pwrite(descriptor, patch.bytes.data(), patch.bytes.size(),
                    static_cast<off_t>(patch.offset)) == static_cast<ssize_t>(patch.bytes.size());
}
#endif

}  // namespace

FileHandle OpenForReading(const char* path) {
    return Open(path, false);
}

FileHandle OpenForUpdate(const char* path) {
    return Open(path, true);
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

namespace pelcor {

#ifndef _WIN32
bool LockWholeFile(std::FILE* file) {
    const int descriptor = ::fileno(file);
    struct flock whole {};
    whole.l_type = F_WRLCK;
    whole.l_whence = SEEK_SET;
    return ::fcntl(descriptor, F_OFD_SETLK, &whole) == 0 &&
           ::flock(descriptor, LOCK_EX | LOCK_NB) == 0;
}

bool ApplyCrashSafelyAndClose(FileHandle file, const Patch& block, const Patch& pointer) {
    const int descriptor = ::fileno(file.get());
    const bool aligned = pointer.offset % pointer.bytes.size() == 0;
    const bool written = aligned && WriteAllAt(descriptor, block.bytes, block.offset) &&
                         MakeDurable(descriptor) && WriteInOne(descriptor, pointer) &&
                         MakeDurable(descriptor);
    const bool closed = std::fclose(file.release()) == 0;
    return written && closed;
}
#else
// Windows keeps other writers out through its share modes; nothing more to take here.
bool LockWholeFile(std::FILE*) {
    return true;
}

bool ApplyCrashSafelyAndClose(FileHandle file, const Patch& block, const Patch& pointer) {
    const auto durable = [&file] {
        return std::fflush(file.get()) == 0 && ::_commit(::_fileno(file.get())) == 0;
    };
    const bool written =
        WritePatch(file.get(), block) && durable() && WritePatch(file.get(), pointer) && durable();
    const bool closed = std::fclose(file.release()) == 0;
    return written && closed;
}
#endif

}  // namespace pelcor
