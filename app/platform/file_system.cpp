#include "platform/file_system.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "errors/run_time_error.h"

namespace marlo {

namespace fs = std::filesystem;

std::string TextReadStream::ReadLine() {
    if (AtEndOfStream()) {
        throw RunTimeError(err::InputPastEndOfFile, "Input past end of file");
    }
    return lines_[next_++];
}

TextAppendStream::~TextAppendStream() {
    try {
        Close();
    } catch (...) {
        // A destructor must not throw; Close() reports failures when called directly.
    }
}

void TextAppendStream::WriteLine(const std::string& text) {
    if (closed_) {
        throw RunTimeError(err::PathFileAccessError, "Stream is closed: " + path_);
    }
    pending_ += EncodeAnsiText(text);
    pending_ += "\r\n";
}

void TextAppendStream::Close() {
    if (closed_) {
        return;
    }
    closed_ = true;
    std::FILE* file = std::fopen(path_.c_str(), "ab");
    if (file == nullptr) {
        throw RunTimeError(err::PathFileAccessError, "Path/File access error: " + path_);
    }
    const bool written = std::fwrite(pending_.data(), 1, pending_.size(), file) == pending_.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        throw RunTimeError(err::PathFileAccessError, "Path/File access error: " + path_);
    }
}

bool FileSystemService::FileExists(const std::string& path) const {
    std::error_code ec;
    return !path.empty() && fs::is_regular_file(ResolveOnDisk(path), ec);
}

bool FileSystemService::FolderExists(const std::string& path) const {
    std::error_code ec;
    return !path.empty() && fs::is_directory(ResolveOnDisk(path), ec);
}

TextReadStream FileSystemService::OpenTextFileForReading(const std::string& path) const {
    const std::string onDisk = ResolveOnDisk(path);
    std::error_code ec;
    if (!fs::is_regular_file(onDisk, ec)) {
        throw RunTimeError(err::FileNotFound, "File not found: " + path);
    }
    std::ifstream in(onDisk, std::ios::binary);
    if (!in) {
        throw RunTimeError(err::PermissionDenied, "Permission denied: " + path);
    }
    const auto size = fs::file_size(onDisk, ec);
    if (ec || size > kMaxTextFileSize) {
        throw RunTimeError(err::PathFileAccessError, "File too large to read as text: " + path);
    }
    std::string bytes(static_cast<std::size_t>(size), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    const std::string text = DecodeAnsiText(bytes);

    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(line);
            line.clear();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
        } else {
            line += c;
        }
    }
    if (!line.empty()) {
        lines.push_back(line);
    }
    return TextReadStream(std::move(lines));
}

TextAppendStream FileSystemService::OpenTextFileForAppending(const std::string& path) const {
    const std::string onDisk = ResolveOnDisk(path);
    std::FILE* file = std::fopen(onDisk.c_str(), "ab");
    if (file == nullptr) {
        throw RunTimeError(err::PathFileAccessError, "Path/File access error: " + path);
    }
    std::fclose(file);
    return TextAppendStream(onDisk);
}

void FileSystemService::DeleteFile(const std::string& path) const {
    const std::string onDisk = ResolveOnDisk(path);
    std::error_code ec;
    if (!fs::is_regular_file(onDisk, ec)) {
        throw RunTimeError(err::FileNotFound, "File not found: " + path);
    }
    if (!fs::remove(onDisk, ec) || ec) {
        throw RunTimeError(err::PermissionDenied, "Permission denied: " + path);
    }
}

void FileSystemService::CopyFile(const std::string& source, const std::string& target,
                                 bool overwrite) const {
    std::error_code ec;
    const auto options =
        overwrite ? fs::copy_options::overwrite_existing : fs::copy_options::none;
    fs::copy_file(ResolveOnDisk(source), ResolveOnDisk(target), options, ec);
    if (ec) {
        throw RunTimeError(err::PathFileAccessError, "Path/File access error: " + ec.message());
    }
}

namespace {
std::int32_t AttributesOf(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        throw RunTimeError(err::FileNotFound, "File not found: " + path);
    }
    std::int32_t attributes = 0;
    if (S_ISDIR(info.st_mode)) {
        attributes |= attr::Directory;
    } else if (S_ISREG(info.st_mode)) {
        attributes |= attr::Archive;
    } else {
        attributes |= attr::System;
    }
    if (::access(path.c_str(), W_OK) != 0 || (info.st_mode & 0222) == 0) {
        attributes |= attr::ReadOnly;
    }
    return attributes;
}
}  // namespace

std::int32_t FileSystemService::FileAttributes(const std::string& path) const {
    return AttributesOf(ResolveOnDisk(path));
}

std::int32_t FileSystemService::FolderAttributes(const std::string& path) const {
    return AttributesOf(ResolveOnDisk(path));
}

bool FileSystemService::SetAttributes(const std::string& path, std::int32_t attributes) const {
    std::error_code ec;
    const std::string onDisk = ResolveOnDisk(path);
    if ((attributes & attr::ReadOnly) != 0) {
        fs::permissions(onDisk, fs::perms::owner_write | fs::perms::group_write |
                                    fs::perms::others_write,
                        fs::perm_options::remove, ec);
    } else {
        fs::permissions(onDisk, fs::perms::owner_write, fs::perm_options::add, ec);
    }
    return !ec;
}

std::string FileSystemService::ResolveOnDisk(const std::string& path) const { return path; }

std::string DecodeAnsiText(const std::string& bytes) { return bytes; }

std::string EncodeAnsiText(const std::string& utf8) { return utf8; }

}  // namespace marlo
