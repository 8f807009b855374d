#include "formats/geotiff/geotiff.h"

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

void FailWithPath(ConversionContext& form, std::int16_t message, const std::string& path,
                  const char* lineBreak = kCr) {
    form.Fail(MessageText(message) + lineBreak + path, MessageIcon::Critical);
}

void ReadGeoreference(ConversionContext& form, const std::string& path) {
    form.fileSystem = FileSystemService();
    if (!form.fileSystem.FileExists(path)) {
        FailWithPath(form, msg::FileNotFound, path);
        return;
    }
    auto& tiffHdrReadDbl = BoundFunction<TiffHdrReadDbl>(form.pelcorLibrary, "tiffHdrReadDbl");
    WorldParameters& params = form.WorldParams;
    const std::int32_t result = tiffHdrReadDbl(
        form.fileSystem.ResolveOnDisk(path).c_str(), &params.pixelSizeX, &params.rotationY,
        &params.rotationX, &params.pixelSizeY, &params.originX, &params.originY);
    if (result == kPelcorFailure) {
        FailWithPath(form, msg::ErrorReadingHeader, path);
    } else if (result != kPelcorSuccess) {
        FailWithPath(form, msg::Error, path);
    } else if (params.rotationY != 0 || params.rotationX != 0) {
        FailWithPath(form, msg::RasterNotRectified, path);
    }
}

// Puts a copy of the source into the output folder; false (with the message shown) when there
// is no new copy to write into.
bool CopyImage(ConversionContext& form, const std::string& source, const std::string& outputFolder,
               const std::string& imageName) {
    const std::string target = JoinPath(outputFolder, imageName);
    if (!form.fileSystem.FileExists(source)) {
        FailWithPath(form, msg::FileNotFound, source);
        return false;
    }
    if (form.fileSystem.FileExists(target)) {
        FailWithPath(form, msg::OutputFileExists, target);
        return false;
    }
    if (form.fileSystem.FolderExists(outputFolder)) {
        const CopyOutcome outcome =
            CopyToNewFile(form.fileSystem.ResolveOnDisk(source),
                          JoinPath(form.fileSystem.ResolveOnDisk(outputFolder), imageName));
        if (outcome == CopyOutcome::TargetExists) {
            FailWithPath(form, msg::OutputFileExists, target);
            return false;
        }
    }
    if (!form.fileSystem.FileExists(target)) {
        FailWithPath(form, msg::UnableToOpenFile, source);
        return false;
    }
    return true;
}

void WriteGeoreference(ConversionContext& form, const std::string& sourceFolder,
                       const std::string& outputFolder, const std::string& fileName) {
    const std::string imageName = ReplaceExtensionAtFirstDot(fileName, ".tif");
    const std::string source = JoinPath(sourceFolder, imageName);
    const std::string target = JoinPath(outputFolder, imageName);
    if (!CopyImage(form, source, outputFolder, imageName)) {
        return;
    }
    SetAttributesArchive(form, target, attr::Archive);
    if (!CanEditFile(form, target)) {
        FailWithPath(form, msg::FileIsReadOnly, target, kCrLf);
        return;
    }
    auto& tiffHdrWriteDbl = BoundFunction<TiffHdrWriteDbl>(form.pelcorLibrary, "tiffHdrWriteDbl");
    const WorldParameters& params = form.WorldParams;
    const std::int32_t result = tiffHdrWriteDbl(
        form.fileSystem.ResolveOnDisk(target).c_str(), params.pixelSizeX, params.rotationY,
        params.rotationX, params.pixelSizeY, params.originX, params.originY);
    if (result == kPelcorFailure) {
        FailWithPath(form, msg::ErrorWritingHeader, target);
    } else if (result != kPelcorSuccess) {
        FailWithPath(form, msg::Error, target);
    }
}

void MeasureImage(ConversionContext& form, const std::string& path) {
    auto& checkTiffResolution =
        BoundFunction<CheckTiffResolutionFunction>(form.vantrelLibrary, "CheckTiffResolution");
    if (checkTiffResolution(form.fileSystem.ResolveOnDisk(path).c_str()) != 0) {
        form.imageWidth = 0;
        form.imageHeight = 0;
        return;
    }
    form.imageWidth = BoundFunction<TiffSizeFunction>(form.vantrelLibrary, "GetTIFFWidth")();
    form.imageHeight = BoundFunction<TiffSizeFunction>(form.vantrelLibrary, "GetTIFFLength")();
}

}  // namespace

void OdczytGEO(ConversionContext& form, const std::string& path) {
    RunProcedure(form.errorReport, "OdczytGEO", ErrorLevel::HandOn,
                 [&] { ReadGeoreference(form, path); });
}

void ZapisGEO(ConversionContext& form, const std::string& sourceFolder,
              const std::string& outputFolder, const std::string& fileName) {
    RunProcedure(form.errorReport, "ZapisGEO", ErrorLevel::HandOn,
                 [&] { WriteGeoreference(form, sourceFolder, outputFolder, fileName); });
}

void GetTiffInfo(ConversionContext& form, const std::string& path) {
    const bool measured = RunProcedure(form.errorReport, "GetTiffInfo", ErrorLevel::Report,
                                       [&] { MeasureImage(form, path); });
    if (!measured) {
        // Sizes of an earlier image would put another image's corners into the table.
        form.imageWidth = 0;
        form.imageHeight = 0;
    }
}

}  // namespace marlo
