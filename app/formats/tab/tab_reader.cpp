#include "formats/tab/tab_reader.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <vector>

#include "formats/tab/table_lines.h"
#include "state/paths.h"
#include "text/catalogue.h"
#include "text/number_text.h"

namespace marlo {

namespace {

// What the reader takes from a table: the last image reference ("" when there is none), the
// coordinate texts of the first two control points and how many control points there are.
struct TableContents {
    std::string imageReference;
    std::vector<ControlPointText> firstPoints;
    std::size_t controlPointCount = 0;
};

TableContents ReadTable(ConversionContext& form, const std::string& inputPath) {
    TableContents table;
    TextReadStream stream = form.fileSystem.OpenTextFileForReading(inputPath);
    while (!stream.AtEndOfStream()) {
        const std::string line = stream.ReadLine();
        if (IsImageLine(line)) {
            table.imageReference = ImageReferenceOf(line);
        }
        if (IsControlPointLine(line)) {
            // Every control-point line is taken apart, so a mangled one fails the table even
            // when it is not among the two that are used.
            ControlPointText point = ControlPointTextOf(line);
            if (table.firstPoints.size() < 2) {
                table.firstPoints.push_back(std::move(point));
            }
            ++table.controlPointCount;
        }
    }
    stream.Close();
    return table;
}

using FourTexts = std::array<std::string, 4>;
using FourValues = std::array<double, 4>;

// The two coordinates of two points, made fit for the user's decimal sign.
FourTexts ValueTexts(ConversionContext& form, const std::string& first, const std::string& second) {
    const auto [a, b] = CoordinatePair(first);
    const auto [c, d] = CoordinatePair(second);
    return {GenNumericValue(form.numbers, a), GenNumericValue(form.numbers, b),
            GenNumericValue(form.numbers, c), GenNumericValue(form.numbers, d)};
}

// The four values, or message 14 with the four texts when one of them is not a number.
std::optional<FourValues> NumbersOf(ConversionContext& form, const FourTexts& texts) {
    const bool allNumeric = std::all_of(texts.begin(), texts.end(), [&](const std::string& t) {
        return IsNumeric(t, form.regional);
    });
    if (!allNumeric) {
        form.Fail(MessageText(msg::UnexpectedTabFormat) + kCrLf + "(" + texts[0] + ", " + texts[1] +
                      ", " + texts[2] + ", " + texts[3] + ")",
                  MessageIcon::Information);
        return std::nullopt;
    }
    FourValues values{};
    std::transform(texts.begin(), texts.end(), values.begin(),
                   [&](const std::string& t) { return ToDouble(t, form.regional); });
    return values;
}

// North-up, square pixels, from the first two points alone: only the distances count, so the
// points may lie on one row, one column or anywhere. The origin is the outer corner of pixel
// (0, 0). hypot keeps large but finite coordinates from overflowing in the squares.
WorldParameters GeoreferenceOf(const FourValues& map, const FourValues& pixel) {
    const double mapDistance = CheckedResult(std::hypot(map[2] - map[0], map[3] - map[1]));
    const double pixelDistance =
        CheckedResult(std::hypot(pixel[2] - pixel[0], pixel[3] - pixel[1]));
    if (pixelDistance == 0) {
        throw RunTimeError(err::DivisionByZero, "Division by zero");
    }
    const double scale = CheckedResult(mapDistance / pixelDistance);
    WorldParameters params;
    params.pixelSizeX = scale;
    params.pixelSizeY = -scale;
    params.originX = CheckedResult(map[0] - pixel[0] * scale);
    params.originY = CheckedResult(map[1] + pixel[1] * scale);
    return params;
}

std::string FolderOf(const std::string& path) {
    const std::string folder = GetFilePath(path);
    return folder.empty() ? folder : folder.substr(0, folder.size() - 1);
}

std::string LastComponent(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsDriveLetterReference(const std::string& reference) {
    return reference.size() >= 2 && reference[1] == ':';
}

// The file name a reference ends in; "C:a.tif" names a.tif.
std::string ReferencedName(const std::string& reference) {
    return LastComponent(IsDriveLetterReference(reference) ? reference.substr(2) : reference);
}

// A reference that ends in "", "." or ".." names a folder, not an image. A NUL cannot stand in
// a path: the system would cut the path at it and find another file.
bool NamesAFile(const std::string& reference) {
    const std::string name = ReferencedName(reference);
    return !name.empty() && name != "." && name != ".." &&
           reference.find('\0') == std::string::npos;
}

// Where a table's image reference points. A drive-letter reference ("C:/maps/a.tif",
// "C:a.tif") names a place that cannot exist here: it is never looked up.
struct ImageLocation {
    std::string folder;
    std::string fileName;
    std::string fullPath;
    bool canExist = true;
};

ImageLocation LocationOf(ConversionContext& form, const std::string& reference,
                         const std::string& inputPath) {
    ImageLocation image;
    if (IsDriveLetterReference(reference)) {
        image.fileName = ReferencedName(reference);
        image.folder = reference.substr(0, reference.size() - image.fileName.size());
        if (image.folder.size() > 2) {
            image.folder.pop_back();  // the separator before the name
        }
        image.fullPath = reference;
        image.canExist = false;
        return image;
    }
    // A reference that climbs or holds a separator is relative to the table (or absolute).
    if (reference.rfind("..", 0) == 0 || reference.find('/') != std::string::npos) {
        image.fullPath = GetAbsolutePath(GetFilePath(inputPath), reference);
        image.folder = FolderOf(image.fullPath);
        image.fileName = GetFileNameAndType(image.fullPath);
        return image;
    }
    image.folder = form.inputFolder;
    image.fileName = reference;
    image.fullPath = JoinPath(image.folder, image.fileName);
    return image;
}

void LocateImage(ConversionContext& form, const std::string& imageReference,
                 const std::string& inputPath) {
    // Tables are often written on Windows: both separators separate.
    const std::string reference =
        ReplaceString(form.numbers, imageReference, "\\", "/", true, false);
    if (!NamesAFile(reference)) {
        form.Fail(MessageText(msg::UnexpectedTabFormat) + kCrLf + inputPath,
                  MessageIcon::Information);
        return;
    }
    const ImageLocation image = LocationOf(form, reference, inputPath);
    if (image.canExist && form.fileSystem.FileExists(image.fullPath)) {
        // The spelling on disk, so that a world file written beside the image gets the
        // image's own name (a table naming A.TIF for a.tif gives a.tfw).
        const std::string onDisk = form.fileSystem.ResolveOnDisk(image.fullPath);
        form.rasterFolder = FolderOf(onDisk);
        form.rasterFileName = GetFileNameAndType(onDisk);
        return;
    }
    form.rasterFileName = image.fileName;
    if (form.outputFormat == format::TFW) {
        // A world file needs no image: it goes beside the table under the image's name.
        form.rasterFolder = FolderOf(inputPath);
        return;
    }
    form.rasterFolder = image.folder;
    form.Fail(MessageText(msg::FileNotFound) + kCrLf + image.fullPath, MessageIcon::Information,
              inputPath);
}

void ReadRasterTable(ConversionContext& form, const std::string& inputPath) {
    // Nothing of the previous table may be written under this one's name.
    form.rasterFileName.clear();
    form.rasterFolder.clear();
    if (!form.fileSystem.FileExists(inputPath)) {
        form.Fail(MessageText(msg::UnableToOpen) + inputPath, MessageIcon::None);
        return;
    }
    const TableContents table = ReadTable(form, inputPath);
    // Three are required although only two are used.
    if (table.controlPointCount < 3) {
        form.Fail(MessageText(msg::NotEnoughCoordinates) + kCrLf + inputPath,
                  MessageIcon::Information);
        return;
    }
    const ControlPointText& first = table.firstPoints[0];
    const ControlPointText& second = table.firstPoints[1];
    const FourTexts mapTexts = ValueTexts(form, first.map, second.map);
    const FourTexts pixelTexts = ValueTexts(form, first.pixel, second.pixel);
    const std::optional<FourValues> map = NumbersOf(form, mapTexts);
    if (!map) {
        return;
    }
    const std::optional<FourValues> pixel = NumbersOf(form, pixelTexts);
    if (!pixel) {
        return;
    }
    form.WorldParams = GeoreferenceOf(*map, *pixel);
    LocateImage(form, table.imageReference, inputPath);
}

}  // namespace

void OdczytTAB(ConversionContext& form, const std::string& inputPath) {
    const bool finished = RunProcedure(form.errorReport, "OdczytTAB", ErrorLevel::Report,
                                       [&] { ReadRasterTable(form, inputPath); });
    // The report has been shown; the run must stop rather than write what an earlier file left.
    if (!finished) {
        form.conversionFailed = true;
    }
}

}  // namespace marlo
