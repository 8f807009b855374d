#include "platform/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <vector>

#include "platform/failures.h"
#include "platform/image_copy.h"
#include "platform/pending_output.h"
#include "platform/user_file.h"

namespace marlo {

namespace fs = std::filesystem;

namespace {

constexpr fs::perms kAnyWrite =
    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;

// The bytes of a user's file, at most `limit` of them (see UserFile), or the error that
// stopped the reading.
ReportedResult<std::string> ReadWhole(const std::string& path, std::size_t limit) {
    UserFile file(path);
    if (!file.opened()) {
        // A FIFO, socket or device is no file to read: as if it were not there.
        return {{}, FileError(file.error() == ENXIO ? ENOENT : file.error(), path)};
    }
    if (file.size() > limit) {
        return {{},
                RunTimeError(err::PathFileAccessError, "File too large to read as text: " + path)};
    }
    auto bytes = file.All(limit);
    if (!bytes || !file.Close()) {
        return {{}, FileError(errno, path)};
    }
    return {std::move(*bytes), std::nullopt};
}

ReportedResult<std::int32_t> AttributesOf(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return {0, FileError(errno, path)};
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
    return {attributes, std::nullopt};
}

// The attributes of a folder (or of anything but a folder), "File not found" for the other kind.
ReportedResult<std::int32_t> AttributesOfKind(const std::string& path, bool folder) {
    ReportedResult<std::int32_t> read = AttributesOf(path);
    if (!read.error && ((read.value & attr::Directory) != 0) != folder) {
        return {0, FileError(ENOENT, path)};
    }
    return read;
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
    return ValueOrRaise(CheckedTextBytes(path));
}

ReportedResult<std::string> FileSystemService::CheckedTextBytes(const std::string& path) const {
    return ReadWhole(path, kMaxTextFileSize);
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

void FileSystemService::WriteBytesFile(const std::string& path, const std::string& bytes,
                                       const WriteFailure& failure) const {
    PendingOutput output(path, Temporaries(), Api(), failure);
    output.Write(bytes);
    output.CommitReplacing();
}

std::int32_t FileSystemService::FileAttributes(const std::string& path) const {
    return ValueOrRaise(CheckedFileAttributes(path));
}

std::int32_t FileSystemService::FolderAttributes(const std::string& path) const {
    return ValueOrRaise(CheckedFolderAttributes(path));
}

ReportedResult<std::int32_t> FileSystemService::CheckedFileAttributes(
    const std::string& path) const {
    return AttributesOfKind(path, false);
}

ReportedResult<std::int32_t> FileSystemService::CheckedFolderAttributes(
    const std::string& path) const {
    return AttributesOfKind(path, true);
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
