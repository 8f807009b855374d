#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "environment/environment.h"
#include "platform/entry_probes.h"

namespace marlo {

// True when the folder exists and its attributes are exactly directory (and archive). An
// unexpected error gives false, and comes back with it for the caller to report.
ReportedResult<bool> CanWriteInFolder(const FileSystemService& files, const std::string& folder);
// True when the file exists and its attributes are exactly normal or archive; an unexpected
// error as above.
ReportedResult<bool> CanEditFile(const FileSystemService& files, const std::string& file);
// Sets the file's attributes; non-zero on success.
std::int32_t SetAttributesArchive(const FileSystemService& files, const std::string& path,
                                  std::int32_t attributes);

// The path, and the device and inode, of every input of a run, which no output may replace.
struct InputIdentities {
    std::set<std::string> paths;
    std::set<DeviceAndInode> identities;
};
// Notes the inputs `files` in `folder`.
InputIdentities NoteInputIdentities(const std::string& folder,
                                    const std::vector<std::string>& files);
// Notes one more file (its path, and its device and inode when it exists).
void NoteFile(InputIdentities& files, const std::string& path);
// Whether `path` is one of the noted files: by name, or by being the same file under another
// name (a hard link, a link).
bool IsOneOf(const InputIdentities& files, const std::string& path);
// Refuses (message 35, naming it) an output that is an input of the run (see IsOneOf).
void RequireNotAnInput(const Texts& texts, const InputIdentities& inputs,
                       const std::string& outputPath);

// What an input's first bytes say it is.
enum class ContentKind { Tiff, OtherImage, Text, Other, Unreadable };
ContentKind ContentKindOf(const std::string& path);
// Refuses (message 36, naming it) an input whose bytes are not of the kind its format needs;
// a file that cannot be read is left to the reader's own message.
void RequireContent(const Texts& texts, const std::string& path, ContentKind kind);

// Text outputs (world files, tables) replace an existing file without a question when it may
// be changed. Refuses message 29 for a read-only file and 15 for an entry that is no file (a
// folder, a pipe); nothing is deleted here: the new file replaces the old one when complete.
// The read-only test's unexpected error goes to `reported`.
void RequireReplaceableOutput(const Texts& texts, const FileSystemService& files,
                              const InputIdentities& inputs, const std::string& path,
                              ReportedErrors& reported);

// Writes a text output whole (see FileSystemService::WriteTextFile); a write the system refuses
// (a full disk, a folder that became read-only) is message 15 naming the file, and the old
// file stays as it was.
void WriteOutputFile(const Texts& texts, const FileSystemService& files, const std::string& path,
                     const std::vector<std::string>& lines);

// Writes other outputs (an .aux.xml) whole, as WriteOutputFile does.
void WriteOutputBytes(const Texts& texts, const FileSystemService& files, const std::string& path,
                      const std::string& bytes);

// Whether the regular file at `path` is an image a world file can serve: a TIFF by its header,
// or a file with the extension of an image format GDAL's world-file convention covers.
bool IsImageFile(const std::string& path);
// Whether it is an image by its bytes: TIFF, JPEG, PNG, GIF, BMP, JPEG 2000.
bool IsImageByContent(const std::string& path);

// The image an input stands for, found as an input: for a world file the image beside it under
// the same name, as GDAL pairs them (".tif" before ".tiff", ".jpg" before ".jpeg"), for
// anything else the file itself.
std::optional<std::string> FindImageFor(const FileSystemService& files, const std::string& path);

// Message 15 naming an output the system would not let the program write.
Refusal UnableToUpdate(const Texts& texts, const std::string& path);
// A write's failure as message 15 naming its target; `texts` must outlive the write.
WriteFailure RefusedAsUnableToUpdate(const Texts& texts);

// A count held as the program's 16-bit counters hold it; run-time error 6 past 32,767.
std::int16_t CountAsInt16(std::size_t count);

}  // namespace marlo
