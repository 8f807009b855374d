#include "platform/scratch_folder.h"

#include <cstdlib>
#include <filesystem>
#include <vector>

namespace marlo {

namespace {

class ScratchFolder {
public:
    ScratchFolder() {
        const char* base = std::getenv("TMPDIR");
        std::string pattern =
            std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/marlo-XXXXXX";
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        if (::mkdtemp(name.data()) != nullptr) {
            path_ = name.data();
        }
    }
    ~ScratchFolder() {
        if (!path_.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(path_, ignored);
        }
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::string NewPath(const std::string& suffix) {
        return path_.empty() ? std::string() : path_ + "/" + std::to_string(++used_) + suffix;
    }

private:
    std::string path_;
    unsigned long used_ = 0;
};

}  // namespace

std::string ScratchPath(const std::string& suffix) {
    static ScratchFolder folder;
    return folder.NewPath(suffix);
}

}  // namespace marlo
