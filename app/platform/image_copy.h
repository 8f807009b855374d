#pragma once

#include <sys/types.h>

#include <string>

namespace marlo {

class FileApi;

// Copies the image at `source` into the open, empty file `target` inside the kernel (a shared
// extent where the file system offers one, else copy_file_range, else pread and pwrite), so
// memory use does not grow with the image. Only the parts that hold data are copied: a sparse
// image stays sparse. The copy takes the source's permissions. False when the source is no
// regular file or anything fails. The copy goes through `api`.
bool CopyImageInto(const std::string& source, int target, FileApi& api);
// The copy itself, between two open files (`out` empty); false with errno on failure.
bool CopyFileContents(int in, int out, off_t size);

}  // namespace marlo
