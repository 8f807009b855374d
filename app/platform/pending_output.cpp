#include "platform/pending_output.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>

#include "platform/io_faults.h"
#include "platform/run_time_error.h"

namespace marlo {

namespace {

constexpr int kNameAttempts = 16;

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

std::string NamePart(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
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

}  // namespace

std::string TemporaryNameBeside(const std::string& target) {
    static std::mt19937_64 random{std::random_device{}()};
    return FolderPart(target) + "." + NamePart(target) + "." +
           std::to_string(random() % 1000000000) + ".part";
}

PendingOutput::PendingOutput(std::string target) : target_(std::move(target)) {
    for (int attempt = 0; attempt < kNameAttempts && descriptor_ < 0; ++attempt) {
        temporary_ = TemporaryNameBeside(target_);
        descriptor_ =
            IoFaultDue(IoOperation::Create)
                ? -1
                : ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (descriptor_ < 0 && errno != EEXIST) {
            RaiseWriteError(errno, target_);
        }
    }
    if (descriptor_ < 0) {
        RaiseWriteError(EEXIST, target_);
    }
}

PendingOutput::PendingOutput(std::string target, std::string temporaryPath)
    : target_(std::move(target)), temporary_(std::move(temporaryPath)) {}

PendingOutput::~PendingOutput() {
    if (descriptor_ >= 0) {
        ::close(descriptor_);
    }
    if (!committed_) {
        ::unlink(temporary_.c_str());
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

void PendingOutput::CommitReplacing() {
    Close();
    struct stat old {};
    if (::lstat(target_.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        ::chmod(temporary_.c_str(), old.st_mode & 07777);
    }
    if (IoFaultDue(IoOperation::Rename) || ::rename(temporary_.c_str(), target_.c_str()) != 0) {
        RaiseWriteError(errno, target_);
    }
    committed_ = true;
}

bool PendingOutput::CommitAsNew() {
    Close();
    const int error = RenameNoReplace(temporary_, target_);
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
