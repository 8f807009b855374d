// Times TFW to GeoTIFF of one large image with marlo-convert against `cp` of the same file,
// with gdal_translate and `geotifcp -e` beside them, and records each one's peak memory.
//
//   geotiff_bench [--mib N] [--runs N] [--folder DIR]
//
// Every tool runs once per round, in turn, on the same warm source; after each run the output
// is flushed (not timed) and removed, so no run pays for another's write-back. The figures are
// medians over the rounds; marlo-convert's ratio to cp is taken within each round.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <tiffio.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct Options {
    std::uint64_t mib = 1024;
    int runs = 7;
    std::string folder = fs::temp_directory_path() / "marlo-geotiff-bench";
};

Options ParseOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        if (name == "--mib") {
            options.mib = std::stoull(argv[i + 1]);
        } else if (name == "--runs") {
            options.runs = std::stoi(argv[i + 1]);
        } else if (name == "--folder") {
            options.folder = argv[i + 1];
        }
    }
    return options;
}

// A square grey image of about `mib` MiB whose bytes are never all alike, so that no file
// system can store it sparsely.
void WriteImage(const std::string& path, std::uint64_t mib) {
    const auto side = static_cast<std::uint32_t>(std::sqrt(static_cast<double>(mib << 20)));
    TIFF* tif = TIFFOpen(path.c_str(), "wl");
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, side);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, side);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 64);
    std::vector<std::uint8_t> row(side);
    for (std::uint32_t y = 0; y < side; ++y) {
        for (std::uint32_t x = 0; x < side; ++x) {
            row[x] = static_cast<std::uint8_t>((x * 7) ^ (y * 13) ^ (x >> 8));
        }
        TIFFWriteScanline(tif, row.data(), y, 0);
    }
    TIFFClose(tif);
}

struct Measure {
    double seconds = 0;
    long peakKiB = 0;
    int status = -1;
};

bool Installed(const std::string& program) {
    return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

// A child's peak memory as wait4 reports it includes the pages of the process that spawned
// it, so the bench's own memory would count; GNU time, being tiny, adds about 1 MiB instead.
const std::string kTimeProgram = "/usr/bin/time";
const std::string kPeakFile = fs::temp_directory_path() / "marlo-geotiff-bench-peak";

Measure RunMeasured(const std::vector<std::string>& tool) {
    const bool viaTime = fs::exists(kTimeProgram);
    std::vector<std::string> command = tool;
    if (viaTime) {
        command.insert(command.begin(), {kTimeProgram, "-f", "%M", "-o", kPeakFile});
    }
    std::vector<char*> argv;
    for (const std::string& part : command) {
        argv.push_back(const_cast<char*>(part.c_str()));
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    Measure measure;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        posix_spawn_file_actions_destroy(&actions);
        return measure;
    }
    int status = 0;
    struct rusage usage {};
    wait4(pid, &status, 0, &usage);
    measure.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    measure.peakKiB = usage.ru_maxrss;
    if (viaTime) {
        std::ifstream(kPeakFile) >> measure.peakKiB;
    }
    measure.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    posix_spawn_file_actions_destroy(&actions);
    return measure;
}

// Writes the output's dirty pages to disk outside the timing, then removes the output.
void FlushAndRemove(const std::string& file) {
    const int fd = ::open(file.c_str(), O_RDONLY);
    if (fd >= 0) {
        ::syncfs(fd);
        ::close(fd);
    }
    fs::remove(file);
}

struct Tool {
    std::string name;
    std::vector<std::string> command;
    std::string output;
};

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    const Options options = ParseOptions(argc, argv);
    const std::string in = options.folder + "/in";
    const std::string out = options.folder + "/out";
    fs::remove_all(options.folder);
    fs::create_directories(in);
    fs::create_directories(out);
    const std::string image = in + "/sheet.tif";
    WriteImage(image, options.mib);
    std::ofstream(in + "/sheet.tfw") << "0.5\r\n0\r\n0\r\n-0.5\r\n500000.25\r\n5600000.75\r\n";
    const auto bytes = fs::file_size(image);
    std::cout << "image: " << bytes << " bytes (" << bytes / (1 << 20) << " MiB), " << options.runs
              << " rounds\n";

    const std::string target = out + "/sheet.tif";
    std::vector<Tool> tools = {
        {"cp", {"cp", image, target}, target},
        {"marlo-convert",
         {MARLO_CONVERT_PROGRAM, "--from", "tfw", "--to", "geotiff", "--output-dir", out,
          in + "/sheet.tfw"},
         target},
    };
    if (Installed("gdal_translate")) {
        tools.push_back({"gdal_translate", {"gdal_translate", "-q", image, target}, target});
    }
    if (Installed("geotifcp")) {
        tools.push_back(
            {"geotifcp -e", {"geotifcp", "-e", in + "/sheet.tfw", image, target}, target});
    } else {
        std::cout << "geotifcp not installed (Debian package geotiff-bin): left out\n";
    }

    RunMeasured({"cat", image});  // the source in the page cache for every tool alike
    std::map<std::string, std::vector<double>> seconds;
    std::map<std::string, long> peak;
    std::vector<double> ratios;
    for (int round = 0; round < options.runs; ++round) {
        std::map<std::string, double> thisRound;
        // Each round starts with another tool, so that none always follows the same one.
        for (std::size_t i = 0; i < tools.size(); ++i) {
            const Tool& tool = tools[(i + static_cast<std::size_t>(round)) % tools.size()];
            const Measure m = RunMeasured(tool.command);
            if (m.status != 0) {
                std::cerr << tool.name << " failed with status " << m.status << "\n";
                return 1;
            }
            FlushAndRemove(tool.output);
            seconds[tool.name].push_back(m.seconds);
            thisRound[tool.name] = m.seconds;
            peak[tool.name] = std::max(peak[tool.name], m.peakKiB);
        }
        ratios.push_back(thisRound["marlo-convert"] / thisRound["cp"]);
        std::printf("round %d:", round + 1);
        for (const Tool& tool : tools) {
            std::printf("  %s %.3f s", tool.name.c_str(), thisRound[tool.name]);
        }
        std::printf("\n");
    }

    std::printf("%-16s %12s %14s\n", "tool", "median s", "peak RSS MiB");
    for (const Tool& tool : tools) {
        std::printf("%-16s %12.3f %14.1f\n", tool.name.c_str(), Median(seconds[tool.name]),
                    static_cast<double>(peak[tool.name]) / 1024);
    }
    std::printf("marlo-convert / cp, median of the rounds' ratios: %.3f\n", Median(ratios));
    fs::remove_all(options.folder);
    fs::remove(kPeakFile);
    return 0;
}
