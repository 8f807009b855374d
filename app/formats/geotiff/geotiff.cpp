#include "formats/geotiff/geotiff.h"

#include "crs/answer_cache.h"
#include "crs/coordinate_systems.h"
#include "pelcor/pelcor.h"
#include "platform/bound_libraries.h"
#include "text/catalogue.h"
#include "vantrel/vantrel.h"

namespace marlo {

namespace {

// Pelcor's results; anything else is a result it should never give.
constexpr std::int32_t kPelcorFailure = 0;
constexpr std::int32_t kPelcorSuccess = 1;

template <class Values>
std::int32_t Count(const Values& values) {
    return static_cast<std::int32_t>(values.size());
}

void CheckPelcorResult(const Texts& texts, std::int32_t result, std::int16_t failureMessage,
                       const std::string& path) {
    if (result == kPelcorFailure) {
        throw Refusal(texts.MessageWithPath(failureMessage, path, kCr));
    }
    if (result != kPelcorSuccess) {
        throw Refusal(texts.MessageWithPath(msg::Error, path, kCr));
    }
}

// Why Pelcor found no georeference in a file it could read: no tags, or ground control points
// only, where it can tell; "Error reading header" otherwise, and with a Pelcor too old to say.
std::int16_t NoGeoreferenceMessage(BoundLibrary& pelcor, const std::string& path) {
    std::int32_t kind = -1;
    const auto readKind = MARLO_BOUND(pelcor, tiffHdrReadGeoreferenceKind);
    if (readKind.Unavailable() || readKind(path.c_str(), &kind) != kPelcorSuccess) {
        return msg::ErrorReadingHeader;
    }
    switch (kind) {
        case 0:
            return msg::NoGeoreference;
        case 2:
            return msg::ControlPointsOnly;
        default:
            return msg::ErrorReadingHeader;
    }
}

// What Pelcor reads of a file's GeoKeys, with its result.
struct Keys {
    std::int32_t result = kPelcorFailure;
    std::int32_t rasterType = 0;
    std::int32_t modelType = 0;
    std::int32_t epsg = 0;
};

Keys ReadKeys(BoundLibrary& pelcor, const std::string& path) {
    Keys keys;
    keys.result = MARLO_BOUND(pelcor, tiffHdrReadKeysInt)(path.c_str(), &keys.rasterType,
                                                          &keys.modelType, &keys.epsg);
    return keys;
}

}  // namespace

GeoTiffContents ReadGeoTiff(const Texts& texts, BoundLibrary& pelcor, const std::string& path) {
    const auto tiffHdrReadDbl = MARLO_BOUND(pelcor, tiffHdrReadDbl);
    GeoTiffContents contents;
    Georeference& g = contents.georeference;
    const std::int32_t result = tiffHdrReadDbl(path.c_str(), &g.pixelSizeX, &g.rotationY,
                                               &g.rotationX, &g.pixelSizeY, &g.originX, &g.originY);
    if (result == kPelcorFailure) {
        throw Refusal(texts.MessageWithPath(NoGeoreferenceMessage(pelcor, path), path, kCr));
    }
    CheckPelcorResult(texts, result, msg::ErrorReadingHeader, path);
    const Keys keys = ReadKeys(pelcor, path);
    CheckPelcorResult(texts, keys.result, msg::ErrorReadingHeader, path);
    contents.system = {keys.modelType == 2, keys.epsg};
    return contents;
}

CoordinateSystemCode ReadGeoTiffSystem(BoundLibrary& pelcor, const std::string& path) {
    const Keys keys = ReadKeys(pelcor, path);
    return keys.result == kPelcorSuccess ? CoordinateSystemCode{keys.modelType == 2, keys.epsg}
                                         : CoordinateSystemCode{};
}

void WriteGeoTiff(const Texts& texts, BoundLibrary& pelcor, const std::string& path,
                  const Georeference& georeference, const GeoTiffSystem& system,
                  const std::string& shownPath, TagWriting writing) {
    const Georeference& g = georeference;
    const bool inPlace = writing == TagWriting::InPlace;
    std::int32_t result = 0;
    using Source = GeoTiffSystem::Source;
    if (system.source == Source::GdalKeys || system.source == Source::None) {
        // No directory removes the keys: the file then states no system at all.
        const GeoKeyTags& k = system.keys;
        const auto write = inPlace ? MARLO_BOUND(pelcor, tiffHdrWriteGeoKeysInPlaceDbl)
                                   : MARLO_BOUND(pelcor, tiffHdrWriteGeoKeysDbl);
        result = write(path.c_str(), g.pixelSizeX, g.rotationY, g.rotationX, g.pixelSizeY,
                       g.originX, g.originY, k.directory.data(), Count(k.directory),
                       k.doubles.data(), Count(k.doubles), k.ascii.data(), Count(k.ascii));
    } else {
        const auto write = inPlace ? MARLO_BOUND(pelcor, tiffHdrWriteKeyedInPlaceDbl)
                                   : MARLO_BOUND(pelcor, tiffHdrWriteKeyedDbl);
        result = write(path.c_str(), g.pixelSizeX, g.rotationY, g.rotationX, g.pixelSizeY,
                       g.originX, g.originY, system.code.geographic ? 2 : 1, system.code.epsg);
    }
    CheckPelcorResult(texts, result, msg::ErrorWritingHeader, shownPath);
}

void RequireWritableInPlace(const Texts& texts, BoundLibrary& pelcor, const std::string& path) {
    constexpr std::int32_t kDirectoriesFirst = 1;
    constexpr std::int32_t kLockedElsewhere = 2;
    std::int32_t blocker = 0;
    if (MARLO_BOUND(pelcor, tiffHdrReadInPlaceBlockerInt)(path.c_str(), &blocker) !=
        kPelcorSuccess) {
        throw Refusal(texts.MessageWithPath(msg::FileIsReadOnly, path));
    }
    if (blocker == kLockedElsewhere) {
        throw Refusal(texts.MessageWithPath(msg::OpenElsewhereForWriting, path, kCr));
    }
    if (blocker == kDirectoriesFirst) {
        throw Refusal(texts.MessageWithPath(msg::CloudOptimisedLayout, path, kCr));
    }
}

bool StatesAGeoreference(BoundLibrary& pelcor, const std::string& path) {
    constexpr std::int32_t kNoGeoreferenceTag = 0;
    std::int32_t kind = kNoGeoreferenceTag;
    return MARLO_BOUND(pelcor, tiffHdrReadGeoreferenceKind)(path.c_str(), &kind) ==
               kPelcorSuccess &&
           kind != kNoGeoreferenceTag;
}

GeoKeyTags ReadGeoKeyTags(BoundLibrary& pelcor, const std::string& path) {
    const auto tiffHdrReadGeoKeys = MARLO_BOUND(pelcor, tiffHdrReadGeoKeys);
    GeoKeyTags keys;
    // Room for any usual set of keys; a larger one says its size and is read again.
    std::int32_t sizes[3] = {512, 64, 4096};
    for (int attempt = 0; attempt < 2; ++attempt) {
        keys.directory.resize(static_cast<std::size_t>(sizes[0]));
        keys.doubles.resize(static_cast<std::size_t>(sizes[1]));
        keys.ascii.resize(static_cast<std::size_t>(sizes[2]));
        const std::int32_t result =
            tiffHdrReadGeoKeys(path.c_str(), keys.directory.data(), &sizes[0], keys.doubles.data(),
                               &sizes[1], keys.ascii.data(), &sizes[2]);
        if (result == kPelcorSuccess) {
            keys.directory.resize(static_cast<std::size_t>(sizes[0]));
            keys.doubles.resize(static_cast<std::size_t>(sizes[1]));
            keys.ascii.resize(static_cast<std::size_t>(sizes[2]));
            return keys;
        }
    }
    return {};
}

bool KeysStateASystem(const GeoKeyTags& keys) {
    constexpr std::size_t kHeader = 4;
    constexpr std::uint16_t kModelTypeKey = 1024;
    constexpr std::uint16_t kFirstSystemKey = 2048;
    constexpr std::uint16_t kPastSystemKeys = 5000;
    const auto& d = keys.directory;
    const std::size_t count = d.size() >= kHeader ? d[3] : 0;
    for (std::size_t key = 0; key < count && kHeader + 4 * key < d.size(); ++key) {
        const std::uint16_t id = d[kHeader + 4 * key];
        if (id == kModelTypeKey || (id >= kFirstSystemKey && id < kPastSystemKeys)) {
            return true;
        }
    }
    return false;
}

std::optional<std::string> SystemOfKeys(const Environment& env, const GeoKeyTags& keys) {
    return SystemOfGeoKeys(env, keys);
}

std::optional<GeoKeyTags> KeysOfSystem(const Environment& env, const std::string& wkt) {
    GeoKeyTags keys = GeoKeysOfSystem(env, wkt);
    return keys.directory.empty() ? std::nullopt : std::optional<GeoKeyTags>(std::move(keys));
}

ReportedResult<ImageSize> MeasureImage(BoundLibrary& vantrel, const std::string& path) {
    const auto check = MARLO_BOUND(vantrel, CheckTiffResolution);
    const auto width = MARLO_BOUND(vantrel, GetTIFFWidth);
    const auto length = MARLO_BOUND(vantrel, GetTIFFLength);
    // Each function is bound when it is first needed, as a call of it would be.
    if (auto unbound = check.Unavailable()) {
        return {{}, std::move(unbound)};
    }
    if (check(path.c_str()) != 0) {
        return {};
    }
    for (const auto* needed : {&width, &length}) {
        if (auto unbound = needed->Unavailable()) {
            return {{}, std::move(unbound)};
        }
    }
    return {{width(), length()}, std::nullopt};
}

}  // namespace marlo
