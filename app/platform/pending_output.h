#pragma once

#include <functional>
#include <mutex>
#include <set>
#include <string>

namespace marlo {

class FileApi;

// What a failed step of writing an output raises, given the target: a writer that names its
// failures in a message of its own throws it here. Without one (or when it returns), the step
// raises the run-time error its cause maps to: 53, 70 or 75.
using WriteFailure = std::function<void(const std::string& target)>;

// The named temporaries (".marlo-<16 hex digits>.part") that runs killed before they could
// remove them left in a folder. A temporary is known as ours by two things that no other file
// has together: the owner holds an open-file-description lock on it as long as it lives, and
// it carries a creation record (the extended attribute "user.marlo.temporary" holding its own
// name), set only once the lock is held. Cleaning removes only a regular file of that name
// form, reached without following a link, that carries its record and that it can lock (so
// that no run, on this machine or another sharing the folder, still owns it). A file system
// without extended attributes keeps every such name: a hidden file left over is a smaller harm
// than a user's file removed.
class StaleTemporaries {
public:
    // Cleans the folder the first time it is named; later calls do nothing.
    void RemoveOnce(const std::string& folder);

private:
    std::mutex guard_;
    std::set<std::string> cleaned_;
};

// An output written beside its target as a file without a name (O_TMPFILE) where the file
// system has them, so that a killed run leaves nothing behind: a new output is linked into
// its place in one step, and one that replaces a file has a short, recognisable temporary name
// only between that link and the rename. Elsewhere the file has that name from the start.
// While named, the file is locked and carries its creation record (see StaleTemporaries), and
// a later run removes it only once this one is gone. It becomes the target only when complete:
// readers never see half a file, a failure leaves the old target as it was, and an output that
// is never committed is removed when the object goes. The name takes at most 30 bytes, so any
// valid target name can be written. Every step that can fail goes through `api`.
class PendingOutput {
public:
    PendingOutput(std::string target, StaleTemporaries& stale, FileApi& api,
                  WriteFailure failure = {});
    PendingOutput(const PendingOutput&) = delete;
    PendingOutput& operator=(const PendingOutput&) = delete;
    ~PendingOutput();

    // A path that reaches the file while it is pending (for libraries that open by name).
    const std::string& path() const { return path_; }
    int descriptor() const { return descriptor_; }
    void Write(const std::string& bytes);

    // Puts the file in the target's place, replacing what is there; a link in that place is
    // replaced, never followed. An existing file's permissions carry over, and its replacement
    // reaches the disk before the rename and the folder after it, so a power loss leaves the
    // old file or the new one, never an empty one.
    void CommitReplacing();
    // Puts the file in the target's place only when nothing is there; false otherwise.
    bool CommitAsNew();

private:
    // Links an anonymous file into the target's place when nothing is there; false otherwise.
    bool LinkAsNew();
    // Gives an anonymous file its temporary name (locked and recorded first), and closes it.
    void NameAndClose();
    // Closes the writing descriptor: 0, or the error a delayed write reports.
    int Close();
    [[noreturn]] void Fail(int error) const;
    // After the rename: the file is the target now, and no temporary any more.
    void Committed();

    FileApi& api_;
    std::string target_;
    WriteFailure failure_;
    std::string path_;
    std::string named_;  // the temporary name, once the file has one
    int descriptor_ = -1;
    // A second descriptor of the same open file description: it keeps the lock while the file
    // is named, after the writing descriptor is closed (which reports delayed write errors).
    int lockHolder_ = -1;
    bool committed_ = false;
};

}  // namespace marlo
