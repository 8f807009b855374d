#include "file_offsets.h"

#include <limits>

#include <sys/types.h>

namespace pelcor {

#ifdef _WIN32
using Offset = long long;
int Seek(std::FILE* file, Offset offset, int origin) {
    return _fseeki64(file, offset, origin);
}
Offset Tell(std::FILE* file) {
    return _ftelli64(file);
}
#else
using Offset = off_t;
int Seek(std::FILE* file, Offset offset, int origin) {
    return fseeko(file, offset, origin);
}
Offset Tell(std::FILE* file) {
    return ftello(file);
}
#endif

bool SeekTo(std::FILE* file, std::uint64_t offset) {
    if (offset > static_cast<std::uint64_t>(std::numeric_limits<Offset>::max())) {
        return false;
    }
    return Seek(file, static_cast<Offset>(offset), SEEK_SET) == 0;
}

std::optional<std::uint64_t> LengthOf(std::FILE* file) {
    if (Seek(file, 0, SEEK_END) != 0) {
        return std::nullopt;
    }
    const Offset end = Tell(file);
    return end < 0 ? std::nullopt : std::optional<std::uint64_t>(static_cast<std::uint64_t>(end));
}

}  // namespace pelcor
