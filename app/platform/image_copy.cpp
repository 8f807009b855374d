#include "platform/image_copy.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "platform/file_api.h"
#include "platform/user_file.h"

namespace marlo {

namespace {

// Both system calls move at most a little under 2 GiB per call.
constexpr off_t kChunk = off_t{1} << 30;

bool RangeCopyUnsupported(int error) {
    return error == EXDEV || error == ENOSYS || error == EINVAL || error == EOPNOTSUPP;
}

// Moves the bytes [offset, end) from `in` to the same place in `out` without passing them
// through user memory: copy_file_range where the file systems allow it, pread and pwrite
// otherwise.
bool CopyRange(int in, int out, off_t offset, off_t end, bool& useRangeCopy) {
    std::vector<char> buffer;
    while (offset < end) {
        const auto chunk = static_cast<std::size_t>(std::min(end - offset, kChunk));
        if (useRangeCopy) {
            off_t from = offset;
            off_t to = offset;
            const ssize_t copied = ::copy_file_range(in, &from, out, &to, chunk, 0);
            if (copied < 0 && errno == EINTR) {
                continue;
            }
            if (copied < 0 && RangeCopyUnsupported(errno)) {
                useRangeCopy = false;
                continue;
            }
            if (copied <= 0) {
                return false;  // an error, or the source shrank while it was copied
            }
            offset += copied;
            continue;
        }
        buffer.resize(std::min<std::size_t>(chunk, std::size_t{1} << 20));
        const ssize_t got = ::pread(in, buffer.data(), buffer.size(), offset);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0 ||
            ::pwrite(out, buffer.data(), static_cast<std::size_t>(got), offset) != got) {
            return false;
        }
        offset += got;
    }
    return true;
}

// Copies only the parts of the source that hold data, so that holes stay holes: a sparse
// image keeps its size on disk. The length is set last, past any hole at the end.
bool CopyKeepingHoles(int in, int out, off_t size) {
    bool useRangeCopy = true;
    off_t offset = 0;
    while (offset < size) {
        const off_t data = ::lseek(in, offset, SEEK_DATA);
        if (data < 0) {
            if (errno == ENXIO) {
                break;  // only a hole is left
            }
            // No hole support: the whole rest is data.
            return CopyRange(in, out, offset, size, useRangeCopy) && ::ftruncate(out, size) == 0;
        }
        off_t hole = ::lseek(in, data, SEEK_HOLE);
        if (hole < 0 || hole > size) {
            hole = size;
        }
        if (!CopyRange(in, out, data, hole, useRangeCopy)) {
            return false;
        }
        offset = hole;
    }
    return ::ftruncate(out, size) == 0;
}

}  // namespace

bool CopyFileContents(int in, int out, off_t size) {
    // A shared extent (reflink) copies nothing at all where the file system offers it.
    return ::ioctl(out, FICLONE, in) == 0 || CopyKeepingHoles(in, out, size);
}

bool CopyImageInto(const std::string& source, int target, FileApi& api) {
    const UserFile in(source);
    if (!in.opened()) {
        errno = in.error();
        return false;
    }
    return api.CopyContents(in.descriptor(), target, static_cast<off_t>(in.size())) &&
           ::fchmod(target, in.mode() & 0777) == 0;
}

}  // namespace marlo
