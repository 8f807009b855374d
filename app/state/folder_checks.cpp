#include "state/folder_checks.h"

#include <sys/stat.h>

#include <limits>

#include "state/paths.h"
#include "text/catalogue.h"

namespace marlo {

std::int16_t CountAsInt16(std::size_t count) {
    if (count > static_cast<std::size_t>(std::numeric_limits<std::int16_t>::max())) {
        throw RunTimeError(err::Overflow, "Overflow");
    }
    return static_cast<std::int16_t>(count);
}

namespace {

// The attribute tests of folders and files: an entry that does not exist may not be written;
// an existing one only when its attributes are exactly one of the two plain values.
template <class Exists, class Attributes>
bool AttributesAreExactly(ConversionContext& form, std::string_view procedure, Exists exists,
                          Attributes attributesOf, std::int32_t plain, std::int32_t plainArchive) {
    bool allowed = false;
    RunProcedure(form.errorReport, procedure, ErrorLevel::Report, [&] {
        if (!exists()) {
            return;
        }
        const std::int32_t attributes = attributesOf();
        allowed = attributes == plain || attributes == plainArchive;
    });
    return allowed;
}

}  // namespace

bool CanWriteInFolder(ConversionContext& form, const std::string& pFolder) {
    return AttributesAreExactly(
        form, "CanWriteInFolder", [&] { return FileSystemService().FolderExists(pFolder); },
        [&] { return form.fileSystem.FolderAttributes(pFolder); }, attr::Directory,
        attr::Directory | attr::Archive);
}

bool CanEditFile(ConversionContext& form, const std::string& pFile) {
    return AttributesAreExactly(
        form, "CanEditFile", [&] { return FileSystemService().FileExists(pFile); },
        [&] { return form.fileSystem.FileAttributes(pFile); }, attr::Normal, attr::Archive);
}

std::int32_t SetAttributesArchive(ConversionContext& form, const std::string& path,
                                  std::int32_t attributes) {
    std::int32_t result = 0;
    RunProcedure(form.errorReport, "SetAttributesArchive", ErrorLevel::HandOn,
                 [&] { result = form.fileSystem.SetAttributes(path, attributes) ? 1 : 0; });
    return result;
}

void RequireReplaceableOutput(ConversionContext& form, const std::string& path) {
    struct stat entry {};
    if (::lstat(path.c_str(), &entry) != 0) {
        return;
    }
    if (!S_ISREG(entry.st_mode) && !S_ISLNK(entry.st_mode)) {
        throw Refusal(MessageText(msg::UnableToUpdate) + path, MessageIcon::None);
    }
    if (form.fileSystem.FileExists(path) && !CanEditFile(form, path)) {
        throw Refusal(MessageWithPath(msg::FileIsReadOnly, path));
    }
}

std::optional<std::string> FindTiffBeside(const ConversionContext& form, const std::string& path) {
    for (const char* extension : {".tif", ".tiff"}) {
        if (auto found = form.fileSystem.FindInput(ReplaceExtension(path, extension))) {
            return found;
        }
    }
    return std::nullopt;
}

}  // namespace marlo
