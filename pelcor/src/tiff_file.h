#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include "byte_order.h"

namespace pelcor {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// Opens an existing regular file for reading only, so read-only files can be read.
FileHandle OpenForReading(const char* path);

// Opens an existing regular file for update. A file without any write permission bit is
// refused even when the process could write it anyway (as root can): marking a file read-only
// must protect it.
FileHandle OpenForUpdate(const char* path);

// Bytes to put at an offset of the file; an offset at the end extends the file.
struct Patch {
    std::uint64_t offset = 0;
    Bytes bytes;
};

// Writes the patches in order, then closes the file; false when any write or the close fails.
bool ApplyPatchesAndClose(FileHandle file, const std::vector<Patch>& patches);

// Takes a lock on the whole file for this open file, held until it is closed, so that programs
// that lock what they write (with fcntl, open-file-description or flock locks) and Pelcor's own
// writers keep out of each other's way. False when another open file holds a lock on it. A
// program that writes without any lock cannot be seen.
bool LockWholeFile(std::FILE* file);

// Writes the block (at the file's end), makes it durable, then writes the pointer (the header's
// first-directory offset, aligned, 4 or 8 bytes) in one write and makes that durable, and
// closes the file. A crash at any moment leaves either the old pointer, with the block unused
// past the old end, or the new one, whose block is already on the disk.
bool ApplyCrashSafelyAndClose(FileHandle file, const Patch& block, const Patch& pointer);

}  // namespace pelcor
