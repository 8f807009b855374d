#include "formats/worldfile/world_file.h"

#include <algorithm>
#include <array>
#include <vector>

#include "state/output_file.h"
#include "state/paths.h"
#include "text/catalogue.h"
#include "text/number_text.h"

namespace marlo {

namespace {

std::vector<std::string> NonEmptyLines(ConversionContext& form, const std::string& path) {
    std::vector<std::string> lines;
    TextReadStream stream = form.fileSystem.OpenTextFileForReading(path);
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

void ReadWorldFile(ConversionContext& form, const std::string& inputPath) {
    if (!form.fileSystem.FileExists(inputPath)) {
        form.Fail(MessageText(msg::UnableToOpen) + inputPath, MessageIcon::None);
        return;
    }
    std::vector<double> values;
    for (const std::string& line : NonEmptyLines(form, inputPath)) {
        const std::string text = GenNumericValue(form.numbers, WithoutBlanks(line));
        if (!IsNumeric(text, form.regional)) {
            form.Fail(MessageText(msg::ErrorValueInTfw) + "\r" + inputPath + "\r" + text,
                      MessageIcon::None);
            return;
        }
        values.push_back(ToDouble(text, form.regional));
    }
    if (values.size() < 6) {
        throw RunTimeError(err::SubscriptOutOfRange, "Subscript out of range");
    }
    form.WorldParams = {values[0], values[1], values[2], values[3], values[4], values[5]};
    if (form.WorldParams.rotationY != 0 || form.WorldParams.rotationX != 0) {
        form.Fail(MessageText(msg::RasterNotRectified) + "\r" + inputPath, MessageIcon::Critical);
    }
}

void WriteWorldFile(ConversionContext& form, const std::string& imagePath) {
    const std::string path = ReplaceExtensionAtFirstDot(imagePath, ".tfw");
    if (!MakeRoomForOutput(form, path)) {
        return;
    }
    const WorldParameters& p = form.WorldParams;
    const std::array<double, 6> values = {p.pixelSizeX, p.rotationY, p.rotationX,
                                          p.pixelSizeY, p.originX,   p.originY};
    std::array<std::string, 6> lines;
    for (std::size_t i = 0; i < values.size(); ++i) {
        lines[i] = GenStringVithDots(form.numbers, NumberText(values[i], form.regional));
    }
    TextAppendStream stream = form.fileSystem.OpenTextFileForAppending(path);
    for (const std::string& line : lines) {
        stream.WriteLine(line);
    }
    stream.Close();
}

}  // namespace

void OdczytTFW(ConversionContext& form, const std::string& inputPath) {
    RunProcedure(form.errorReport, "OdczytTFW", ErrorLevel::HandOn,
                 [&] { ReadWorldFile(form, inputPath); });
}

void ZapisTFW(ConversionContext& form, const std::string& imagePath) {
    RunProcedure(form.errorReport, "ZapisTFW", ErrorLevel::HandOn,
                 [&] { WriteWorldFile(form, imagePath); });
}

}  // namespace marlo
