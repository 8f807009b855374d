// Fuzz targets for Pelcor: reading any bytes, and writing into them. A refused write must leave
// every byte; a write that succeeds must read back as written.
#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <string>

#include "fuzz_targets.h"
#include "pelcor/pelcor.h"

namespace marlo::fuzz {

namespace {

std::string Load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void ReadEverything(const char* path) {
    double d[6];
    float f[6];
    int32_t keys[3];
    tiffHdrReadDbl(path, &d[0], &d[1], &d[2], &d[3], &d[4], &d[5]);
    tiffHdrReadFlt(path, &f[0], &f[1], &f[2], &f[3], &f[4], &f[5]);
    tiffHdrReadKeysInt(path, &keys[0], &keys[1], &keys[2]);
    uint16_t directory[64];
    double doubles[16];
    char ascii[256];
    int32_t counts[3] = {64, 16, 256};
    tiffHdrReadGeoKeys(path, directory, &counts[0], doubles, &counts[1], ascii, &counts[2]);
}

// Whole GeoKeys (a user-defined system with a double and a citation) written and read back.
void WriteKeysChecked(const char* path) {
    const std::string before = Load(path);
    const uint16_t directory[] = {1, 1, 0, 3, 1024, 0, 1, 1, 1026, 34737, 5, 0, 3088, 34736, 1, 0};
    const double doubles[] = {17.5};
    const char ascii[] = "test|";
    if (tiffHdrWriteGeoKeysDbl(path, 2, 0, 0, -3, 1001, 4998.5, directory, 16, doubles, 1, ascii,
                               5) == 0) {
        if (Load(path) != before) {
            Broken("a refused key write changed the file");
        }
        return;
    }
    uint16_t readDirectory[64];
    double readDoubles[16];
    char readAscii[256];
    int32_t counts[3] = {64, 16, 256};
    if (tiffHdrReadGeoKeys(path, readDirectory, &counts[0], readDoubles, &counts[1], readAscii,
                           &counts[2]) != 1 ||
        counts[1] != 1 || readDoubles[0] != 17.5 || std::string(readAscii, counts[2]) != ascii) {
        Broken("written GeoKeys read back as others");
    }
}

bool EqualWithinBillionth(double a, double b) {
    return std::abs(a - b) <= 1e-9 * std::max({1.0, std::abs(a), std::abs(b)});
}

void WriteChecked(const char* path, const double (&w)[6], bool keyed) {
    const std::string before = Load(path);
    const int32_t written =
        keyed ? tiffHdrWriteKeyedDbl(path, w[0], w[1], w[2], w[3], w[4], w[5], 1, 2180)
              : tiffHdrWriteDbl(path, w[0], w[1], w[2], w[3], w[4], w[5]);
    if (written == 0) {
        if (Load(path) != before) {
            Broken("a refused write changed the file");
        }
        return;
    }
    double r[6];
    if (tiffHdrReadDbl(path, &r[0], &r[1], &r[2], &r[3], &r[4], &r[5]) != 1) {
        Broken("a written georeference cannot be read");
    }
    for (int i = 0; i < 6; ++i) {
        if (!EqualWithinBillionth(r[i], w[i])) {
            Broken("a written georeference reads back as another");
        }
    }
    int32_t keys[3];
    if (keyed && (tiffHdrReadKeysInt(path, &keys[0], &keys[1], &keys[2]) != 1 || keys[0] != 2 ||
                  keys[2] != 2180)) {
        Broken("written keys read back as others");
    }
}

}  // namespace

int PelcorRead(const std::uint8_t* data, std::size_t size) {
    ReadEverything(Scratch("r.tif", data, size).c_str());
    return 0;
}

int PelcorWrite(const std::uint8_t* data, std::size_t size) {
    const std::string path = Scratch("w.tif", data, size);
    WriteChecked(path.c_str(), {2, 0, 0, -3, 1001, 4998.5}, false);
    WriteChecked(path.c_str(), {2, 0.5, 0.25, -3, 1001, 4998.5}, true);
    WriteChecked(path.c_str(), {2, 0, 0, 3, 1001, 4998.5}, true);
    WriteKeysChecked(path.c_str());
    ReadEverything(path.c_str());
    return 0;
}

}  // namespace marlo::fuzz
