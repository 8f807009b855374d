// The C face of the library. Nothing may escape it but 1 or 0: every call runs inside one
// catch-all, since an exception crossing a C boundary ends the host program.
#include <cmath>
#include <limits>
#include <type_traits>

#include "georeference_file.h"
#include "pelcor/pelcor.h"

namespace {

using pelcor::WorldParams;

template <typename Call>
int32_t Guarded(Call call) noexcept {
    try {
        return call() ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

// A double beyond float's range becomes an infinity of its sign; a plain conversion of such a
// value is undefined.
float ToFloat(double value) {
    if (std::abs(value) > std::numeric_limits<float>::max()) {
        return value > 0 ? std::numeric_limits<float>::infinity()
                         : -std::numeric_limits<float>::infinity();
    }
    return static_cast<float>(value);
}

template <typename Number>
bool ReadInto(const char* fileName, Number* pixelSizeX, Number* rotationY, Number* rotationX,
              Number* pixelSizeY, Number* originX, Number* originY) {
    if (fileName == nullptr || !pixelSizeX || !rotationY || !rotationX || !pixelSizeY || !originX ||
        !originY) {
        return false;
    }
    const auto world = pelcor::ReadGeoreference(fileName);
    if (!world) {
        return false;
    }
    const auto store = [](Number* target, double value) {
        if constexpr (std::is_same_v<Number, float>) {
            *target = ToFloat(value);
        } else {
            *target = value;
        }
    };
    store(pixelSizeX, world->pixelSizeX);
    store(rotationY, world->rotationY);
    store(rotationX, world->rotationX);
    store(pixelSizeY, world->pixelSizeY);
    store(originX, world->originX);
    store(originY, world->originY);
    return true;
}

bool Write(const char* fileName, const WorldParams& world) {
    return fileName != nullptr && pelcor::WriteGeoreference(fileName, world);
}

}  // namespace

extern "C" {

int32_t tiffHdrReadDbl(const char* fileName, double* pixelSizeX, double* rotationY,
                       double* rotationX, double* pixelSizeY, double* originX, double* originY) {
    return Guarded([&] {
        return ReadInto(fileName, pixelSizeX, rotationY, rotationX, pixelSizeY, originX, originY);
    });
}

int32_t tiffHdrReadFlt(const char* fileName, float* pixelSizeX, float* rotationY, float* rotationX,
                       float* pixelSizeY, float* originX, float* originY) {
    return Guarded([&] {
        return ReadInto(fileName, pixelSizeX, rotationY, rotationX, pixelSizeY, originX, originY);
    });
}

int32_t tiffHdrWriteDbl(const char* fileName, double pixelSizeX, double rotationY, double rotationX,
                        double pixelSizeY, double originX, double originY) {
    return Guarded([&] {
        return Write(fileName,
                     WorldParams{pixelSizeX, rotationY, rotationX, pixelSizeY, originX, originY});
    });
}

int32_t tiffHdrWriteFlt(const char* fileName, float pixelSizeX, float rotationY, float rotationX,
                        float pixelSizeY, float originX, float originY) {
    return Guarded([&] {
        return Write(fileName,
                     WorldParams{pixelSizeX, rotationY, rotationX, pixelSizeY, originX, originY});
    });
}

}  // extern "C"
