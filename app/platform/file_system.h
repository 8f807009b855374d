#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/failures.h"
#include "platform/file_api.h"
#include "platform/name_lookup.h"
#include "platform/pending_output.h"

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

// The code pages text files are read in.
enum class CodePage { Windows1250, Windows1252, Latin1, Utf8 };
// Decodes the bytes of a text file in the given code page; bytes that are valid UTF-8 with
// non-ASCII bytes are read as UTF-8 whatever the code page says.
std::string DecodeText(const std::string& bytes, CodePage codePage);

// A text file opened for reading: its lines, decoded to UTF-8, without their line ends. CR LF,
// LF and CR each end a line; a last line without a line end still counts. Lines are cut one at
// a time as they are read, so a reader that stops early pays for no more.
class TextReadStream {
public:
    explicit TextReadStream(std::string text) : text_(std::move(text)) {}
    bool AtEndOfStream() const { return next_ >= text_.size(); }
    // Raises run-time error 62 (input past end of file) past the last line.
    std::string ReadLine();

private:
    std::string text_;
    std::size_t next_ = 0;
};

// The file-system service. Paths are UTF-8; "/" is the separator. Every operation uses the
// path exactly as spelled: a file that differs only in letter case is another file. Only
// FindInput looks a path up the way Windows finds files. Failing operations raise
// RunTimeError: 53 when the file or a folder on its path is missing, 70 when permission is
// denied, 75 for any other failure.
class FileSystemService {
public:
    bool FileExists(const std::string& path) const;
    bool FolderExists(const std::string& path) const;

    // Mode 1: the whole file is read and decoded (UTF-8 when it is valid UTF-8 holding
    // non-ASCII bytes, Windows-1250 otherwise); CR LF, LF and CR all end a line. Only regular
    // files are read, and none larger than kMaxTextFileSize.
    TextReadStream OpenTextFileForReading(const std::string& path) const;
    // The lines of a text file whose code page the caller chooses from its bytes (a table's
    // "!charset" line, say); the same limits as OpenTextFileForReading.
    template <class ChooseCodePage>
    TextReadStream OpenTextFileForReading(const std::string& path, ChooseCodePage choose) const {
        const std::string bytes = ReadTextBytes(path);
        return TextReadStream(DecodeText(bytes, choose(bytes)));
    }
    std::string ReadTextBytes(const std::string& path) const;
    // The same, with the run-time error it raises given back instead.
    ReportedResult<std::string> CheckedTextBytes(const std::string& path) const;
    // Writes the lines, each encoded to the ANSI code page (Windows-1250) and ended by CR LF,
    // as the whole new content of `path`: into a temporary file beside it that replaces the
    // old file only when complete (see PendingOutput).
    void WriteTextFile(const std::string& path, const std::vector<std::string>& lines) const;
    // Writes the bytes as they stand, replacing the old file only when complete; a failure
    // raises what `failure` throws, else its run-time error.
    void WriteBytesFile(const std::string& path, const std::string& bytes,
                        const WriteFailure& failure = {}) const;

    // Attribute bits: directory 16; read-only 1 when the entry may not be written by the
    // current user or carries no write permission at all; archive 32 on every regular file;
    // system 4 on anything that is neither a file nor a folder.
    std::int32_t FileAttributes(const std::string& path) const;
    std::int32_t FolderAttributes(const std::string& path) const;
    // The same, with the run-time error they raise given back instead, for the checks that
    // report their own errors and go on.
    ReportedResult<std::int32_t> CheckedFileAttributes(const std::string& path) const;
    ReportedResult<std::int32_t> CheckedFolderAttributes(const std::string& path) const;
    // Sets the attributes; only the read-only bit has a meaning on Linux: without it (archive
    // 32, say) the owner gets write permission and everything else stays, with it every write
    // permission is taken away. Returns false when the entry could not be changed.
    bool SetAttributes(const std::string& path, std::int32_t attributes) const;

    // An input by the path given, or where the Windows-style lookup finds it when it does
    // not exist as spelled and exactly one entry matches (see NameLookup); nothing when there
    // is no such file. Each folder is listed at most once until the look-ups are forgotten.
    std::optional<std::string> FindInput(const std::string& path) const;
    // Forgets what the folders held when they were listed: a run starts with none, so that a
    // file added since an earlier run is found.
    void ForgetLookups() { lookup_ = std::make_shared<NameLookup>(); }

    // The regular files in a folder (and in its subfolders, when asked), as paths relative to
    // it, in byte order; links to folders are not followed. Nothing for a folder that cannot
    // be listed.
    std::vector<std::string> FilesInFolder(const std::string& folder, bool withSubfolders) const;

    // Makes a folder and the folders above it that are missing; false when it cannot.
    bool MakeFolders(const std::string& folder) const;

    // The temporaries killed runs left, removed once per folder in the service's lifetime
    // before the first output is written there.
    StaleTemporaries& Temporaries() const { return *temporaries_; }

    // The system calls every output goes through: the system's own unless another was put in
    // their place (one that fails a chosen call, say).
    FileApi& Api() const { return *api_; }
    void UseApi(std::shared_ptr<FileApi> api) { api_ = std::move(api); }

private:
    mutable std::shared_ptr<NameLookup> lookup_ = std::make_shared<NameLookup>();
    std::shared_ptr<StaleTemporaries> temporaries_ = std::make_shared<StaleTemporaries>();
    std::shared_ptr<FileApi> api_ = std::make_shared<FileApi>();
};

// Decodes the bytes of a text file: UTF-8 when they are valid UTF-8 with non-ASCII bytes (a
// byte order mark is dropped), Windows-1250 otherwise. The five bytes Windows-1250 leaves
// undefined become the C1 controls of the same value, as on Windows, and so survive a
// round trip through EncodeAnsiText.
std::string DecodeAnsiText(const std::string& bytes);
// The bytes of a text file of these lines, as WriteTextFile writes them.
std::string AnsiTextFileBytes(const std::vector<std::string>& lines);
// Whether every character of the text has a code in Windows-1250.
bool CanEncodeAnsi(const std::string& utf8Text);
// Encodes UTF-8 text to Windows-1250; characters it has no code for, and every byte that is
// not part of well-formed UTF-8, become "?".
std::string EncodeAnsiText(const std::string& utf8);

}  // namespace marlo
