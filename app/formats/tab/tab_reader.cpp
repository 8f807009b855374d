#include "formats/tab/tab_reader.h"

#include <filesystem>

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <vector>

#include "files/folder_checks.h"
#include "formats/tab/table_lines.h"
#include "platform/entry_probes.h"
#include "text/catalogue.h"
#include "text/number_text.h"
#include "values/paths.h"

namespace marlo {

namespace {

// The image reference and the coordinate texts of every control point.
struct TableLines {
    std::string imageReference;
    std::string coordSys;
    std::vector<ControlPointText> points;
};

// The code page a table declares in its "!charset" line; Windows-1250 for any other.
CodePage DeclaredCodePage(const std::string& bytes) {
    const auto at = bytes.find("!charset");
    if (at == std::string::npos) {
        return CodePage::Windows1250;
    }
    const auto start = bytes.find_first_not_of(" \t", at + 8);
    const auto end = bytes.find_first_of(" \t\r\n", start);
    const std::string name = start == std::string::npos ? "" : bytes.substr(start, end - start);
    if (name == "WindowsLatin1") {
        return CodePage::Windows1252;
    }
    if (name == "ISO8859_1") {
        return CodePage::Latin1;
    }
    if (name == "UTF-8" || name == "UTF8") {
        return CodePage::Utf8;
    }
    return CodePage::Windows1250;
}

TableLines ReadTableLines(const FileSystemService& files, const std::string& inputPath) {
    TableLines table;
    TextReadStream stream = files.OpenTextFileForReading(inputPath, DeclaredCodePage);
    while (!stream.AtEndOfStream()) {
        const std::string line = stream.ReadLine();
        if (IsImageLine(line)) {
            table.imageReference = ImageReferenceOf(line);
        }
        if (IsControlPointLine(line)) {
            table.points.push_back(ControlPointTextOf(line));
        } else if (IsCoordSysLine(line)) {
            table.coordSys = line;
        }
    }
    return table;
}

// One coordinate pair of each point (map or pixel), made fit for the user's decimal sign.
std::vector<std::string> ValueTexts(const std::vector<std::string>& pairs) {
    std::vector<std::string> texts;
    for (const std::string& pair : pairs) {
        const auto [first, second] = CoordinatePair(pair);
        texts.push_back(FromFileNumberText(first));
        texts.push_back(FromFileNumberText(second));
    }
    return texts;
}

// The values; refuses (message 14, with the texts) when one of them is not a number.
std::vector<double> NumbersOf(const Texts& texts, const std::vector<std::string>& valueTexts) {
    const bool allNumeric =
        std::all_of(valueTexts.begin(), valueTexts.end(),
                    [&](const std::string& t) { return IsNumeric(t, FileNumberSettings()); });
    if (!allNumeric) {
        std::string listed;
        for (const std::string& text : valueTexts) {
            listed += (listed.empty() ? "" : ", ") + text;
        }
        throw Refusal(texts.MessageWithPath(msg::UnexpectedTabFormat, "(" + listed + ")"),
                      MessageIcon::Information);
    }
    std::vector<double> values;
    for (const std::string& text : valueTexts) {
        values.push_back(ToDouble(text, FileNumberSettings()));
    }
    return values;
}

struct ControlPoint {
    double mapX;
    double mapY;
    double column;
    double row;
};

// Every point's numbers: the first two points are checked together, map values before pixel
// values, then each further point the same way.
std::vector<ControlPoint> ControlPointsOf(const Texts& texts,
                                          const std::vector<ControlPointText>& pointTexts) {
    std::vector<ControlPoint> points;
    std::size_t next = 0;
    while (next < pointTexts.size()) {
        const std::size_t count = next == 0 ? 2 : 1;
        std::vector<std::string> mapPairs;
        std::vector<std::string> pixelPairs;
        for (std::size_t i = next; i < next + count; ++i) {
            mapPairs.push_back(pointTexts[i].map);
            pixelPairs.push_back(pointTexts[i].pixel);
        }
        const std::vector<std::string> mapTexts = ValueTexts(mapPairs);
        const std::vector<std::string> pixelTexts = ValueTexts(pixelPairs);
        const std::vector<double> map = NumbersOf(texts, mapTexts);
        const std::vector<double> pixel = NumbersOf(texts, pixelTexts);
        for (std::size_t i = 0; i < count; ++i) {
            points.push_back({map[2 * i], map[2 * i + 1], pixel[2 * i], pixel[2 * i + 1]});
        }
        next += count;
    }
    return points;
}

// Terms that only rounding made (a north-up grid from three points gives rotations of 1e-16):
// below 1e-12 of the pixel size they are 0, which tools that test for a north-up image need.
void WithoutRoundingNoise(Georeference& g) {
    const double pixel =
        std::max(std::hypot(g.pixelSizeX, g.rotationY), std::hypot(g.rotationX, g.pixelSizeY));
    for (double* term : {&g.pixelSizeX, &g.rotationY, &g.rotationX, &g.pixelSizeY}) {
        if (std::abs(*term) < 1e-12 * pixel) {
            *term = 0;
        }
    }
}

// The affine georeference that fits every point best: exact for three points, the least-squares
// fit for more, as GDAL computes it for a table's points. Coordinates are taken relative to
// their means, which keeps the sums small and the result exact to the last digits. The origin
// is the outer corner of pixel (0, 0). Points whose pixels lie on one line place no image:
// nothing then.
std::optional<Georeference> FitGeoreference(const std::vector<ControlPoint>& points) {
    const double n = static_cast<double>(points.size());
    double meanColumn = 0, meanRow = 0, meanX = 0, meanY = 0;
    for (const ControlPoint& p : points) {
        meanColumn += p.column / n;
        meanRow += p.row / n;
        meanX += p.mapX / n;
        meanY += p.mapY / n;
    }
    double cc = 0, cr = 0, rr = 0, cx = 0, rx = 0, cy = 0, ry = 0;
    for (const ControlPoint& p : points) {
        const double c = p.column - meanColumn;
        const double r = p.row - meanRow;
        const double x = p.mapX - meanX;
        const double y = p.mapY - meanY;
        cc += c * c;
        cr += c * r;
        rr += r * r;
        cx += c * x;
        rx += r * x;
        cy += c * y;
        ry += r * y;
    }
    const double determinant = cc * rr - cr * cr;
    if (!(determinant > 1e-12 * cc * rr)) {
        return std::nullopt;
    }
    Georeference params;
    params.pixelSizeX = CheckedResult((cx * rr - rx * cr) / determinant);
    params.rotationX = CheckedResult((rx * cc - cx * cr) / determinant);
    params.rotationY = CheckedResult((cy * rr - ry * cr) / determinant);
    params.pixelSizeY = CheckedResult((ry * cc - cy * cr) / determinant);
    WithoutRoundingNoise(params);
    params.originX =
        CheckedResult(meanX - params.pixelSizeX * meanColumn - params.rotationX * meanRow);
    params.originY =
        CheckedResult(meanY - params.rotationY * meanColumn - params.pixelSizeY * meanRow);
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
// "C:a.tif") names a place that cannot exist here: the image is looked for beside the table
// under the name it ends in, as a table copied off Windows with its image has it.
struct ImageLocation {
    std::string folder;
    std::string fileName;
    std::string fullPath;
    std::string lookedFor;
};

ImageLocation LocationOf(const std::string& reference, const std::string& inputPath) {
    ImageLocation image;
    if (IsDriveLetterReference(reference)) {
        image.fileName = ReferencedName(reference);
        image.folder = reference.substr(0, reference.size() - image.fileName.size());
        if (image.folder.size() > 2) {
            image.folder.pop_back();  // the separator before the name
        }
        image.fullPath = reference;
        image.lookedFor = JoinPath(FolderOfPath(inputPath), image.fileName);
        return image;
    }
    // A reference that climbs or holds a separator is relative to the table (or absolute).
    if (reference.rfind("..", 0) == 0 || reference.find('/') != std::string::npos) {
        image.fullPath = GetAbsolutePath(GetFilePath(inputPath), reference);
        image.folder = FolderOfPath(image.fullPath);
        image.fileName = GetFileNameAndType(image.fullPath);
        image.lookedFor = image.fullPath;
        return image;
    }
    image.folder = FolderOfPath(inputPath);
    image.fileName = reference;
    image.fullPath = JoinPath(image.folder, image.fileName);
    image.lookedFor = image.fullPath;
    return image;
}

// Whether `folder` is `root` or lies below it, links resolved.
bool LiesWithin(const std::string& folder, const std::string& root) {
    std::error_code ec;
    const std::string inner = std::filesystem::weakly_canonical(folder, ec).string() + "/";
    const std::string outer = std::filesystem::weakly_canonical(root, ec).string() + "/";
    return !ec && inner.compare(0, outer.size(), outer) == 0;
}

}  // namespace

TableContents ReadTable(const Texts& texts, const FileSystemService& files,
                        const std::string& inputPath) {
    if (!files.FileExists(inputPath)) {
        throw Refusal(texts.Message(msg::UnableToOpen) + inputPath, MessageIcon::None);
    }
    const TableLines table = ReadTableLines(files, inputPath);
    if (table.points.size() < 3) {
        throw Refusal(texts.MessageWithPath(msg::NotEnoughCoordinates, inputPath),
                      MessageIcon::Information);
    }
    const auto georeference = FitGeoreference(ControlPointsOf(texts, table.points));
    if (!georeference) {
        throw Refusal(texts.MessageWithPath(msg::RasterNotRectified, inputPath, kCr));
    }
    return {table.imageReference, *georeference, table.coordSys};
}

// A reference relative to the table's folder: neither absolute nor with a drive letter.
bool IsRelativeReference(const std::string& reference) {
    return !reference.empty() && reference.front() != '/' &&
           !(reference.size() > 1 && reference[1] == ':');
}

ImagePlace LocateTableImage(const Texts& texts, const FileSystemService& files,
                            const std::string& imageReference, const std::string& tablePath,
                            TableImageUse use) {
    // Tables are often written on Windows: both separators separate.
    const std::string reference = ReplaceString(imageReference, "\\", "/", true, false);
    if (!NamesAFile(reference)) {
        throw Refusal(texts.MessageWithPath(msg::UnexpectedTabFormat, tablePath),
                      MessageIcon::Information);
    }
    const ImageLocation image = LocationOf(reference, tablePath);
    const bool worldFile = use == TableImageUse::WorldFileBeside;
    if (const auto onDisk = files.FindInput(image.lookedFor)) {
        // Only an image counts, by its bytes for a world file: a table naming any other file
        // must not put a world file, or anything else, beside it.
        if (!(worldFile ? IsImageByContent(*onDisk) : IsImageFile(*onDisk))) {
            throw Refusal(texts.MessageWithPath(msg::FileNotFound, image.fullPath),
                          MessageIcon::Information, tablePath);
        }
        // A world file goes beside an image the table reaches by a relative reference, however
        // it climbs (MapInfo writes "..\IMG\Sheet7.TIF" for a sibling folder); an absolute
        // reference reaches only the table's folder and those below it.
        if (worldFile && !IsRelativeReference(reference) &&
            !LiesWithin(FolderOfPath(*onDisk), FolderOfPath(tablePath))) {
            throw Refusal(texts.MessageWithPath(msg::ImageOutsideTableFolder, *onDisk),
                          MessageIcon::Information, tablePath);
        }
        // The spelling on disk, so that a world file written beside the image gets the
        // image's own name (a table naming A.TIF for a.tif gives a.tfw).
        return {FolderOfPath(*onDisk), GetFileNameAndType(*onDisk)};
    }
    if (worldFile && EntryKindAt(image.lookedFor) == EntryKind::Nothing) {
        // A world file needs no image: it goes beside the table under the image's name; never
        // beside something that is there and is no file (a FIFO, a device).
        return {FolderOfPath(tablePath), image.fileName};
    }
    throw Refusal(texts.MessageWithPath(msg::FileNotFound, image.fullPath),
                  MessageIcon::Information, tablePath);
}

}  // namespace marlo
