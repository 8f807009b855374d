// libFuzzer target: feeds mutated TIFF bytes to every export. Besides crashes it catches a
// refused write that changed the file, which must never happen.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "pelcor/pelcor.h"

namespace {

const std::string& ScratchPath() {
    static const std::string path = [] {
        const auto file = std::filesystem::temp_directory_path() /
                          ("pelcor-fuzz-" + std::to_string(getpid()) + ".tif");
        std::atexit([] { std::remove(ScratchPath().c_str()); });
        return file.string();
    }();
    return path;
}

void Store(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

std::string Load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void ReadBoth(const char* path) {
    double d[6];
    float f[6];
    tiffHdrReadDbl(path, &d[0], &d[1], &d[2], &d[3], &d[4], &d[5]);
    tiffHdrReadFlt(path, &f[0], &f[1], &f[2], &f[3], &f[4], &f[5]);
}

void WriteChecked(const char* path, const double (&w)[6]) {
    const std::string before = Load(path);
    if (tiffHdrWriteDbl(path, w[0], w[1], w[2], w[3], w[4], w[5]) == 0 && Load(path) != before) {
        std::fprintf(stderr, "a refused write changed the file\n");
        std::abort();
    }
    ReadBoth(path);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const char* path = ScratchPath().c_str();
    Store(path, data, size);
    ReadBoth(path);
    WriteChecked(path, {2, 0, 0, -3, 1001, 4998.5});
    WriteChecked(path, {2, 0.5, 0.25, -3, 1001, 4998.5});
    tiffHdrWriteFlt(path, 1e30f, 0, 0, -1e-30f, 3e38f, -3e38f);
    ReadBoth(path);
    return 0;
}
