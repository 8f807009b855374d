#pragma once

#include <cstdint>
#include <cstdio>

#include "byte_order.h"

namespace pelcor {

// Whether count bytes starting at offset lie inside the first size bytes, for any inputs: the
// subtraction cannot wrap because count <= size is tested first.
inline bool FitsWithin(std::uint64_t offset, std::uint64_t count, std::uint64_t size) {
    return count <= size && offset <= size - count;
}

// Every byte Pelcor takes from a file comes through here. The file's size is measured once and
// each request is checked against it before any seek, so offsets and counts taken from the file
// itself can never reach outside it nor ask for more memory than the file holds.
class BoundedReader {
public:
    explicit BoundedReader(std::FILE* file);

    // False when the file's size could not be measured; every read then fails.
    bool valid() const { return valid_; }
    std::uint64_t size() const { return size_; }

    bool Contains(std::uint64_t offset, std::uint64_t count) const {
        return valid_ && FitsWithin(offset, count, size_);
    }

    // Reads exactly count bytes at offset into out; false when they are not all there.
    bool Read(std::uint64_t offset, std::uint64_t count, Bytes& out) const;

private:
    std::FILE* file_;
    std::uint64_t size_ = 0;
    bool valid_ = false;
};

}  // namespace pelcor
