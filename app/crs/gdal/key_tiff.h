#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace marlo::bridge {

// The three GeoKey tags of a GeoTIFF as stored: directory values, doubles, and the ASCII text
// without its final NUL.
struct GeoKeys {
    std::vector<std::uint16_t> directory;
    std::vector<double> doubles;
    std::string ascii;
};

// The bytes of a one-pixel little-endian TIFF that carries the keys (no GeoKey tags when the
// directory is empty), so GDAL can read a system from keys without any file on disk.
std::vector<unsigned char> OnePixelTiff(const GeoKeys& keys);

// The GeoKey tags of a classic little-endian TIFF's first directory (as GDAL writes it); false
// when the bytes are not such a TIFF or a tag lies outside them. No directory tag: no keys.
bool ReadGeoKeys(const std::vector<unsigned char>& tiff, GeoKeys& keys);

}  // namespace marlo::bridge
