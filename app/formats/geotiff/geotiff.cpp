#include "formats/geotiff/geotiff.h"

#include <filesystem>

#include "platform/bound_libraries.h"
#include "platform/image_copy.h"
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

// Puts a copy of the source into the output folder; refuses when there is no new copy to
// write into.
void CopyImage(const FileSystemService& files, const std::string& source,
               const std::string& outputFolder, const std::string& imageName) {
    const std::string target = JoinPath(outputFolder, imageName);
    if (!files.FileExists(source)) {
        throw Refusal(MessageWithPath(msg::FileNotFound, source, kCr));
    }
    if (files.FileExists(target)) {
        throw Refusal(MessageWithPath(msg::OutputFileExists, target, kCr));
    }
    if (files.FolderExists(outputFolder)) {
        const CopyOutcome outcome = CopyToNewFile(
            files.ResolveOnDisk(source), JoinPath(files.ResolveOnDisk(outputFolder), imageName));
        if (outcome == CopyOutcome::TargetExists) {
            throw Refusal(MessageWithPath(msg::OutputFileExists, target, kCr));
        }
    }
    if (!files.FileExists(target)) {
        throw Refusal(MessageWithPath(msg::UnableToOpenFile, source, kCr));
    }
}

void WriteGeoreference(ConversionContext& form, const std::string& sourceFolder,
                       const std::string& outputFolder, const std::string& fileName) {
    const std::string imageName = ReplaceExtensionAtFirstDot(fileName, ".tif");
    const std::string target = JoinPath(outputFolder, imageName);
    RequirePlacesAnImage(form.WorldParams, target);
    CopyImage(form.fileSystem, JoinPath(sourceFolder, imageName), outputFolder, imageName);
    const std::string copy = form.fileSystem.ResolveOnDisk(target);
    try {
        SetAttributesArchive(form, target, attr::Archive);
        if (!CanEditFile(form, target)) {
            throw Refusal(MessageWithPath(msg::FileIsReadOnly, target));
        }
        WriteGeoTiff(form.pelcorLibrary, copy, form.WorldParams);
    } catch (...) {
        // The copy is ours: an untagged one would pass for a result and block the next run.
        std::error_code ignored;
        std::filesystem::remove(copy, ignored);
        throw;
    }
}

}  // namespace

Georeference ReadGeoTiff(const std::string& pelcorLibrary, const std::string& path) {
    auto& tiffHdrReadDbl = BoundFunction<TiffHdrReadDbl>(pelcorLibrary, "tiffHdrReadDbl");
    Georeference g;
    const std::int32_t result = tiffHdrReadDbl(path.c_str(), &g.pixelSizeX, &g.rotationY,
                                               &g.rotationX, &g.pixelSizeY, &g.originX, &g.originY);
    CheckPelcorResult(result, msg::ErrorReadingHeader, path);
    return g;
}

void WriteGeoTiff(const std::string& pelcorLibrary, const std::string& path,
                  const Georeference& georeference) {
    auto& tiffHdrWriteDbl = BoundFunction<TiffHdrWriteDbl>(pelcorLibrary, "tiffHdrWriteDbl");
    const Georeference& g = georeference;
    const std::int32_t result = tiffHdrWriteDbl(path.c_str(), g.pixelSizeX, g.rotationY,
                                                g.rotationX, g.pixelSizeY, g.originX, g.originY);
    CheckPelcorResult(result, msg::ErrorWritingHeader, path);
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
        form.fileSystem = FileSystemService();
        if (!form.fileSystem.FileExists(path)) {
            throw Refusal(MessageWithPath(msg::FileNotFound, path, kCr));
        }
        // Pelcor's reading fills WorldParams as it goes, so a refused georeference stays there.
        form.WorldParams = ReadGeoTiff(form.pelcorLibrary, form.fileSystem.ResolveOnDisk(path));
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
    // Sizes of an earlier image would put another image's corners into the table, so a failed
    // measurement gives zero.
    RunProcedure(form.errorReport, "GetTiffInfo", ErrorLevel::Report, [&] {
        size = MeasureImage(form.vantrelLibrary, form.fileSystem.ResolveOnDisk(path));
    });
    form.imageWidth = size.width;
    form.imageHeight = size.height;
}

}  // namespace marlo
