#include "platform/pending_output.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string_view>

#include "platform/failures.h"
#include "platform/file_api.h"

namespace marlo {

namespace {

constexpr int kNameAttempts = 16;
constexpr std::string_view kPrefix = ".marlo-";
constexpr std::string_view kSuffix = ".part";
constexpr std::size_t kTagDigits = 16;
constexpr const char* kRecord = "user.marlo.temporary";

std::string FolderPart(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// A temporary name of 64 random bits: no counter to keep, and no process id, which means
// nothing in another PID namespace or on another machine sharing the folder.
std::string TemporaryName() {
    std::uint64_t tag = 0;
    if (::getrandom(&tag, sizeof tag, 0) != static_cast<ssize_t>(sizeof tag)) {
        tag =
            static_cast<std::uint64_t>(::getpid()) << 32 ^
            static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    }
    char digits[kTagDigits + 1] = {};
    std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(tag));
    return std::string(kPrefix) + digits + std::string(kSuffix);
}

bool IsTemporaryName(std::string_view name) {
    return name.size() == kPrefix.size() + kTagDigits + kSuffix.size() &&
           name.starts_with(kPrefix) && name.ends_with(kSuffix) &&
           name.substr(kPrefix.size(), kTagDigits).find_first_not_of("0123456789abcdef") ==
               std::string_view::npos;
}

// A lock on the whole file, without waiting: a write lock by its owner, a read lock by a
// cleaner, which gets it only when no owner holds the file.
bool LockWhole(int descriptor, short type) {
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    return ::fcntl(descriptor, F_OFD_SETLK, &lock) == 0;
}

// Whether the open file carries the creation record of the temporary `name`.
bool RecordedAs(int descriptor, const std::string& name) {
    char value[64] = {};
    const ssize_t size = ::fgetxattr(descriptor, kRecord, value, sizeof value);
    return size == static_cast<ssize_t>(name.size()) &&
           name.compare(0, name.size(), value, static_cast<std::size_t>(size)) == 0;
}

// Locks the open file as its owner and records it as the temporary `name`. Without the lock
// (a file system that has none) the file gets no record either, so no cleaner ever takes it.
void LockAndRecord(int descriptor, const std::string& name) {
    if (LockWhole(descriptor, F_WRLCK)) {
        ::fsetxattr(descriptor, kRecord, name.data(), name.size(), 0);
    }
}

// Removes the entry `name` of the listed folder when it is a stale temporary of ours.
void RemoveIfStale(int folder, const char* name) {
    if (!IsTemporaryName(name)) {
        return;
    }
    const int descriptor =
        ::openat(folder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0) {
        return;
    }
    struct stat opened {};
    struct stat named {};
    // The entry must still be the file that was opened and locked when it goes.
    if (::fstat(descriptor, &opened) == 0 && S_ISREG(opened.st_mode) &&
        RecordedAs(descriptor, name) && LockWhole(descriptor, F_RDLCK) &&
        ::fstatat(folder, name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
        named.st_dev == opened.st_dev && named.st_ino == opened.st_ino) {
        ::unlinkat(folder, name, 0);
    }
    ::close(descriptor);
}

// Moves `from` to `to` unless something is at `to`: renameat2 where the file system offers
// it, a hard link (which never replaces) elsewhere.
int MoveUnlessTaken(FileApi& api, const std::string& from, const std::string& to) {
    if (api.RenameNoReplace(from, to) == 0) {
        return 0;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return errno;
    }
    if (api.Link(from, to) != 0) {
        return errno;
    }
    ::unlink(from.c_str());
    return 0;
}

// Makes a rename in the folder survive a power loss.
void SyncFolder(const std::string& folder) {
    const int descriptor = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (descriptor >= 0) {
        ::fsync(descriptor);
        ::close(descriptor);
    }
}

}  // namespace

void StaleTemporaries::RemoveOnce(const std::string& folder) {
    const std::lock_guard<std::mutex> lock(guard_);
    if (!cleaned_.insert(folder).second) {
        return;
    }
    DIR* listing = ::opendir(folder.empty() ? "." : folder.c_str());
    if (listing == nullptr) {
        return;
    }
    while (const dirent* entry = ::readdir(listing)) {
        RemoveIfStale(::dirfd(listing), entry->d_name);
    }
    ::closedir(listing);
}

PendingOutput::PendingOutput(std::string target, StaleTemporaries& stale, FileApi& api,
                             WriteFailure failure)
    : api_(api), target_(std::move(target)), failure_(std::move(failure)) {
    const std::string folder = FolderPart(target_);
    stale.RemoveOnce(folder);
    descriptor_ = api_.OpenAnonymous(folder);
    if (descriptor_ >= 0) {
        path_ = "/proc/self/fd/" + std::to_string(descriptor_);
        return;
    }
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
        Fail(errno);
    }
    for (int attempt = 0; attempt < kNameAttempts && descriptor_ < 0; ++attempt) {
        const std::string name = TemporaryName();
        path_ = folder + name;
        descriptor_ = api_.CreateExclusive(path_);
        if (descriptor_ >= 0) {
            LockAndRecord(descriptor_, name);
        } else if (errno != EEXIST) {
            Fail(errno);
        }
    }
    if (descriptor_ < 0) {
        Fail(EEXIST);
    }
    named_ = path_;
}

PendingOutput::~PendingOutput() {
    if (!committed_ && !named_.empty()) {
        ::unlink(named_.c_str());
    }
    for (const int descriptor : {descriptor_, lockHolder_}) {
        if (descriptor >= 0) {
            ::close(descriptor);
        }
    }
}

void PendingOutput::Write(const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = api_.Write(descriptor_, bytes.data() + done, bytes.size() - done);
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            Fail(put < 0 ? errno : EIO);
        }
        done += static_cast<std::size_t>(put);
    }
}

void PendingOutput::Fail(int error) const {
    if (failure_) {
        failure_(target_);
    }
    throw FileError(error, target_);
}

int PendingOutput::Close() {
    if (descriptor_ < 0) {
        return 0;
    }
    const int descriptor = descriptor_;
    descriptor_ = -1;
    // A named file stays locked through its rename.
    if (!named_.empty() && lockHolder_ < 0) {
        lockHolder_ = ::fcntl(descriptor, F_DUPFD_CLOEXEC, 0);
    }
    // A delayed write error (a full disk, say) shows up here at the latest.
    return ::close(descriptor) == 0 ? 0 : errno;
}

void PendingOutput::NameAndClose() {
    if (named_.empty() && descriptor_ >= 0) {
        // The name lives only between here and the rename: a kill in between leaves a short
        // temporary that the next run removes.
        for (int attempt = 0; attempt < kNameAttempts && named_.empty(); ++attempt) {
            const std::string name = TemporaryName();
            const std::string path = FolderPart(target_) + name;
            LockAndRecord(descriptor_, name);
            if (api_.Link(path_, path) == 0) {
                named_ = path;
            } else if (errno != EEXIST) {
                Fail(errno);
            }
        }
        if (named_.empty()) {
            Fail(EEXIST);
        }
    }
    if (const int error = Close(); error != 0) {
        Fail(error);
    }
}

bool PendingOutput::LinkAsNew() {
    if (api_.Link(path_, target_) != 0) {
        if (errno == EEXIST) {
            return false;
        }
        Fail(errno);
    }
    if (const int error = Close(); error != 0) {
        // A delayed write error: the file in the target's place is ours, and not whole.
        ::unlink(target_.c_str());
        Fail(error);
    }
    committed_ = true;
    return true;
}

void PendingOutput::CommitReplacing() {
    struct stat old {};
    const bool exists = ::lstat(target_.c_str(), &old) == 0;
    // A new output gets its name in one step: no temporary name for a kill to leave behind.
    if (!exists && named_.empty() && LinkAsNew()) {
        return;
    }
    const bool replacing = exists && S_ISREG(old.st_mode);
    if (replacing) {
        ::fchmod(descriptor_, old.st_mode & 07777);
        // The new bytes reach the disk before the old file goes.
        if (::fdatasync(descriptor_) != 0) {
            Fail(errno);
        }
    }
    NameAndClose();
    if (api_.Rename(named_, target_) != 0) {
        Fail(errno);
    }
    Committed();
    if (replacing) {
        SyncFolder(FolderPart(target_));
    }
}

bool PendingOutput::CommitAsNew() {
    if (named_.empty()) {
        return LinkAsNew();
    }
    NameAndClose();
    const int error = MoveUnlessTaken(api_, named_, target_);
    if (error == EEXIST) {
        return false;
    }
    if (error != 0) {
        Fail(error);
    }
    Committed();
    return true;
}

void PendingOutput::Committed() {
    committed_ = true;
    if (lockHolder_ >= 0) {
        ::fremovexattr(lockHolder_, kRecord);
        ::close(lockHolder_);
        lockHolder_ = -1;
    }
}

}  // namespace marlo
