#include "bounded_reader.h"

#include <limits>

#include <sys/types.h>

namespace pelcor {

namespace {

bool SeekTo(std::FILE* file, std::uint64_t offset) {
    if (offset > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max())) {
        return false;
    }
    return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
}

}  // namespace

BoundedReader::BoundedReader(std::FILE* file) : file_(file) {
    if (fseeko(file_, 0, SEEK_END) != 0) {
        return;
    }
    const off_t end = ftello(file_);
    if (end < 0) {
        return;
    }
    size_ = static_cast<std::uint64_t>(end);
    valid_ = true;
}

bool BoundedReader::Read(std::uint64_t offset, std::uint64_t count, Bytes& out) const {
    if (!Contains(offset, count) || !SeekTo(file_, offset)) {
        return false;
    }
    out.resize(count);
    return std::fread(out.data(), 1, count, file_) == count;
}

}  // namespace pelcor
