#include "formats/worldfile/world_file.h"

#include <algorithm>
#include <array>
#include <vector>

#include "state/output_file.h"
#include "state/paths.h"
#include "text/catalogue.h"

namespace marlo {

namespace {

std::vector<std::string> NonEmptyLines(const FileSystemService& files, const std::string& path) {
    std::vector<std::string> lines;
    TextReadStream stream = files.OpenTextFileForReading(path);
    while (!stream.AtEndOfStream()) {
        std::string line = stream.ReadLine();
        if (!line.empty()) {
            lines.push_back(std::move(line));
        }
    }
    stream.Close();
    return lines;
}

std::string WithoutBlanks(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), ' '), text.end());
    return text;
}

}  // namespace

Georeference ReadWorldFile(const FileSystemService& files, const NumberTextServices& numbers,
                           const std::string& path) {
    if (!files.FileExists(path)) {
        throw Refusal(MessageText(msg::UnableToOpen) + path, MessageIcon::None);
    }
    std::vector<double> values;
    for (const std::string& line : NonEmptyLines(files, path)) {
        const std::string text = GenNumericValue(numbers, WithoutBlanks(line));
        if (!IsNumeric(text, numbers.regional)) {
            throw Refusal(MessageWithPath(msg::ErrorValueInTfw, path, kCr) + kCr + text,
                          MessageIcon::None);
        }
        values.push_back(ToDouble(text, numbers.regional));
    }
    if (values.size() < 6) {
        throw RunTimeError(err::SubscriptOutOfRange, "Subscript out of range");
    }
    return {values[0], values[1], values[2], values[3], values[4], values[5]};
}

void WriteWorldFile(const FileSystemService& files, const NumberTextServices& numbers,
                    const std::string& path, const Georeference& georeference) {
    const Georeference& p = georeference;
    const std::array<double, 6> values = {p.pixelSizeX, p.rotationY, p.rotationX,
                                          p.pixelSizeY, p.originX,   p.originY};
    std::array<std::string, 6> lines;
    for (std::size_t i = 0; i < values.size(); ++i) {
        lines[i] = GenStringVithDots(numbers, NumberText(values[i], numbers.regional));
    }
    TextAppendStream stream = files.OpenTextFileForAppending(path);
    for (const std::string& line : lines) {
        stream.WriteLine(line);
    }
    stream.Close();
}

void OdczytTFW(ConversionContext& form, const std::string& inputPath) {
    RunStep(form, "OdczytTFW", ErrorLevel::HandOn, [&] {
        form.WorldParams = ReadWorldFile(form.fileSystem, form.numbers, inputPath);
        RequirePlacesAnImage(form.WorldParams, inputPath);
    });
}

void ZapisTFW(ConversionContext& form, const std::string& imagePath) {
    RunStep(form, "ZapisTFW", ErrorLevel::HandOn, [&] {
        const std::string path = ReplaceExtensionAtFirstDot(imagePath, ".tfw");
        RequirePlacesAnImage(form.WorldParams, path);
        if (MakeRoomForOutput(form, path)) {
            WriteWorldFile(form.fileSystem, form.numbers, path, form.WorldParams);
        }
    });
}

}  // namespace marlo
