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
constexpr std::int32_t System = 4;
constexpr std::int32_t Directory = 16;
constexpr std::int32_t Archive = 32;
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
    // A moved-from stream writes nothing when it goes.
    TextAppendStream(TextAppendStream&& other) noexcept
        : path_(std::move(other.path_)),
          pending_(std::move(other.pending_)),
          closed_(other.closed_) {
        other.closed_ = true;
    }
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
// is then used. Failing operations raise RunTimeError: 53 when the file or a folder on its
// path is missing, 70 when permission is denied, 75 for any other failure.
class FileSystemService {
public:
    bool FileExists(const std::string& path) const;
    bool FolderExists(const std::string& path) const;

    // Mode 1: the whole file is read and decoded (UTF-8 when it is valid UTF-8 holding
    // non-ASCII bytes, Windows-1250 otherwise); CR LF, LF and CR all end a line. Only regular
    // files are read, and none larger than kMaxTextFileSize.
    TextReadStream OpenTextFileForReading(const std::string& path) const;
    // Mode 8 with create: a missing file is created, writing starts at its end.
    TextAppendStream OpenTextFileForAppending(const std::string& path) const;

    // Deletes the file even when it is marked read-only.
    void DeleteFile(const std::string& path) const;
    // Copies with the kernel's file copy; replaces an existing target only when `overwrite`
    // (an existing target otherwise is error 75 and stays as it was).
    void CopyFile(const std::string& source, const std::string& target, bool overwrite) const;

    // Attribute bits: directory 16; read-only 1 when the entry may not be written by the
    // current user or carries no write permission at all; archive 32 on every regular file;
    // system 4 on anything that is neither a file nor a folder.
    std::int32_t FileAttributes(const std::string& path) const;
    std::int32_t FolderAttributes(const std::string& path) const;
    // Sets the attributes; only the read-only bit has a meaning on Linux: without it (archive
    // 32, say) the owner gets write permission and everything else stays, with it every write
    // permission is taken away. Returns false when the entry could not be changed.
    bool SetAttributes(const std::string& path, std::int32_t attributes) const;

    // The spelling of `path` on disk: the path itself when it exists as spelled, else the
    // path found by the Windows-style lookup. Relative paths are looked up from the current
    // folder. Of several entries that match, the one spelled as asked wins, else the first in
    // byte order. From the first component that matches nothing on, the path keeps its own
    // spelling, so a file about to be created gets the name the program derived for it.
    // Each component costs at most one pass over its folder.
    std::string ResolveOnDisk(const std::string& path) const;
};

// Decodes the bytes of a text file: UTF-8 when they are valid UTF-8 with non-ASCII bytes (a
// byte order mark is dropped), Windows-1250 otherwise. The five bytes Windows-1250 leaves
// undefined become the C1 controls of the same value, as on Windows, and so survive a
// round trip through EncodeAnsiText.
std::string DecodeAnsiText(const std::string& bytes);
// Encodes UTF-8 text to Windows-1250; characters it has no code for, and every byte that is
// not part of well-formed UTF-8, become "?".
std::string EncodeAnsiText(const std::string& utf8);

}  // namespace marlo
