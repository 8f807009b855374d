#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace marlo {

// File attribute bits as the program tests them.
namespace attr {
constexpr std::int32_t Normal = 0;
constexpr std::int32_t ReadOnly = 1;
constexpr std::int32_t Hidden = 2;
constexpr std::int32_t System = 4;
constexpr std::int32_t Directory = 16;
constexpr std::int32_t Archive = 32;
constexpr std::int32_t Compressed = 2048;
}  // namespace attr

// Text files are at most this large; a larger one is refused rather than read into memory.
constexpr std::size_t kMaxTextFileSize = 64 * 1024 * 1024;

// A text file opened for reading: its lines, decoded to UTF-8, without their line ends.
class TextReadStream {
public:
    explicit TextReadStream(std::vector<std::string> lines) : lines_(std::move(lines)) {}
    bool AtEndOfStream() const { return next_ >= lines_.size(); }
    // Raises run-time error 62 (input past end of file) past the last line.
    std::string ReadLine();
    void Close() {}

private:
    std::vector<std::string> lines_;
    std::size_t next_ = 0;
};

// A text file opened for appending: every line is encoded to the ANSI code page
// (Windows-1250) and ended by CR LF.
class TextAppendStream {
public:
    explicit TextAppendStream(std::string path) : path_(std::move(path)) {}
    TextAppendStream(const TextAppendStream&) = delete;
    TextAppendStream& operator=(const TextAppendStream&) = delete;
    TextAppendStream(TextAppendStream&&) = default;
    ~TextAppendStream();
    void WriteLine(const std::string& text);
    void Close();

private:
    std::string path_;
    std::string pending_;
    bool closed_ = false;
};

// The file-system service. Paths are UTF-8; "/" is the separator. A path that does not exist
// as spelled is looked up component by component without regard to letter case, trailing
// blanks and dots of a name ignored, the way Windows finds files; the spelling found on disk
// is then used. Failing operations raise RunTimeError.
class FileSystemService {
public:
    bool FileExists(const std::string& path) const;
    bool FolderExists(const std::string& path) const;

    // Mode 1: the whole file is read and decoded (UTF-8 when it is valid UTF-8 holding
    // non-ASCII bytes, Windows-1250 otherwise); CR LF, LF and CR all end a line.
    TextReadStream OpenTextFileForReading(const std::string& path) const;
    // Mode 8 with create: a missing file is created, writing starts at its end.
    TextAppendStream OpenTextFileForAppending(const std::string& path) const;

    // Deletes the file even when it is marked read-only.
    void DeleteFile(const std::string& path) const;
    // Copies with the kernel's file copy; replaces an existing target only when `overwrite`.
    void CopyFile(const std::string& source, const std::string& target, bool overwrite) const;

    // Attribute bits: directory 16; read-only 1 when the entry may not be written by the
    // current user or carries no write permission at all; archive 32 on every regular file;
    // system 4 on anything that is neither a file nor a folder.
    std::int32_t FileAttributes(const std::string& path) const;
    std::int32_t FolderAttributes(const std::string& path) const;
    // Sets the attributes; only the read-only bit has a meaning on Linux: without it the
    // owner gets write permission, with it every write permission is taken away.
    // Returns false when the entry could not be changed.
    bool SetAttributes(const std::string& path, std::int32_t attributes) const;

    // The spelling of `path` on disk: the path itself when it exists as spelled, else the
    // path found by the Windows-style lookup, else `path` unchanged.
    std::string ResolveOnDisk(const std::string& path) const;
};

// Decodes the bytes of a text file: UTF-8 when they are valid UTF-8 with non-ASCII bytes,
// Windows-1250 otherwise.
std::string DecodeAnsiText(const std::string& bytes);
// Encodes UTF-8 text to Windows-1250; characters it has no code for become "?".
std::string EncodeAnsiText(const std::string& utf8);

}  // namespace marlo
