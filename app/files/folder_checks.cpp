#include "files/folder_checks.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <limits>
#include <optional>
#include <string_view>

#include "platform/entry_probes.h"
#include "platform/user_file.h"
#include "text/catalogue.h"
#include "values/paths.h"

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
ReportedResult<bool> AttributesAreExactly(Procedure procedure, Exists exists,
                                          Attributes attributesOf, std::int32_t plain,
                                          std::int32_t plainArchive) {
    if (!exists()) {
        return {false, std::nullopt};
    }
    ReportedResult<std::int32_t> attributes = attributesOf();
    if (attributes.error) {
        attributes.error->AddFrame(ErrorLocation(ProcedureName(procedure)));
        return {false, std::move(attributes.error)};
    }
    return {attributes.value == plain || attributes.value == plainArchive, std::nullopt};
}

}  // namespace

ReportedResult<bool> CanWriteInFolder(const FileSystemService& files, const std::string& folder) {
    return AttributesAreExactly(
        Procedure::CanWriteInFolder, [&] { return files.FolderExists(folder); },
        [&] { return files.CheckedFolderAttributes(folder); }, attr::Directory,
        attr::Directory | attr::Archive);
}

ReportedResult<bool> CanEditFile(const FileSystemService& files, const std::string& file) {
    return AttributesAreExactly(
        Procedure::CanEditFile, [&] { return files.FileExists(file); },
        [&] { return files.CheckedFileAttributes(file); }, attr::Normal, attr::Archive);
}

std::int32_t SetAttributesArchive(const FileSystemService& files, const std::string& path,
                                  std::int32_t attributes) {
    return files.SetAttributes(path, attributes) ? 1 : 0;
}

namespace {

std::string FirstBytes(const std::string& path, std::size_t count) {
    return UserFile(path).Head(count);
}

bool StartsWith(const std::string& bytes, std::string_view prefix) {
    return bytes.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

void NoteFile(InputIdentities& files, const std::string& path) {
    files.paths.insert(path);
    if (const auto identity = DeviceAndInodeOf(path)) {
        files.identities.insert(*identity);
    }
}

InputIdentities NoteInputIdentities(const std::string& folder,
                                    const std::vector<std::string>& files) {
    InputIdentities inputs;
    for (const std::string& entry : files) {
        NoteFile(inputs, JoinPath(folder, entry));
    }
    return inputs;
}

bool IsOneOf(const InputIdentities& files, const std::string& path) {
    const auto identity = DeviceAndInodeOf(path);
    return files.paths.contains(path) || (identity && files.identities.contains(*identity));
}

void RequireNotAnInput(const Texts& texts, const InputIdentities& inputs,
                       const std::string& outputPath) {
    if (IsOneOf(inputs, outputPath)) {
        throw Refusal(texts.MessageWithPath(msg::OutputWouldReplaceInput, outputPath));
    }
}

ContentKind ContentKindOf(const std::string& path) {
    const std::string head = FirstBytes(path, 12);
    if (head.empty()) {
        return ContentKind::Unreadable;
    }
    for (std::string_view magic : {std::string_view("II*\0", 4), std::string_view("MM\0*", 4),
                                   std::string_view("II+\0", 4), std::string_view("MM\0+", 4)}) {
        if (StartsWith(head, magic)) {
            return ContentKind::Tiff;
        }
    }
    for (std::string_view magic :
         {std::string_view("\xFF\xD8\xFF"), std::string_view("\x89PNG\r\n\x1A\n"),
          std::string_view("GIF87a"), std::string_view("GIF89a"), std::string_view("BM"),
          std::string_view("\0\0\0\x0CjP  ", 8), std::string_view("\xFF\x4F\xFF\x51")}) {
        if (StartsWith(head, magic)) {
            return ContentKind::OtherImage;
        }
    }
    const bool text = std::none_of(head.begin(), head.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x09 || (byte > 0x0D && byte < 0x20);
    });
    return text ? ContentKind::Text : ContentKind::Other;
}

void RequireContent(const Texts& texts, const std::string& path, ContentKind kind) {
    const ContentKind found = ContentKindOf(path);
    if (found != kind && found != ContentKind::Unreadable) {
        throw Refusal(texts.MessageWithPath(msg::NotOfInputFormat, path));
    }
}

bool IsImageByContent(const std::string& path) {
    const ContentKind kind = ContentKindOf(path);
    return kind == ContentKind::Tiff || kind == ContentKind::OtherImage;
}

void RequireReplaceableOutput(const Texts& texts, const FileSystemService& files,
                              const InputIdentities& inputs, const std::string& path,
                              ReportedErrors& reported) {
    RequireNotAnInput(texts, inputs, path);
    const EntryKind kind = EntryKindAt(path);
    if (kind == EntryKind::Nothing) {
        return;
    }
    if (kind == EntryKind::Other) {
        throw UnableToUpdate(texts, path);
    }
    if (!files.FileExists(path)) {
        return;
    }
    ReportedResult<bool> editable = CanEditFile(files, path);
    if (editable.error) {
        reported.push_back(std::move(*editable.error));
    }
    if (!editable.value) {
        throw Refusal(texts.MessageWithPath(msg::FileIsReadOnly, path));
    }
}

Refusal UnableToUpdate(const Texts& texts, const std::string& path) {
    return Refusal(texts.Message(msg::UnableToUpdate) + path, MessageIcon::None);
}

WriteFailure RefusedAsUnableToUpdate(const Texts& texts) {
    return [&texts](const std::string& target) { throw UnableToUpdate(texts, target); };
}

void WriteOutputFile(const Texts& texts, const FileSystemService& files, const std::string& path,
                     const std::vector<std::string>& lines) {
    WriteOutputBytes(texts, files, path, AnsiTextFileBytes(lines));
}

void WriteOutputBytes(const Texts& texts, const FileSystemService& files, const std::string& path,
                      const std::string& bytes) {
    files.WriteBytesFile(path, bytes, RefusedAsUnableToUpdate(texts));
}

bool IsImageFile(const std::string& path) {
    constexpr std::array<std::string_view, 11> kImageExtensions = {
        "tif", "tiff", "jpg", "jpeg", "png", "gif", "bmp", "jp2", "j2k", "ecw", "sid"};
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        return false;
    }
    if (std::ranges::find(kImageExtensions, LowerCaseExtension(path)) != kImageExtensions.end()) {
        return true;
    }
    const std::string head = FirstBytes(path, 4);
    for (const char* tiff : {"II\x2a\0", "MM\0\x2a", "II\x2b\0", "MM\0\x2b"}) {
        if (head == std::string(tiff, 4)) {
            return true;
        }
    }
    return false;
}

std::optional<std::string> FindImageFor(const FileSystemService& files, const std::string& path) {
    if (!IsWorldFileName(path)) {
        return files.FindInput(path);
    }
    for (const std::string& extension : ImageExtensionsFor(path)) {
        if (auto found = files.FindInput(ReplaceExtension(path, "." + extension))) {
            return found;
        }
    }
    // An image of another kind (small.grd beside small.gdw): a file of the same name whose
    // extension the world file's pairs with.
    const std::string stem = LowerCaseStem(path);
    const std::string folder = FolderOfPath(path);
    std::vector<std::string> names = files.FilesInFolder(folder, false);
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        if (LowerCaseStem(name) == stem && WorldFileServes(path, name)) {
            return files.FindInput(JoinPath(folder, name));
        }
    }
    return std::nullopt;
}

}  // namespace marlo
