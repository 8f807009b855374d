#include "support/temp_folder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace marlo::test {

namespace fs = std::filesystem;

namespace {

// Paths are UTF-8 text everywhere; on Windows a narrow path would be read in the ANSI code
// page, so it is made from UTF-8 explicitly.
fs::path Utf8Path(const std::string& path) {
    return fs::path(std::u8string(path.begin(), path.end()));
}

std::string MakeTemporaryFolder() {
#ifdef _WIN32
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path candidate =
            fs::temp_directory_path() / ("marlo-test-" + std::to_string(random()));
        if (fs::create_directory(candidate)) {
            const std::u8string utf8 = candidate.generic_u8string();
            return std::string(utf8.begin(), utf8.end());
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
#else
    std::string pattern = (fs::temp_directory_path() / "marlo-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a temporary folder");
    }
    return pattern;
#endif
}

}  // namespace

TempFolder::TempFolder() : path_(MakeTemporaryFolder()) {}

TempFolder::~TempFolder() {
    std::error_code ec;
    // Give back write permission first so that read-only test files can go too.
    for (auto it = fs::recursive_directory_iterator(path_, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    fs::remove_all(path_, ec);
}

std::string TempFolder::MakeFolder(const std::string& name) const {
    const std::string full = *this / name;
    fs::create_directories(Utf8Path(full));
    return full;
}

std::string TempFolder::Write(const std::string& name, const std::string& bytes) const {
    const std::string full = *this / name;
    fs::create_directories(Utf8Path(full).parent_path());
    std::ofstream out(Utf8Path(full), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + full);
    }
    return full;
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(Utf8Path(path), std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void MakeReadOnly(const std::string& path) {
    fs::permissions(Utf8Path(path),
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
}

std::map<std::string, std::string> TreeBytes(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) {
            files[std::filesystem::relative(entry.path(), folder).string()] =
                ReadBytes(entry.path().string());
        }
    }
    return files;
}

}  // namespace marlo::test
