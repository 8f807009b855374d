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

// The image reference and the coordinate texts of the first two control points, with how many
// control points there are.
struct TableLines {
    std::string imageReference;
    std::vector<ControlPointText> firstPoints;
    std::size_t controlPointCount = 0;
};

TableLines ReadTableLines(const FileSystemService& files, const std::string& inputPath) {
    TableLines table;
    TextReadStream stream = files.OpenTextFileForReading(inputPath);
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
FourTexts ValueTexts(const NumberTextServices& numbers, const std::string& first,
                     const std::string& second) {
    const auto [a, b] = CoordinatePair(first);
    const auto [c, d] = CoordinatePair(second);
    return {GenNumericValue(numbers, a), GenNumericValue(numbers, b), GenNumericValue(numbers, c),
            GenNumericValue(numbers, d)};
}

// The four values; refuses (message 14, with the four texts) when one of them is not a number.
FourValues NumbersOf(const NumberTextServices& numbers, const FourTexts& texts) {
    const bool allNumeric = std::all_of(texts.begin(), texts.end(), [&](const std::string& t) {
        return IsNumeric(t, numbers.regional);
    });
    if (!allNumeric) {
        throw Refusal(
            MessageWithPath(msg::UnexpectedTabFormat, "(" + texts[0] + ", " + texts[1] + ", " +
                                                          texts[2] + ", " + texts[3] + ")"),
            MessageIcon::Information);
    }
    FourValues values{};
    std::transform(texts.begin(), texts.end(), values.begin(),
                   [&](const std::string& t) { return ToDouble(t, numbers.regional); });
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
        image.folder = FolderOfPath(image.fullPath);
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
        throw Refusal(MessageWithPath(msg::UnexpectedTabFormat, inputPath),
                      MessageIcon::Information);
    }
    const ImageLocation image = LocationOf(form, reference, inputPath);
    if (image.canExist && form.fileSystem.FileExists(image.fullPath)) {
        // The spelling on disk, so that a world file written beside the image gets the
        // image's own name (a table naming A.TIF for a.tif gives a.tfw).
        const std::string onDisk = form.fileSystem.ResolveOnDisk(image.fullPath);
        form.rasterFolder = FolderOfPath(onDisk);
        form.rasterFileName = GetFileNameAndType(onDisk);
        return;
    }
    form.rasterFileName = image.fileName;
    if (form.outputFormat == format::TFW) {
        // A world file needs no image: it goes beside the table under the image's name.
        form.rasterFolder = FolderOfPath(inputPath);
        return;
    }
    form.rasterFolder = image.folder;
    throw Refusal(MessageWithPath(msg::FileNotFound, image.fullPath), MessageIcon::Information,
                  inputPath);
}

void ReadRasterTable(ConversionContext& form, const std::string& inputPath) {
    // Nothing of the previous table may be written under this one's name.
    form.rasterFileName.clear();
    form.rasterFolder.clear();
    const TableContents table = ReadTable(form.fileSystem, form.numbers, inputPath);
    form.WorldParams = table.georeference;
    LocateImage(form, table.imageReference, inputPath);
}

}  // namespace

TableContents ReadTable(const FileSystemService& files, const NumberTextServices& numbers,
                        const std::string& inputPath) {
    if (!files.FileExists(inputPath)) {
        throw Refusal(MessageText(msg::UnableToOpen) + inputPath, MessageIcon::None);
    }
    const TableLines table = ReadTableLines(files, inputPath);
    // Three are required although only two are used.
    if (table.controlPointCount < 3) {
        throw Refusal(MessageWithPath(msg::NotEnoughCoordinates, inputPath),
                      MessageIcon::Information);
    }
    const ControlPointText& first = table.firstPoints[0];
    const ControlPointText& second = table.firstPoints[1];
    const FourTexts mapTexts = ValueTexts(numbers, first.map, second.map);
    const FourTexts pixelTexts = ValueTexts(numbers, first.pixel, second.pixel);
    const FourValues map = NumbersOf(numbers, mapTexts);
    const FourValues pixel = NumbersOf(numbers, pixelTexts);
    return {table.imageReference, GeoreferenceOf(map, pixel)};
}

void OdczytTAB(ConversionContext& form, const std::string& inputPath) {
    const bool finished =
        RunStep(form, "OdczytTAB", ErrorLevel::Report, [&] { ReadRasterTable(form, inputPath); });
    // The report has been shown; the run must stop rather than write what an earlier file left.
    if (!finished) {
        form.conversionFailed = true;
    }
}

}  // namespace marlo
