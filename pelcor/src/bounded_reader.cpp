#include "bounded_reader.h"

#include "file_offsets.h"

namespace pelcor {

BoundedReader::BoundedReader(std::FILE* file) : file_(file) {
    if (const auto length = LengthOf(file_)) {
        size_ = *length;
        valid_ = true;
    }
}

bool BoundedReader::Read(std::uint64_t offset, std::uint64_t count, Bytes& out) const {
    if (!Contains(offset, count) || !SeekTo(file_, offset)) {
        return false;
    }
    out.resize(count);
    return std::fread(out.data(), 1, count, file_) == count;
}

}  // namespace pelcor
