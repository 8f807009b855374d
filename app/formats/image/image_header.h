#pragma once

#include <string>

#include "values/georeference.h"

namespace marlo {

// The pixel width and height a JPEG, PNG, GIF or BMP file states in its header, read within
// the file's bounds; zero for anything else, and for a header that is cut short or states a
// size no image has.
ImageSize ImageSizeFromHeader(const std::string& path);

}  // namespace marlo
