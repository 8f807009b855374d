#include "platform/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <vector>

#include "platform/failures.h"
#include "platform/pending_output.h"

namespace marlo {

namespace fs = std::filesystem;

namespace {

constexpr fs::perms kAnyWrite =
    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;

// Turns a failed system call into the run-time error a Windows program would have met.
[[noreturn]] void RaiseFileError(int error, const std::string& path) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            throw RunTimeError(err::FileNotFound, "File not found: " + path);
        case EACCES:
        case EPERM:
        case EROFS:
            throw RunTimeError(err::PermissionDenied, "Permission denied: " + path);
        default:
            throw RunTimeError(err::PathFileAccessError, "Path/File access error: " + path);
    }
}

// A regular file opened with the given flags, closed when the object goes. Opening does not
// wait on a FIFO, and anything but a regular file is refused, so a text stream never blocks
// on a pipe or reads a device.
class OpenFile {
public:
    OpenFile(const std::string& path, int flags) : path_(path) {
        descriptor_ = ::open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC, 0666);
        if (descriptor_ < 0) {
            RaiseFileError(errno, path);
        }
        struct stat info {};
        if (::fstat(descriptor_, &info) != 0 || !S_ISREG(info.st_mode)) {
            ::close(descriptor_);
            RaiseFileError(S_ISDIR(info.st_mode) ? EISDIR : ENOENT, path);
        }
        size_ = static_cast<std::uint64_t>(info.st_size);
    }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    ~OpenFile() {
        if (descriptor_ >= 0) {
            ::close(descriptor_);
        }
    }

    // The whole file, refused before anything is read when it is larger than `limit`.
    std::string ReadAll(std::size_t limit) {
        if (size_ > limit) {
            throw RunTimeError(err::PathFileAccessError,
                               "File too large to read as text: " + path_);
        }
        std::string bytes(static_cast<std::size_t>(size_), '\0');
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t got = ::read(descriptor_, bytes.data() + done, bytes.size() - done);
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got < 0) {
                RaiseFileError(errno, path_);
            }
            if (got == 0) {
                break;  // The file shrank while being read.
            }
            done += static_cast<std::size_t>(got);
        }
        bytes.resize(done);
        return bytes;
    }

    void Close() {
        const int descriptor = descriptor_;
        descriptor_ = -1;
        if (::close(descriptor) != 0) {
            RaiseFileError(errno, path_);
        }
    }

private:
    std::string path_;
    int descriptor_ = -1;
    std::uint64_t size_ = 0;
};

}  // namespace

namespace {

std::int32_t AttributesOf(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        RaiseFileError(errno, path);
    }
    std::int32_t attributes = attr::Normal;
    if (S_ISDIR(info.st_mode)) {
        attributes |= attr::Directory;
    } else if (S_ISREG(info.st_mode)) {
        attributes |= attr::Archive;
    } else {
        attributes |= attr::System;
    }
    // access() grants root everything, so an entry without any write bit counts as read-only
    // too: the program must not replace what the owner marked read-only.
    if (::access(path.c_str(), W_OK) != 0 || (info.st_mode & 0222) == 0) {
        attributes |= attr::ReadOnly;
    }
    return attributes;
}

}  // namespace

std::string TextReadStream::ReadLine() {
    if (AtEndOfStream()) {
        throw RunTimeError(err::InputPastEndOfFile, "Input past end of file");
    }
    const std::size_t end = std::min(text_.find_first_of("\r\n", next_), text_.size());
    std::string line = text_.substr(next_, end - next_);
    next_ = end + 1;
    if (end + 1 < text_.size() && text_[end] == '\r' && text_[end + 1] == '\n') {
        ++next_;
    }
    return line;
}

bool FileSystemService::FileExists(const std::string& path) const {
    std::error_code ec;
    return !path.empty() && fs::is_regular_file(path, ec);
}

bool FileSystemService::FolderExists(const std::string& path) const {
    std::error_code ec;
    return !path.empty() && fs::is_directory(path, ec);
}

std::string FileSystemService::ReadTextBytes(const std::string& path) const {
    return OpenFile(path, O_RDONLY).ReadAll(kMaxTextFileSize);
}

TextReadStream FileSystemService::OpenTextFileForReading(const std::string& path) const {
    return TextReadStream(DecodeAnsiText(ReadTextBytes(path)));
}

std::string AnsiTextFileBytes(const std::vector<std::string>& lines) {
    std::string bytes;
    for (const std::string& line : lines) {
        bytes += EncodeAnsiText(line) + "\r\n";
    }
    return bytes;
}

void FileSystemService::WriteTextFile(const std::string& path,
                                      const std::vector<std::string>& lines) const {
    WriteBytesFile(path, AnsiTextFileBytes(lines));
}

void FileSystemService::WriteBytesFile(const std::string& path, const std::string& bytes) const {
    PendingOutput output(path);
    output.Write(bytes);
    output.CommitReplacing();
}

std::int32_t FileSystemService::FileAttributes(const std::string& path) const {
    const std::int32_t attributes = AttributesOf(path);
    if ((attributes & attr::Directory) != 0) {
        RaiseFileError(ENOENT, path);
    }
    return attributes;
}

std::int32_t FileSystemService::FolderAttributes(const std::string& path) const {
    const std::int32_t attributes = AttributesOf(path);
    if ((attributes & attr::Directory) == 0) {
        RaiseFileError(ENOENT, path);
    }
    return attributes;
}

bool FileSystemService::SetAttributes(const std::string& path, std::int32_t attributes) const {
    std::error_code ec;
    if ((attributes & attr::ReadOnly) != 0) {
        fs::permissions(path, kAnyWrite, fs::perm_options::remove, ec);
    } else {
        fs::permissions(path, fs::perms::owner_write, fs::perm_options::add, ec);
    }
    return !ec;
}

std::vector<std::string> FileSystemService::FilesInFolder(const std::string& folder,
                                                          bool withSubfolders) const {
    std::vector<std::string> files;
    std::error_code ec;
    const auto take = [&](const fs::directory_entry& entry) {
        std::error_code typeError;
        if (entry.is_regular_file(typeError)) {
            files.push_back(entry.path().lexically_relative(folder).string());
        }
    };
    if (withSubfolders) {
        const auto options = fs::directory_options::skip_permission_denied;
        for (fs::recursive_directory_iterator it(folder, options, ec), end; !ec && it != end;
             it.increment(ec)) {
            take(*it);
        }
    } else {
        for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
            take(*it);
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

bool FileSystemService::MakeFolders(const std::string& folder) const {
    std::error_code ec;
    fs::create_directories(folder, ec);
    return !ec;
}

std::optional<std::string> FileSystemService::FindInput(const std::string& path) const {
    const auto found = lookup_->Find(path);
    std::error_code ec;
    return found && fs::is_regular_file(*found, ec) ? found : std::nullopt;
}

}  // namespace marlo
