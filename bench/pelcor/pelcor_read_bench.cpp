// Reading the georeference and the GeoKeys must cost the same few kilobytes whatever the
// image's size. Makes sparse 8-bit TIFFs of 1 MiB and 1 GiB of pixels, with the directory before or
// after the pixels, reads each many times and prints the median time and the median bytes read
// (rchar of /proc/self/io, which counts every byte the process reads through the kernel).
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "pelcor/pelcor.h"

namespace {

namespace fs = std::filesystem;

constexpr int kRuns = 21;

std::string U16(std::uint16_t v) {
    return {static_cast<char>(v & 0xff), static_cast<char>(v >> 8)};
}

std::string U32(std::uint32_t v) {
    return U16(static_cast<std::uint16_t>(v)) + U16(static_cast<std::uint16_t>(v >> 16));
}

std::string Doubles(std::initializer_list<double> values) {
    std::string out;
    for (double value : values) {
        out.append(reinterpret_cast<const char*>(&value), sizeof value);
    }
    return out;
}

std::string Entry(std::uint16_t tag, std::uint16_t type, std::uint32_t count, std::uint32_t last) {
    return U16(tag) + U16(type) + U32(count) + U32(last);
}

// The directory with its two value arrays right behind it, as one block starting at offset.
std::string DirectoryBlock(std::uint32_t offset, std::uint32_t side, std::uint32_t pixelOffset) {
    constexpr std::uint16_t kEntries = 11;
    const std::uint32_t values = offset + 2 + 12 * kEntries + 4;
    std::string block = U16(kEntries) + Entry(256, 4, 1, side) + Entry(257, 4, 1, side) +
                        Entry(258, 3, 1, 8) + Entry(259, 3, 1, 1) + Entry(262, 3, 1, 1) +
                        Entry(273, 4, 1, pixelOffset) + Entry(277, 3, 1, 1) +
                        Entry(278, 4, 1, side) + Entry(279, 4, 1, side * side) +
                        Entry(33550, 12, 3, values) + Entry(33922, 12, 6, values + 24) + U32(0);
    return block + Doubles({2, 3, 0}) + Doubles({0, 0, 0, 1000, 5000, 0});
}

// A square image whose pixels are never written, so the file is sparse.
void MakeTiff(const std::string& path, std::uint32_t side, bool directoryAtEnd) {
    const std::uint64_t pixels = std::uint64_t{side} * side;
    const std::uint32_t blockSize = static_cast<std::uint32_t>(DirectoryBlock(0, side, 0).size());
    const std::uint32_t directory = directoryAtEnd ? static_cast<std::uint32_t>(8 + pixels) : 8;
    const std::uint32_t pixelOffset = directoryAtEnd ? 8 : 8 + blockSize;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << std::string("II\x2a\0", 4) << U32(directory);
    out.seekp(directory);
    out << DirectoryBlock(directory, side, pixelOffset);
    out.close();
    fs::resize_file(path, 8 + pixels + blockSize);
}

std::uint64_t BytesReadSoFar() {
    std::ifstream io("/proc/self/io");
    std::string key;
    std::uint64_t value = 0;
    while (io >> key >> value) {
        if (key == "rchar:") {
            return value;
        }
    }
    return 0;
}

template <typename T>
T Median(std::vector<T> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// What reading /proc/self/io itself adds to rchar, so it can be taken off each measurement.
std::uint64_t MeasuringOverhead() {
    std::vector<std::uint64_t> deltas;
    for (int run = 0; run < kRuns; ++run) {
        const std::uint64_t before = BytesReadSoFar();
        deltas.push_back(BytesReadSoFar() - before);
    }
    return Median(deltas);
}

void Measure(const std::string& label, const std::string& path) {
    static const std::uint64_t overhead = MeasuringOverhead();
    std::vector<double> micros;
    std::vector<std::uint64_t> bytes;
    for (int run = 0; run < kRuns; ++run) {
        double w[6];
        int32_t keys[3];
        const std::uint64_t before = BytesReadSoFar();
        const auto start = std::chrono::steady_clock::now();
        // What the program reads of a GeoTIFF: the georeference and what its keys say.
        const int32_t ok = tiffHdrReadDbl(path.c_str(), &w[0], &w[1], &w[2], &w[3], &w[4], &w[5]) &
                           tiffHdrReadKeysInt(path.c_str(), &keys[0], &keys[1], &keys[2]);
        const auto stop = std::chrono::steady_clock::now();
        const std::uint64_t after = BytesReadSoFar();
        if (ok != 1) {
            std::fprintf(stderr, "%s: read failed\n", label.c_str());
            std::exit(1);
        }
        micros.push_back(std::chrono::duration<double, std::micro>(stop - start).count());
        bytes.push_back(after - before - overhead);
    }
    std::printf("%-34s %14ju %12ju %12.1f\n", label.c_str(),
                static_cast<std::uintmax_t>(fs::file_size(path)),
                static_cast<std::uintmax_t>(Median(bytes)), Median(micros));
}

}  // namespace

int main() {
    const fs::path folder =
        fs::temp_directory_path() / ("pelcor-bench-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    std::printf("%-34s %14s %12s %12s\n", "file", "size (bytes)", "bytes read", "time (us)");
    for (const bool atEnd : {false, true}) {
        for (const std::uint32_t side : {1024u, 32768u}) {
            const std::string path = (folder / "image.tif").string();
            MakeTiff(path, side, atEnd);
            std::ostringstream label;
            label << (side == 1024 ? "1 MiB" : "1 GiB") << ", directory "
                  << (atEnd ? "after pixels" : "before pixels");
            Measure(label.str(), path);
        }
    }
    std::printf("(medians of %d reads; bytes read = rchar of /proc/self/io)\n", kRuns);
    fs::remove_all(folder);
    return 0;
}
