// Fuzz targets for the program's own readers of untrusted bytes.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "errors/error_report.h"
#include "formats/auxiliary/aux_file.h"
#include "formats/image/image_header.h"
#include "formats/tab/tab_reader.h"
#include "formats/worldfile/world_file.h"
#include "fuzz_targets.h"
#include "platform/file_system.h"
#include "platform/utf8.h"
#include "projection/projection_list.h"
#include "projection/projection_window.h"
#include "text/number_text.h"
#include "values/georeference.h"

namespace marlo::fuzz {

namespace {

// Answers nothing and shows nothing: the targets look at what the readers return.
class SilentUser final : public UserInteraction, public ErrorReportViewer {
public:
    void ShowMessageBox(const std::string&, MessageIcon, const std::string&) override {}
    std::vector<std::string> ShowOpenFileDialog(const OpenFileDialogRequest&) override {
        return {};
    }
    std::string BrowseForFolder(const std::string&, const std::string&) override { return {}; }
    void ShowErrorReport(const std::string&) override {}
    void ShowProjectionWindow(ProjectionWindow& window) override { window.CloseBox(); }
    void OpenUrl(const std::string&) override {}
};

bool EqualUpToRounding(double a, double b) {
    return a == b || std::abs(a - b) <= 1e-14 * std::max(std::abs(a), std::abs(b));
}

}  // namespace

int TableReader(const std::uint8_t* data, std::size_t size) {
    const FileSystemService files;
    const Texts texts;
    const std::string path = Scratch("t.tab", data, size);
    try {
        const TableContents table = ReadTable(texts, files, path);
        LocateTableImage(texts, files, table.imageReference, path, TableImageUse::WorldFileBeside);
    } catch (const Failure&) {
        return 0;  // a refusal or a run-time error: what the run shows; nothing else may escape
    }
    return 0;
}

// Read, write and read again: what the program writes it reads back.
int WorldFile(const std::uint8_t* data, std::size_t size) {
    const FileSystemService files;
    const Texts texts;
    const std::string path = Scratch("w.tfw", data, size);
    Georeference read;
    try {
        read = ReadWorldFile(texts, files, path);
        RequirePlacesAnImage(texts, read, path);
    } catch (const Failure&) {
        return 0;  // refused, or fewer than six numbers, an overflow: as designed
    }
    const std::string back = path.substr(0, path.rfind('/')) + "/back.tfw";
    try {
        WriteWorldFile(texts, files, back, read);
    } catch (const Failure&) {
        // A value whose text would not read back, or would place nothing, is refused before
        // anything is written.
        return 0;
    }
    Georeference again;
    try {
        again = ReadWorldFile(texts, files, back);
        RequirePlacesAnImage(texts, again, back);
    } catch (const Failure&) {
        Broken("a world file written cannot be read back");
    }
    if (!EqualUpToRounding(read.pixelSizeX, again.pixelSizeX) ||
        !EqualUpToRounding(read.rotationY, again.rotationY) ||
        !EqualUpToRounding(read.rotationX, again.rotationX) ||
        !EqualUpToRounding(read.pixelSizeY, again.pixelSizeY) ||
        !EqualUpToRounding(read.originX, again.originX) ||
        !EqualUpToRounding(read.originY, again.originY)) {
        Broken("a world file written does not read back");
    }
    return 0;
}

// The numeric test and conversion agree with strtod; a number's file text reads back.
int NumberText(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (text.find('\0') == std::string::npos && IsNumeric(text, FileNumberSettings())) {
        double value = 0;
        try {
            value = ToDouble(text, FileNumberSettings());
        } catch (const RunTimeError&) {
            return 0;  // out of the double range
        }
        const double reference = std::strtod(text.c_str(), nullptr);
        if (!EqualUpToRounding(value, reference)) {
            Broken("ToDouble(" + text + ") differs from strtod");
        }
    }
    if (size == sizeof(double)) {
        double value = 0;
        std::memcpy(&value, data, sizeof value);
        std::string written;
        try {
            written = FileNumberText(value);
        } catch (const RunTimeError&) {
            // Only what is not finite, or rounds past the largest double, may be refused.
            if (std::isfinite(value) && std::abs(value) < 1.797693134862315e308) {
                Broken("a finite number was refused");
            }
            return 0;
        }
        if (std::isnormal(value)) {
            // Fifteen significant digits keep every normal number to 1e-14 of itself.
            const double back = ToDouble(written, FileNumberSettings());
            if (std::abs(back - value) > 1e-14 * std::abs(value)) {
                Broken("the file text of a number does not read back: " + written);
            }
        }
    }
    return 0;
}

// Windows-1250 text survives a decode and encode byte for byte; any code page decodes to
// valid UTF-8.
int TextEncoding(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string decoded = DecodeText(bytes, CodePage::Windows1250);
    const bool readAsUtf8 = decoded == bytes || bytes.starts_with("\xEF\xBB\xBF");
    if (!readAsUtf8 && EncodeAnsiText(decoded) != bytes) {
        Broken("Windows-1250 bytes do not survive a round trip");
    }
    for (CodePage page : {CodePage::Windows1252, CodePage::Latin1}) {
        const std::string text = DecodeText(bytes, page);
        std::size_t pos = 0;
        while (pos < text.size()) {
            char32_t codePoint = 0;
            if (!utf8::NextCodePoint(text, pos, codePoint) && text != bytes) {
                Broken("a code page decodes to bytes that are not UTF-8");
            }
        }
    }
    return 0;
}

// A projection list of any bytes: the window loads it, every group and projection can be
// picked, and the code lookups end.
int ProjectionList(const std::uint8_t* data, std::size_t size) {
    SilentUser user;
    const FileSystemService files;
    const std::string path = Scratch("mapinfow.prj", data, size);
    const Libraries libraries;
    const Texts texts;
    ProjectionChooser window({libraries, texts}, user, files, ProjectionQuestion{}, path);
    window.Load();
    for (int group = 0; group < static_cast<int>(window.GroupNames().size()); ++group) {
        window.SelectGroup(group);
        for (int i = 0; i < static_cast<int>(window.ProjectionNames().size()); ++i) {
            window.SelectProjection(i);
        }
    }
    window.SetProjectionText("a");
    window.Confirm();
    const std::vector<std::string> lines = ReadProjectionLines(files, path);
    EntryForCode(lines, 2180);
    EntryForClause(lines, "CoordSys Earth Projection 8, 104, \"m\", 19, 0, 0.9993");
    return 0;
}

// Any bytes as a JPEG, PNG, GIF or BMP header: a size is read within the file, or none.
int ImageHeader(const std::uint8_t* data, std::size_t size) {
    const ImageSize found = ImageSizeFromHeader(Scratch("image", data, size));
    if ((found.width == 0) != (found.height == 0) || found.width < 0 || found.height < 0) {
        Broken("an image size with one side only, or a negative one");
    }
    return 0;
}

// Any auxiliary file: its system is read without harm, and a system set into it reads back as
// set, everything outside the element kept.
int AuxFile(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    AuxSystemIn(text);
    const AuxiliarySystem system{"PROJCS[\"a & <b>\"]", "1,2"};
    const auto merged = WithAuxSystem(text, system);
    if (merged && AuxSystemIn(*merged).text != system.wkt) {
        Broken("a system set into an auxiliary file reads back as another");
    }
    return 0;
}

}  // namespace marlo::fuzz
