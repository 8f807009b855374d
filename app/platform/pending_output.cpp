#include "platform/pending_output.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <fstream>
#include <mutex>
#include <set>

#include "platform/failures.h"
#include "platform/io_faults.h"

namespace marlo {

namespace {

constexpr int kNameAttempts = 16;
constexpr std::string_view kPrefix = ".marlo-";
constexpr std::string_view kSuffix = ".part";

[[noreturn]] void RaiseWriteError(int error, const std::string& path) {
    if (error == ENOENT || error == ENOTDIR) {
        throw RunTimeError(err::FileNotFound, "File not found: " + path);
    }
    if (error == EACCES || error == EPERM || error == EROFS) {
        throw RunTimeError(err::PermissionDenied, "Permission denied: " + path);
    }
    throw RunTimeError(err::PathFileAccessError, "Path/File access error: " + path);
}

std::string FolderPart(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string ShortName(const std::string& folder) {
    static std::atomic<unsigned long> counter{0};
    return folder + std::string(kPrefix) + std::to_string(::getpid()) + "-" +
           std::to_string(++counter) + std::string(kSuffix);
}

// The pid in a temporary name of ours, or 0 for any other name.
pid_t OwnerOf(const std::string& name) {
    if (name.size() <= kPrefix.size() + kSuffix.size() || name.rfind(kPrefix, 0) != 0 ||
        name.compare(name.size() - kSuffix.size(), kSuffix.size(), kSuffix) != 0) {
        return 0;
    }
    const std::string middle =
        name.substr(kPrefix.size(), name.size() - kPrefix.size() - kSuffix.size());
    const auto dash = middle.find('-');
    const std::string pid = middle.substr(0, dash);
    if (dash == std::string::npos || pid.empty() || pid.size() > 9 ||
        pid.find_first_not_of("0123456789") != std::string::npos ||
        middle.find_first_not_of("0123456789", dash + 1) != std::string::npos) {
        return 0;
    }
    return static_cast<pid_t>(std::stol(pid));
}

// Whether the process has ended: no such process, or one that is only waiting to be reaped (a
// zombie, which a killed run stays as long as its parent, or an init that reaps nothing, lets
// it).
bool ProcessGone(pid_t pid) {
    if (::kill(pid, 0) != 0) {
        return errno == ESRCH;
    }
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    const auto close = line.rfind(')');
    return close != std::string::npos && close + 2 < line.size() && line[close + 2] == 'Z';
}

// Removes, once per folder and process, the temporaries of runs that are gone (killed before
// they could): a temporary of a live run, of whatever program, stays.
void RemoveStaleTemporaries(const std::string& folder) {
    static std::mutex guard;
    static std::set<std::string> cleaned;
    const std::lock_guard<std::mutex> lock(guard);
    if (!cleaned.insert(folder).second) {
        return;
    }
    DIR* listing = ::opendir(folder.empty() ? "." : folder.c_str());
    if (listing == nullptr) {
        return;
    }
    while (const dirent* entry = ::readdir(listing)) {
        const pid_t owner = OwnerOf(entry->d_name);
        if (owner > 0 && ProcessGone(owner)) {
            ::unlinkat(::dirfd(listing), entry->d_name, 0);
        }
    }
    ::closedir(listing);
}

// Moves `from` to `to` unless something is at `to`: renameat2 where the file system offers
// it, a hard link (which never replaces) elsewhere.
int RenameNoReplace(const std::string& from, const std::string& to) {
    if (IoFaultDue(IoOperation::Rename)) {
        return errno;
    }
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return 0;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return errno;
    }
    if (::link(from.c_str(), to.c_str()) != 0) {
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

PendingOutput::PendingOutput(std::string target) : target_(std::move(target)) {
    const std::string folder = FolderPart(target_);
    RemoveStaleTemporaries(folder);
    if (IoFaultDue(IoOperation::Create)) {
        RaiseWriteError(errno, target_);
    }
    descriptor_ =
        ::open(folder.empty() ? "." : folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
    if (descriptor_ >= 0) {
        path_ = "/proc/self/fd/" + std::to_string(descriptor_);
        return;
    }
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
        RaiseWriteError(errno, target_);
    }
    for (int attempt = 0; attempt < kNameAttempts && descriptor_ < 0; ++attempt) {
        path_ = ShortName(folder);
        descriptor_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (descriptor_ < 0 && errno != EEXIST) {
            RaiseWriteError(errno, target_);
        }
    }
    if (descriptor_ < 0) {
        RaiseWriteError(EEXIST, target_);
    }
    named_ = path_;
}

PendingOutput::~PendingOutput() {
    if (descriptor_ >= 0) {
        ::close(descriptor_);
    }
    if (!committed_ && !named_.empty()) {
        ::unlink(named_.c_str());
    }
}

void PendingOutput::Write(const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = IoFaultDue(IoOperation::Write)
                                ? -1
                                : ::write(descriptor_, bytes.data() + done, bytes.size() - done);
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            RaiseWriteError(put < 0 ? errno : EIO, target_);
        }
        done += static_cast<std::size_t>(put);
    }
}

void PendingOutput::Close() {
    if (descriptor_ < 0) {
        return;
    }
    const int descriptor = descriptor_;
    descriptor_ = -1;
    // A delayed write error (a full disk, say) shows up here at the latest.
    if (::close(descriptor) != 0) {
        RaiseWriteError(errno, target_);
    }
}

void PendingOutput::NameAndClose() {
    if (named_.empty() && descriptor_ >= 0) {
        // The name lives only between here and the rename: a kill in between leaves a short
        // temporary that the next run removes.
        for (int attempt = 0; attempt < kNameAttempts && named_.empty(); ++attempt) {
            const std::string name = ShortName(FolderPart(target_));
            if (::linkat(AT_FDCWD, path_.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
                named_ = name;
            } else if (errno != EEXIST) {
                RaiseWriteError(errno, target_);
            }
        }
        if (named_.empty()) {
            RaiseWriteError(EEXIST, target_);
        }
    }
    Close();
}

bool PendingOutput::LinkAsNew() {
    if (IoFaultDue(IoOperation::Rename)) {
        RaiseWriteError(errno, target_);
    }
    if (::linkat(AT_FDCWD, path_.c_str(), AT_FDCWD, target_.c_str(), AT_SYMLINK_FOLLOW) != 0) {
        if (errno == EEXIST) {
            return false;
        }
        RaiseWriteError(errno, target_);
    }
    try {
        Close();
    } catch (const RunTimeError&) {
        // A delayed write error: the file in the target's place is ours, and not whole.
        ::unlink(target_.c_str());
        throw;
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
            RaiseWriteError(errno, target_);
        }
    }
    NameAndClose();
    if (IoFaultDue(IoOperation::Rename) || ::rename(named_.c_str(), target_.c_str()) != 0) {
        RaiseWriteError(errno, target_);
    }
    committed_ = true;
    if (replacing) {
        SyncFolder(FolderPart(target_));
    }
}

bool PendingOutput::CommitAsNew() {
    if (named_.empty()) {
        return LinkAsNew();
    }
    NameAndClose();
    const int error = RenameNoReplace(named_, target_);
    if (error == EEXIST) {
        return false;
    }
    if (error != 0) {
        RaiseWriteError(error, target_);
    }
    committed_ = true;
    return true;
}

}  // namespace marlo
