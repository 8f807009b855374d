#pragma once

#include <string>

namespace marlo {

// An output written beside its target as a file without a name (O_TMPFILE) where the file
// system has them, so that a killed run leaves nothing behind: a new output is linked into
// its place in one step, and one that replaces a file has a short, recognisable name
// (".marlo-<pid>-<n>.part") only between that link and the rename. Elsewhere the file has that
// name from the start. The next run in a folder removes such names once the run that made
// them is gone. It becomes the target only when complete: readers never see
// half a file, a failure leaves the old target as it was, and an output that is never
// committed is removed when the object goes. The name takes at most 30 bytes, so any valid
// target name can be written.
class PendingOutput {
public:
    explicit PendingOutput(std::string target);
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
    // Gives an anonymous file its short temporary name, and closes it.
    void NameAndClose();
    void Close();

    std::string target_;
    std::string path_;
    std::string named_;  // the temporary name, once the file has one
    int descriptor_ = -1;
    bool committed_ = false;
};

}  // namespace marlo
