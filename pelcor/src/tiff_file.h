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

}  // namespace pelcor
