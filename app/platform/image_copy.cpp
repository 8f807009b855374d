#include "platform/image_copy.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/io_faults.h"

namespace marlo {

namespace {

// Both system calls move at most a little under 2 GiB per call.
constexpr off_t kChunk = off_t{1} << 30;

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() { Close(); }

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // False when the kernel reports a failure on close (a delayed write error).
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int fd_;
};

bool RangeCopyUnsupported(int error) {
    return error == EXDEV || error == ENOSYS || error == EINVAL || error == EOPNOTSUPP;
}

// Moves `size` bytes from the start of `in` to `out` without passing them through user
// memory: copy_file_range where the file systems allow it, sendfile otherwise.
bool CopyInKernel(int in, int out, off_t size) {
    off_t done = 0;
    bool useRangeCopy = true;
    while (done < size) {
        const auto chunk = static_cast<std::size_t>(std::min(size - done, kChunk));
        const ssize_t copied = useRangeCopy ? ::copy_file_range(in, nullptr, out, nullptr, chunk, 0)
                                            : ::sendfile(out, in, nullptr, chunk);
        if (copied < 0 && errno == EINTR) {
            continue;
        }
        if (copied < 0 && useRangeCopy && done == 0 && RangeCopyUnsupported(errno)) {
            useRangeCopy = false;
            continue;
        }
        if (copied <= 0) {
            return false;  // an error, or the source shrank while it was copied
        }
        done += copied;
    }
    return true;
}

bool CopyContents(int in, int out, off_t size) {
    // A shared extent (reflink) copies nothing at all where the file system offers it.
    return ::ioctl(out, FICLONE, in) == 0 || CopyInKernel(in, out, size);
}

}  // namespace

CopyOutcome CopyToNewFile(const std::string& source, const std::string& target) {
    // Non-blocking, so that a FIFO put in the image's place cannot stall the program.
    FileDescriptor in(::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat info {};
    if (!in.valid() || ::fstat(in.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return CopyOutcome::Failed;
    }
    FileDescriptor out(
        IoFaultDue(IoOperation::Create)
            ? -1
            : ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, info.st_mode & 0777));
    if (!out.valid()) {
        return errno == EEXIST ? CopyOutcome::TargetExists : CopyOutcome::Failed;
    }
    const bool copied =
        !IoFaultDue(IoOperation::Write) && CopyContents(in.get(), out.get(), info.st_size);
    if (out.Close() && copied) {
        return CopyOutcome::Copied;
    }
    ::unlink(target.c_str());  // ours: O_EXCL made it
    return CopyOutcome::Failed;
}

}  // namespace marlo
