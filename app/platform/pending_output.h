#pragma once

#include <string>

namespace marlo {

// A file name in the folder of `target` that nothing uses yet: ".<name>.<random>.part".
std::string TemporaryNameBeside(const std::string& target);

// An output written beside its target under a temporary name, which becomes the target only
// when it is complete: readers never see half a file, a failure leaves the old target as it
// was, and an output that is never committed is removed when the object goes. The temporary
// file is created exclusively, so two runs never write into one file.
class PendingOutput {
public:
    explicit PendingOutput(std::string target);
    // Takes over a temporary file someone else has made for `target` (a copy, say).
    PendingOutput(std::string target, std::string temporaryPath);
    PendingOutput(const PendingOutput&) = delete;
    PendingOutput& operator=(const PendingOutput&) = delete;
    ~PendingOutput();

    const std::string& path() const { return temporary_; }
    void Write(const std::string& bytes);

    // Puts the file in the target's place, replacing what is there; a link in that place is
    // replaced, never followed. An existing file's permissions carry over.
    void CommitReplacing();
    // Puts the file in the target's place only when nothing is there; false otherwise.
    bool CommitAsNew();

private:
    void Close();

    std::string target_;
    std::string temporary_;
    int descriptor_ = -1;
    bool committed_ = false;
};

}  // namespace marlo
