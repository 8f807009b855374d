#include "test_images.h"

#include <tiffio.h>

#include <stdexcept>
#include <vector>

#include "text/catalogue.h"

namespace marlo::test {

namespace {

constexpr std::uint32_t kTileSide = 16;

std::string OpenMode(const TiffLayout& layout) {
    std::string mode = "w";
    mode += layout.bigEndian ? "b" : "l";
    if (layout.bigTiff) {
        mode += "8";
    }
    return mode;
}

std::uint8_t PixelAt(std::uint32_t x, std::uint32_t y, int page) {
    return static_cast<std::uint8_t>((x * 7 + y * 13 + static_cast<std::uint32_t>(page) * 31) &
                                     0xFF);
}

void WriteStrips(TIFF* tif, const TiffLayout& layout, int page) {
    std::vector<std::uint8_t> row(layout.width);
    for (std::uint32_t y = 0; y < layout.height; ++y) {
        for (std::uint32_t x = 0; x < layout.width; ++x) {
            row[x] = PixelAt(x, y, page);
        }
        if (TIFFWriteScanline(tif, row.data(), y, 0) < 0) {
            throw std::runtime_error("cannot write a scanline");
        }
    }
}

void WriteTiles(TIFF* tif, const TiffLayout& layout, int page) {
    std::vector<std::uint8_t> tile(kTileSide * kTileSide);
    for (std::uint32_t ty = 0; ty < layout.height; ty += kTileSide) {
        for (std::uint32_t tx = 0; tx < layout.width; tx += kTileSide) {
            for (std::uint32_t y = 0; y < kTileSide; ++y) {
                for (std::uint32_t x = 0; x < kTileSide; ++x) {
                    tile[y * kTileSide + x] = PixelAt(tx + x, ty + y, page);
                }
            }
            if (TIFFWriteTile(tif, tile.data(), tx, ty, 0, 0) < 0) {
                throw std::runtime_error("cannot write a tile");
            }
        }
    }
}

}  // namespace

void WriteTiff(const std::string& path, const TiffLayout& layout) {
    TIFF* tif = TIFFOpen(path.c_str(), OpenMode(layout).c_str());
    if (tif == nullptr) {
        throw std::runtime_error("cannot create " + path);
    }
    for (int page = 0; page < layout.pages; ++page) {
        TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, layout.width);
        TIFFSetField(tif, TIFFTAG_IMAGELENGTH, layout.height);
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
        TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
        TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        TIFFSetField(tif, TIFFTAG_COMPRESSION, layout.compression);
        if (layout.pages > 1) {
            TIFFSetField(tif, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
            TIFFSetField(tif, TIFFTAG_PAGENUMBER, page, layout.pages);
        }
        if (layout.tiled) {
            TIFFSetField(tif, TIFFTAG_TILEWIDTH, kTileSide);
            TIFFSetField(tif, TIFFTAG_TILELENGTH, kTileSide);
            WriteTiles(tif, layout, page);
        } else {
            TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 8);
            WriteStrips(tif, layout, page);
        }
        TIFFWriteDirectory(tif);
    }
    TIFFClose(tif);
}

std::string WorldFileText(const std::string& a, const std::string& d, const std::string& b,
                          const std::string& e, const std::string& x0, const std::string& y0) {
    return a + "\r\n" + d + "\r\n" + b + "\r\n" + e + "\r\n" + x0 + "\r\n" + y0 + "\r\n";
}

}  // namespace marlo::test
