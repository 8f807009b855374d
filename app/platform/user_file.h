#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace marlo {

// A user's file opened for reading: the one way the program opens what it reads (inputs,
// sidecars, images). Opening never waits (O_NONBLOCK), so a FIFO put in a file's place cannot
// stall the run; what was opened, not what the name pointed to a moment before, is checked to
// be a regular file; only then is the file read, in blocking mode, and never past `limit`
// bytes. Links are followed: an image or table may be a link to one kept elsewhere.
class UserFile {
public:
    explicit UserFile(const std::string& path);
    UserFile(const UserFile&) = delete;
    UserFile& operator=(const UserFile&) = delete;
    ~UserFile();

    // Whether a regular file was opened; when not, the errno that says why (EISDIR for a
    // folder, ENXIO for a FIFO, socket or device).
    bool opened() const { return descriptor_ >= 0; }
    int error() const { return error_; }
    int descriptor() const { return descriptor_; }
    std::uint64_t size() const { return size_; }
    unsigned mode() const { return mode_; }

    // `count` bytes at `offset`; nothing when the file is shorter or cannot be read.
    std::optional<std::string> At(std::uint64_t offset, std::size_t count) const;
    // Up to `count` bytes from the start.
    std::string Head(std::size_t count) const;
    // The whole file; nothing, before anything is read, when it is larger than `limit`. A read
    // error is reported through errno and gives nothing too.
    std::optional<std::string> All(std::size_t limit) const;
    // Closes, reporting a delayed error as errno; false then.
    bool Close();

private:
    int descriptor_ = -1;
    int error_ = 0;
    std::uint64_t size_ = 0;
    unsigned mode_ = 0;
};

}  // namespace marlo
