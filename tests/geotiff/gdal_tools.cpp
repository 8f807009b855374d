#include "gdal_tools.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <regex>
#include <stdexcept>

#include "support/temp_folder.h"

namespace marlo::test {

namespace fs = std::filesystem;

std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

CommandResult RunCommand(const std::string& command) {
    TempFolder scratch;
    const std::string out = scratch / "out";
    const std::string err = scratch / "err";
    // No .aux.xml side files: the tests compare folders byte for byte.
    const std::string line = "export GDAL_PAM_ENABLED=NO; { " + command + "; } >" + Quoted(out) +
                             " 2>" + Quoted(err) + " </dev/null";
    const int raw = std::system(line.c_str());
    CommandResult result;
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    result.out = ReadBytes(out);
    result.err = ReadBytes(err);
    return result;
}

std::string Shell(const std::string& command) {
    const CommandResult result = RunCommand(command);
    EXPECT_EQ(result.status, 0) << command << "\n" << result.err;
    return result.out;
}

namespace {

// The home and the per-user folders of a run in `home`, never the real ones.
std::string HomeIn(const TempFolder& home) {
    return " HOME=" + Quoted(home.path()) + " XDG_DATA_HOME=" + Quoted(home / "data") +
           " XDG_CONFIG_HOME=" + Quoted(home / "config") + " ";
}

}  // namespace

CommandResult MarloConvert(const std::string& arguments, const std::string& environment) {
    TempFolder home;
    // A cache of its own, unless `environment` names one to share between runs.
    return RunCommand("XDG_CACHE_HOME=" + Quoted(home / "cache") + " " + environment +
                      HomeIn(home) + Quoted(MARLO_CONVERT_PROGRAM) + " " + arguments);
}

void RunKilledAfter(int milliseconds, const std::string& arguments) {
    TempFolder home;
    RunCommand(HomeIn(home) + "timeout -s KILL " + std::to_string(milliseconds / 1000.0) + " " +
               Quoted(MARLO_CONVERT_PROGRAM) + " " + arguments);
}

bool HaveGdalTools() {
    return RunCommand(
               "command -v gdal_create && command -v gdal_translate && "
               "command -v gdaladdo && command -v gdalinfo")
               .status == 0;
}

namespace {

std::vector<std::string> AllMatches(const std::string& text, const std::regex& pattern) {
    std::vector<std::string> found;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), pattern);
         it != std::sregex_iterator(); ++it) {
        found.push_back((*it)[1].str());
    }
    return found;
}

std::string WithoutWhiteSpace(const std::string& text) {
    std::string compact;
    for (char c : text) {
        if (c != ' ' && c != '\n' && c != '\r' && c != '\t') {
            compact += c;
        }
    }
    return compact;
}

// GDAL 3.6's JSON output looks for the extent in WGS 84 and, for any GeoTIFF whose keys state
// no coordinate system (its own files made with AREA_OR_POINT=Point included), prints these
// two lines; plain gdalinfo reads the same file silently. They say nothing about the file.
std::string WithoutJsonCrsNoise(std::string text) {
    for (const char* line : {"ERROR 1: PROJ: proj_get_ellipsoid: CRS has no geodetic CRS\n",
                             "ERROR 1: PROJ: proj_get_ellipsoid: Object is not a CRS or "
                             "GeodeticReferenceFrame\n"}) {
        if (const auto at = text.find(line); at != std::string::npos) {
            text.erase(at, std::string(line).size());
        }
    }
    return text;
}

}  // namespace

GdalImage DescribeWithGdal(const std::string& dataset, const std::string& options) {
    const CommandResult result =
        RunCommand("gdalinfo -json -checksum " + options + " " + Quoted(dataset));
    if (result.status != 0) {
        throw std::runtime_error("gdalinfo failed on " + dataset + ": " + result.err);
    }
    const std::string json = WithoutWhiteSpace(result.out);
    GdalImage image;
    image.warnings = WithoutJsonCrsNoise(result.err);
    static const std::regex geoTransform(R"re("geoTransform":\[([^\]]*)\])re");
    for (const std::string& list : AllMatches(json, geoTransform)) {
        std::size_t start = 0;
        while (start < list.size()) {
            const auto comma = list.find(',', start);
            const auto end = comma == std::string::npos ? list.size() : comma;
            image.geoTransform.push_back(std::stod(list.substr(start, end - start)));
            start = end + 1;
        }
    }
    static const std::regex checksum(R"re("checksum":(-?[0-9]+))re");
    for (const std::string& value : AllMatches(json, checksum)) {
        image.checksums.push_back(std::stoll(value));
    }
    static const std::regex page(R"re("SUBDATASET_[0-9]+_NAME":"([^"]*)")re");
    image.pages = AllMatches(json, page);
    return image;
}

std::map<std::string, std::string> FolderBytes(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.is_regular_file()) {
            files[entry.path().filename().string()] = ReadBytes(entry.path().string());
        }
    }
    return files;
}

}  // namespace marlo::test
