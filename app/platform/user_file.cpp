#include "platform/user_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace marlo {

UserFile::UserFile(const std::string& path) {
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0) {
        error_ = errno;
        return;
    }
    struct stat info {};
    if (::fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode) ||
        ::fcntl(descriptor, F_SETFL, O_RDONLY) != 0) {
        error_ = S_ISDIR(info.st_mode) ? EISDIR : ENXIO;
        ::close(descriptor);
        return;
    }
    descriptor_ = descriptor;
    size_ = static_cast<std::uint64_t>(info.st_size);
    mode_ = info.st_mode & 07777;
}

UserFile::~UserFile() {
    if (descriptor_ >= 0) {
        ::close(descriptor_);
    }
}

std::optional<std::string> UserFile::At(std::uint64_t offset, std::size_t count) const {
    if (descriptor_ < 0) {
        return std::nullopt;
    }
    std::string bytes(count, '\0');
    std::size_t done = 0;
    while (done < count) {
        const ssize_t got = ::pread(descriptor_, bytes.data() + done, count - done,
                                    static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    if (done != count) {
        return std::nullopt;
    }
    return bytes;
}

std::string UserFile::Head(std::size_t count) const {
    const std::size_t available = size_ < count ? static_cast<std::size_t>(size_) : count;
    return At(0, available).value_or(std::string());
}

std::optional<std::string> UserFile::All(std::size_t limit) const {
    if (descriptor_ < 0 || size_ > limit) {
        return std::nullopt;
    }
    std::string bytes(static_cast<std::size_t>(size_), '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::pread(descriptor_, bytes.data() + done, bytes.size() - done,
                                    static_cast<off_t>(done));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return std::nullopt;
        }
        if (got == 0) {
            break;  // The file shrank while being read.
        }
        done += static_cast<std::size_t>(got);
    }
    bytes.resize(done);
    return bytes;
}

bool UserFile::Close() {
    const int descriptor = descriptor_;
    descriptor_ = -1;
    return descriptor < 0 || ::close(descriptor) == 0;
}

}  // namespace marlo
