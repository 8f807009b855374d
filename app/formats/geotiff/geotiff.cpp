#include "formats/geotiff/geotiff.h"

#include <sys/stat.h>

#include "platform/bound_libraries.h"
#include "platform/image_copy.h"
#include "platform/pending_output.h"
#include "state/folder_checks.h"
#include "state/paths.h"
#include "text/catalogue.h"

namespace marlo {

namespace {

// Pelcor's results; anything else is a result it should never give.
constexpr std::int32_t kPelcorFailure = 0;
constexpr std::int32_t kPelcorSuccess = 1;

void CheckPelcorResult(std::int32_t result, std::int16_t failureMessage, const std::string& path) {
    if (result == kPelcorFailure) {
        throw Refusal(MessageWithPath(failureMessage, path, kCr));
    }
    if (result != kPelcorSuccess) {
        throw Refusal(MessageWithPath(msg::Error, path, kCr));
    }
}

// What Pelcor reads of a file's GeoKeys, with its result.
struct Keys {
    std::int32_t result = kPelcorFailure;
    std::int32_t rasterType = 0;
    std::int32_t modelType = 0;
    std::int32_t epsg = 0;
};

Keys ReadKeys(const std::string& pelcorLibrary, const std::string& path) {
    auto& tiffHdrReadKeysInt =
        BoundFunction<TiffHdrReadKeysInt>(pelcorLibrary, "tiffHdrReadKeysInt");
    Keys keys;
    keys.result = tiffHdrReadKeysInt(path.c_str(), &keys.rasterType, &keys.modelType, &keys.epsg);
    return keys;
}

bool AnythingAt(const std::string& path) {
    struct stat entry {};
    return ::lstat(path.c_str(), &entry) == 0;
}

// The image a GeoTIFF is made from: the one a table names, or the TIFF beside a world file.
std::string SourceImage(ConversionContext& form, const std::string& sourceFolder,
                        const std::string& fileName) {
    const std::string named = JoinPath(sourceFolder, fileName);
    const auto found = FindImageFor(form, named);
    if (!found) {
        throw Refusal(MessageWithPath(msg::FileNotFound, ReplaceExtension(named, ".tif"), kCr));
    }
    return *found;
}

// A copy of the image beside the target, under a temporary name, that becomes the output only
// when it carries its georeference; the target is never replaced (message 16).
void WriteGeoreference(ConversionContext& form, const std::string& sourceFolder,
                       const std::string& outputFolder, const std::string& fileName) {
    const std::string source = SourceImage(form, sourceFolder, fileName);
    const std::string target = JoinPath(outputFolder, GetFileNameAndType(source));
    RequirePlacesAnImage(form.WorldParams, target);
    if (AnythingAt(target)) {
        throw Refusal(MessageWithPath(msg::OutputFileExists, target, kCr));
    }
    if (!form.fileSystem.FolderExists(outputFolder) || !IsImageFile(source)) {
        throw Refusal(MessageWithPath(msg::UnableToOpenFile, source, kCr));
    }
    const std::string temporary = TemporaryNameBeside(target);
    if (CopyToNewFile(source, temporary) != CopyOutcome::Copied) {
        // The source could be read: what failed is the copy in the output folder (a full
        // disk, say), and none of it is left behind.
        throw UnableToUpdate(target);
    }
    PendingOutput copy(target, temporary);
    SetAttributesArchive(form, temporary, attr::Archive);
    if (!CanEditFile(form, temporary)) {
        throw Refusal(MessageWithPath(msg::FileIsReadOnly, target));
    }
    WriteGeoTiff(form.pelcorLibrary, temporary, form.WorldParams, form.outputSystem, target);
    bool committed = false;
    try {
        committed = copy.CommitAsNew();
    } catch (const RunTimeError&) {
        throw UnableToUpdate(target);
    }
    if (!committed) {
        throw Refusal(MessageWithPath(msg::OutputFileExists, target, kCr));
    }
}

}  // namespace

GeoTiffContents ReadGeoTiff(const std::string& pelcorLibrary, const std::string& path) {
    auto& tiffHdrReadDbl = BoundFunction<TiffHdrReadDbl>(pelcorLibrary, "tiffHdrReadDbl");
    GeoTiffContents contents;
    Georeference& g = contents.georeference;
    const std::int32_t result = tiffHdrReadDbl(path.c_str(), &g.pixelSizeX, &g.rotationY,
                                               &g.rotationX, &g.pixelSizeY, &g.originX, &g.originY);
    CheckPelcorResult(result, msg::ErrorReadingHeader, path);
    const Keys keys = ReadKeys(pelcorLibrary, path);
    CheckPelcorResult(keys.result, msg::ErrorReadingHeader, path);
    contents.system = {keys.modelType == 2, keys.epsg};
    return contents;
}

CoordinateSystemCode ReadGeoTiffSystem(const std::string& pelcorLibrary, const std::string& path) {
    const Keys keys = ReadKeys(pelcorLibrary, path);
    return keys.result == kPelcorSuccess ? CoordinateSystemCode{keys.modelType == 2, keys.epsg}
                                         : CoordinateSystemCode{};
}

void WriteGeoTiff(const std::string& pelcorLibrary, const std::string& path,
                  const Georeference& georeference, const CoordinateSystemCode& system,
                  const std::string& shownPath) {
    auto& tiffHdrWriteKeyedDbl =
        BoundFunction<TiffHdrWriteKeyedDbl>(pelcorLibrary, "tiffHdrWriteKeyedDbl");
    const Georeference& g = georeference;
    const std::int32_t result =
        tiffHdrWriteKeyedDbl(path.c_str(), g.pixelSizeX, g.rotationY, g.rotationX, g.pixelSizeY,
                             g.originX, g.originY, system.geographic ? 2 : 1, system.epsg);
    CheckPelcorResult(result, msg::ErrorWritingHeader, shownPath);
}

ImageSize MeasureImage(const std::string& vantrelLibrary, const std::string& path) {
    auto& checkTiffResolution =
        BoundFunction<CheckTiffResolutionFunction>(vantrelLibrary, "CheckTiffResolution");
    if (checkTiffResolution(path.c_str()) != 0) {
        return {};
    }
    return {BoundFunction<TiffSizeFunction>(vantrelLibrary, "GetTIFFWidth")(),
            BoundFunction<TiffSizeFunction>(vantrelLibrary, "GetTIFFLength")()};
}

void OdczytGEO(ConversionContext& form, const std::string& path) {
    RunStep(form, "OdczytGEO", ErrorLevel::HandOn, [&] {
        if (!form.fileSystem.FileExists(path)) {
            throw Refusal(MessageWithPath(msg::FileNotFound, path, kCr));
        }
        const GeoTiffContents contents = ReadGeoTiff(form.pelcorLibrary, path);
        form.WorldParams = contents.georeference;
        form.imageSystem = contents.system;
        RequirePlacesAnImage(form.WorldParams, path);
    });
}

void ZapisGEO(ConversionContext& form, const std::string& sourceFolder,
              const std::string& outputFolder, const std::string& fileName) {
    RunStep(form, "ZapisGEO", ErrorLevel::HandOn,
            [&] { WriteGeoreference(form, sourceFolder, outputFolder, fileName); });
}

void GetTiffInfo(ConversionContext& form, const std::string& path) {
    ImageSize size;
    const bool measured = RunProcedure(form.errorReport, "GetTiffInfo", ErrorLevel::Report,
                                       [&] { size = MeasureImage(form.vantrelLibrary, path); });
    // Sizes of an earlier image would put another image's corners into the table, so a failed
    // measurement gives zero; set here, since an assignment cut short by the error may have
    // left anything in `size`.
    if (!measured) {
        size = ImageSize{};
    }
    form.imageWidth = size.width;
    form.imageHeight = size.height;
}

}  // namespace marlo
