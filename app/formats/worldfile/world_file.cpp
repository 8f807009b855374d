#include "formats/worldfile/world_file.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "files/folder_checks.h"
#include "text/catalogue.h"
#include "text/number_text.h"
#include "values/paths.h"

namespace marlo {

namespace {

bool HoldsText(const std::string& line) {
    return line.find_first_not_of(" \t") != std::string::npos;
}

// As GDAL reads a world file: the first six lines that hold text; blank lines and whatever
// follows the sixth are passed over.
std::vector<std::string> NumberLines(const FileSystemService& files, const std::string& path) {
    std::vector<std::string> lines;
    TextReadStream stream = files.OpenTextFileForReading(path);
    while (!stream.AtEndOfStream() && lines.size() < 6) {
        std::string line = stream.ReadLine();
        if (HoldsText(line)) {
            lines.push_back(std::move(line));
        }
    }
    return lines;
}

}  // namespace

Georeference ReadWorldFile(const Texts& texts, const FileSystemService& files,
                           const std::string& path) {
    if (!files.FileExists(path)) {
        throw Refusal(texts.Message(msg::UnableToOpen) + path, MessageIcon::None);
    }
    std::vector<double> values;
    for (const std::string& line : NumberLines(files, path)) {
        // Blanks around the number only: "10 0" is no number (GDAL would read 10 and pass over
        // the rest), never 100.
        const std::string text = FromFileNumberText(line);
        if (!IsNumeric(text, FileNumberSettings())) {
            Refusal refusal(texts.MessageWithPath(msg::ErrorValueInTfw, path, kCr) + kCr + text,
                            MessageIcon::None);
            refusal.read = text;
            throw refusal;
        }
        values.push_back(ToDouble(text, FileNumberSettings()));
    }
    if (values.size() < 6) {
        throw Refusal(texts.MessageWithPath(msg::ErrorValueInTfw, path, kCr), MessageIcon::None);
    }
    return {values[0], values[1], values[2], values[3], values[4], values[5]};
}

void WriteWorldFile(const Texts& texts, const FileSystemService& files, const std::string& path,
                    const Georeference& georeference) {
    const Georeference& p = georeference;
    const std::array<double, 6> values = {p.pixelSizeX, p.rotationY, p.rotationX,
                                          p.pixelSizeY, p.originX,   p.originY};
    std::vector<std::string> lines;
    std::array<double, 6> written{};
    for (std::size_t i = 0; i < values.size(); ++i) {
        lines.push_back(FileNumberText(values[i]));
        written[i] = ToDouble(lines.back(), FileNumberSettings());
    }
    // Fifteen digits can make a nearly flat grid flat: what the file would say must still place
    // the image, or the program would refuse its own file.
    RequirePlacesAnImage(
        texts, {written[0], written[1], written[2], written[3], written[4], written[5]}, path);
    WriteOutputFile(texts, files, path, lines);
}

}  // namespace marlo
