#pragma once

#include <map>
#include <string>
#include <vector>

namespace marlo::test {

struct CommandResult {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs a shell command with the given environment additions and collects what it printed.
CommandResult RunCommand(const std::string& command);

// Runs a shell command that must succeed (a test failure otherwise) and gives its output.
std::string Shell(const std::string& command);

// Runs marlo-convert with the given (already quoted) arguments in a scratch home and cache of
// its own; `environment` ("NAME=value ...") is set for it too (XDG_CACHE_HOME included).
CommandResult MarloConvert(const std::string& arguments, const std::string& environment = "");

// Runs marlo-convert with the arguments in a scratch home of its own, killed by SIGKILL after
// `milliseconds` if still running. The cache is the test's own, shared between such runs.
void RunKilledAfter(int milliseconds, const std::string& arguments);

// Single quotes for the shell.
std::string Quoted(const std::string& text);

// Whether gdal_create, gdal_translate, gdaladdo and gdalinfo can be run.
bool HaveGdalTools();
// Ends the test as skipped where they cannot.
#define SKIP_WITHOUT_TOOLS()             \
    if (!::marlo::test::HaveGdalTools()) \
    GTEST_SKIP() << "the GDAL tools are not installed"

// What `gdalinfo -json -checksum` tells about an image, with whatever it printed to standard
// error (a warning, an error).
struct GdalImage {
    std::string warnings;
    std::vector<double> geoTransform;  // empty when the image has none
    std::vector<long long> checksums;  // bands, then their overviews, in GDAL's order
    std::vector<std::string> pages;    // GTIFF_DIR names of a file with several pages
};
// `options` go to gdalinfo as they stand (--config GDAL_GEOREF_SOURCES WORLDFILE, say).
GdalImage DescribeWithGdal(const std::string& dataset, const std::string& options = "");

// Every regular file of a folder with its bytes.
std::map<std::string, std::string> FolderBytes(const std::string& folder);

}  // namespace marlo::test
