// The C face of the library. Nothing may escape it but 1 or 0: every call runs inside one
// catch-all, since an exception crossing a C boundary ends the host program.
#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
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

// The keys a keyed write declares; nothing for a model type GeoTIFF does not know or a code
// the keys cannot hold. Code 0 states no coordinate system.
std::optional<pelcor::KeyWrite> KeysFor(int32_t modelType, int32_t epsg) {
    if (epsg == 0) {
        return pelcor::KeyWrite{true, {}, std::nullopt};
    }
    const bool knownModel =
        modelType == pelcor::kModelProjected || modelType == pelcor::kModelGeographic;
    if (!knownModel || epsg < 1 || epsg > 65535) {
        return std::nullopt;
    }
    return pelcor::KeyWrite{
        true,
        {static_cast<std::uint16_t>(modelType), static_cast<std::uint16_t>(epsg)},
        std::nullopt};
}

// Copies values into a caller's array of `*count` places, setting *count to the number of
// values; false (nothing copied) when they do not fit.
template <typename Value, typename Values>
bool CopyOut(const Values& values, Value* out, int32_t* count) {
    const bool fits = *count >= 0 && values.size() <= static_cast<std::size_t>(*count);
    *count = static_cast<int32_t>(values.size());
    if (!fits || (out == nullptr && !values.empty())) {
        return false;
    }
    std::copy(values.begin(), values.end(), out);
    return true;
}

// Whether a caller's array and count make sense: a count of 0 (whatever the pointer), or a
// positive count with an array behind it.
template <typename Value>
bool IsArray(const Value* values, int32_t count) {
    return count == 0 || (count > 0 && values != nullptr);
}

template <typename Value>
std::vector<Value> CopyIn(const Value* values, int32_t count) {
    return count > 0 ? std::vector<Value>(values, values + count) : std::vector<Value>{};
}

bool WriteKeyed(const char* fileName, const WorldParams& world, int32_t modelType, int32_t epsg,
                pelcor::WriteMode mode) {
    const auto keys = KeysFor(modelType, epsg);
    return fileName != nullptr && keys && pelcor::WriteGeoreference(fileName, world, *keys, mode);
}

// The GeoKey tags a caller hands over, as its arrays and counts.
struct GivenKeys {
    const uint16_t* directory;
    int32_t directoryCount;
    const double* doubles;
    int32_t doubleCount;
    const char* ascii;
    int32_t asciiLength;
};

bool WriteWithGeoKeys(const char* fileName, const WorldParams& world, const GivenKeys& given,
                      pelcor::WriteMode mode) {
    if (!IsArray(given.directory, given.directoryCount) ||
        !IsArray(given.doubles, given.doubleCount) || !IsArray(given.ascii, given.asciiLength)) {
        return false;
    }
    pelcor::KeyWrite keys;
    keys.replacement = pelcor::RawGeoKeys{
        CopyIn(given.directory, given.directoryCount), CopyIn(given.doubles, given.doubleCount),
        given.asciiLength > 0 ? std::string(given.ascii, given.asciiLength) : std::string()};
    return fileName != nullptr && pelcor::WriteGeoreference(fileName, world, keys, mode);
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

int32_t tiffHdrWriteKeyedDbl(const char* fileName, double pixelSizeX, double rotationY,
                             double rotationX, double pixelSizeY, double originX, double originY,
                             int32_t modelType, int32_t epsg) {
    return Guarded([&] {
        return WriteKeyed(
            fileName, WorldParams{pixelSizeX, rotationY, rotationX, pixelSizeY, originX, originY},
            modelType, epsg, pelcor::WriteMode::Update);
    });
}

int32_t tiffHdrWriteKeyedInPlaceDbl(const char* fileName, double pixelSizeX, double rotationY,
                                    double rotationX, double pixelSizeY, double originX,
                                    double originY, int32_t modelType, int32_t epsg) {
    return Guarded([&] {
        return WriteKeyed(
            fileName, WorldParams{pixelSizeX, rotationY, rotationX, pixelSizeY, originX, originY},
            modelType, epsg, pelcor::WriteMode::CrashSafe);
    });
}

int32_t tiffHdrReadInPlaceBlockerInt(const char* fileName, int32_t* blocker) {
    return Guarded([&] {
        if (fileName == nullptr || blocker == nullptr) {
            return false;
        }
        const auto found = pelcor::CrashSafeBlockerOf(fileName);
        if (!found) {
            return false;
        }
        *blocker = static_cast<int32_t>(*found);
        return true;
    });
}

int32_t tiffHdrReadKeysInt(const char* fileName, int32_t* rasterType, int32_t* modelType,
                           int32_t* epsg) {
    return Guarded([&] {
        if (fileName == nullptr || !rasterType || !modelType || !epsg) {
            return false;
        }
        const auto info = pelcor::ReadKeyInfo(fileName);
        if (!info) {
            return false;
        }
        *rasterType = info->rasterType;
        *modelType = info->modelType;
        *epsg = info->epsg;
        return true;
    });
}

int32_t tiffHdrReadGeoreferenceKind(const char* fileName, int32_t* kind) {
    return Guarded([&] {
        if (fileName == nullptr || kind == nullptr) {
            return false;
        }
        const auto found = pelcor::ReadGeoreferenceKind(fileName);
        if (!found) {
            return false;
        }
        *kind = static_cast<int32_t>(*found);
        return true;
    });
}

int32_t tiffHdrReadGeoKeys(const char* fileName, uint16_t* directory, int32_t* directoryCount,
                           double* doubles, int32_t* doubleCount, char* ascii,
                           int32_t* asciiLength) {
    return Guarded([&] {
        if (fileName == nullptr || !directoryCount || !doubleCount || !asciiLength) {
            return false;
        }
        const auto raw = pelcor::ReadRawGeoKeys(fileName);
        if (!raw) {
            return false;
        }
        // Every count is set, so that a caller whose arrays were too small learns the sizes.
        const bool directoryFits = CopyOut(raw->directory, directory, directoryCount);
        const bool doublesFit = CopyOut(raw->doubles, doubles, doubleCount);
        const bool asciiFits = CopyOut(raw->ascii, ascii, asciiLength);
        return directoryFits && doublesFit && asciiFits;
    });
}

int32_t tiffHdrWriteGeoKeysDbl(const char* fileName, double pixelSizeX, double rotationY,
                               double rotationX, double pixelSizeY, double originX, double originY,
                               const uint16_t* directory, int32_t directoryCount,
                               const double* doubles, int32_t doubleCount, const char* ascii,
                               int32_t asciiLength) {
    return Guarded([&] {
        return WriteWithGeoKeys(
            fileName, WorldParams{pixelSizeX, rotationY, rotationX, pixelSizeY, originX, originY},
            GivenKeys{directory, directoryCount, doubles, doubleCount, ascii, asciiLength},
            pelcor::WriteMode::Update);
    });
}

int32_t tiffHdrWriteGeoKeysInPlaceDbl(const char* fileName, double pixelSizeX, double rotationY,
                                      double rotationX, double pixelSizeY, double originX,
                                      double originY, const uint16_t* directory,
                                      int32_t directoryCount, const double* doubles,
                                      int32_t doubleCount, const char* ascii, int32_t asciiLength) {
    return Guarded([&] {
        return WriteWithGeoKeys(
            fileName, WorldParams{pixelSizeX, rotationY, rotationX, pixelSizeY, originX, originY},
            GivenKeys{directory, directoryCount, doubles, doubleCount, ascii, asciiLength},
            pelcor::WriteMode::CrashSafe);
    });
}

}  // extern "C"
