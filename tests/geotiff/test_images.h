#pragma once

#include <cstdint>
#include <string>

#include "support/form_fixture.h"

namespace marlo::test {

// How a test image made with libtiff is laid out.
struct TiffLayout {
    std::uint32_t width = 40;
    std::uint32_t height = 30;
    bool bigEndian = false;
    bool bigTiff = false;
    bool tiled = false;
    std::uint16_t compression = 1;  // COMPRESSION_NONE
    int pages = 1;
};

// Writes a grey image with a gradient, so that pixel checksums mean something.
void WriteTiff(const std::string& path, const TiffLayout& layout = {});

// A world file's six lines, each ended by CR LF.
std::string WorldFileText(const std::string& a, const std::string& d, const std::string& b,
                          const std::string& e, const std::string& x0, const std::string& y0);

using TestForm = RunHarness;

}  // namespace marlo::test
