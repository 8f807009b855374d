#include "platform/kept_answers.h"

#include <dirent.h>
#include <fcntl.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "platform/user_file.h"

namespace marlo {

namespace {

// "MARLOANS", then the format's number: a file of another format is another program's.
constexpr std::string_view kMagic = "MARLOANS";
constexpr std::uint32_t kFormatVersion = 1;
// A cache file past these sizes is not read (nor grown): it is rebuilt from the next answer.
constexpr std::size_t kMaxFileBytes = 16 * 1024 * 1024;
constexpr std::size_t kMaxAnswers = 20000;

// FNV-1a over the bytes: a damaged file is told from a whole one by its last eight bytes.
std::uint64_t Checksum(std::string_view bytes) {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const unsigned char byte : bytes) {
        hash = (hash ^ byte) * 0x100000001b3ULL;
    }
    return hash;
}

void PutNumber(std::string& out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
    }
}

void PutText(std::string& out, const std::string& text) {
    PutNumber(out, text.size(), 4);
    out += text;
}

// Reads little-endian numbers and length-prefixed texts, never past the end of its bytes: a
// read that would go past fails, and so does every read after it.
class BoundedReader {
public:
    explicit BoundedReader(std::string_view bytes) : bytes_(bytes) {}

    bool Ok() const { return ok_; }
    bool AtEnd() const { return at_ == bytes_.size(); }
    std::size_t Left() const { return bytes_.size() - at_; }

    std::uint64_t Number(int bytes) {
        if (!Has(static_cast<std::size_t>(bytes))) {
            return 0;
        }
        std::uint64_t value = 0;
        for (int i = 0; i < bytes; ++i) {
            value |= std::uint64_t{static_cast<unsigned char>(bytes_[at_ + i])} << (8 * i);
        }
        at_ += static_cast<std::size_t>(bytes);
        return value;
    }

    std::string Text() {
        const std::size_t length = Number(4);
        if (!Has(length)) {
            return {};
        }
        std::string text(bytes_.substr(at_, length));
        at_ += length;
        return text;
    }

private:
    bool Has(std::size_t count) {
        ok_ = ok_ && count <= Left();
        return ok_;
    }

    std::string_view bytes_;
    std::size_t at_ = 0;
    bool ok_ = true;
};

// The cache file's bytes, read as every user file is (never past the size limit); nothing
// when it is missing, not a regular file, too large or unreadable.
std::optional<std::string> FileBytes(const std::string& path) {
    const UserFile file(path);
    return file.opened() ? file.All(kMaxFileBytes) : std::nullopt;
}

bool WriteAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    return true;
}

// The folder and those above it, for this user only; false when it cannot be made.
bool MakeFolders(const std::string& folder) {
    for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        const std::string part = folder.substr(0, slash);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            return false;
        }
        if (slash == std::string::npos) {
            return true;
        }
    }
}

// Writes the bytes as the file's whole content: a temporary file beside it, renamed over it.
void ReplaceFile(const std::string& path, const std::string& bytes) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos || slash == 0 || !MakeFolders(path.substr(0, slash))) {
        return;
    }
    std::string temporary = path + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        return;
    }
    const bool written = WriteAll(fd, bytes);
    if (::close(fd) != 0 || !written || ::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
    }
}

bool Unchanged(const FileIdentity& file) {
    return FileIdentityOf(file.path) == file;
}

}  // namespace

std::optional<FileIdentity> FileIdentityOf(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return std::nullopt;
    }
    return FileIdentity{
        path, static_cast<std::uint64_t>(info.st_size),
        static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
}

std::vector<std::string> LoadedLibraryFiles() {
    std::vector<std::string> files;
    dl_iterate_phdr(
        [](dl_phdr_info* info, std::size_t, void* found) {
            if (info->dlpi_name != nullptr && info->dlpi_name[0] != '\0') {
                static_cast<std::vector<std::string>*>(found)->push_back(info->dlpi_name);
            }
            return 0;
        },
        &files);
    return files;
}

std::vector<std::string> OpenFiles() {
    std::vector<std::string> files;
    DIR* folder = ::opendir("/proc/self/fd");
    if (folder == nullptr) {
        return files;
    }
    while (const dirent* entry = ::readdir(folder)) {
        const std::string link = std::string("/proc/self/fd/") + entry->d_name;
        std::array<char, 4096> target{};
        const ssize_t length = ::readlink(link.c_str(), target.data(), target.size() - 1);
        if (length > 0 && target[0] == '/') {
            files.emplace_back(target.data(), static_cast<std::size_t>(length));
        }
    }
    ::closedir(folder);
    return files;
}

std::string UserCacheFolder() {
    const char* cacheHome = std::getenv("XDG_CACHE_HOME");
    if (cacheHome != nullptr && cacheHome[0] == '/') {
        return std::string(cacheHome) + "/marlo";
    }
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') {
        return std::string(home) + "/.cache/marlo";
    }
    return {};
}

std::string UserCacheFile(const std::string& name) {
    const std::string folder = UserCacheFolder();
    return folder.empty() ? folder : folder + "/" + name;
}

std::string AnswerFileBytes(const AnswerFile& file) {
    std::string bytes(kMagic);
    PutNumber(bytes, kFormatVersion, 4);
    PutText(bytes, file.source.settings);
    PutNumber(bytes, file.source.files.size(), 4);
    for (const FileIdentity& identity : file.source.files) {
        PutText(bytes, identity.path);
        PutNumber(bytes, identity.size, 8);
        PutNumber(bytes, static_cast<std::uint64_t>(identity.modifiedNanoseconds), 8);
    }
    PutNumber(bytes, file.answers.size(), 4);
    for (const auto& [question, answer] : file.answers) {
        PutText(bytes, question);
        PutText(bytes, answer);
    }
    PutNumber(bytes, Checksum(bytes), 8);
    return bytes;
}

std::optional<AnswerFile> ParsedAnswerFile(const std::string& bytes) {
    constexpr std::size_t kChecksumBytes = 8;
    if (bytes.size() < kMagic.size() + kChecksumBytes || bytes.compare(0, kMagic.size(), kMagic)) {
        return std::nullopt;
    }
    const std::string_view body(bytes.data(), bytes.size() - kChecksumBytes);
    BoundedReader checksum(std::string_view(bytes).substr(body.size()));
    if (checksum.Number(8) != Checksum(body)) {
        return std::nullopt;
    }
    BoundedReader reader(body.substr(kMagic.size()));
    if (reader.Number(4) != kFormatVersion) {
        return std::nullopt;
    }
    AnswerFile file;
    file.source.settings = reader.Text();
    // Every count is checked against the bytes left: an entry takes at least four bytes.
    const std::size_t fileCount = reader.Number(4);
    for (std::size_t i = 0; reader.Ok() && i < fileCount && reader.Left() >= 4; ++i) {
        FileIdentity identity;
        identity.path = reader.Text();
        identity.size = reader.Number(8);
        identity.modifiedNanoseconds = static_cast<std::int64_t>(reader.Number(8));
        file.source.files.push_back(std::move(identity));
    }
    const std::size_t answerCount = reader.Number(4);
    if (answerCount > kMaxAnswers) {
        return std::nullopt;
    }
    for (std::size_t i = 0; reader.Ok() && i < answerCount && reader.Left() >= 8; ++i) {
        std::string question = reader.Text();
        file.answers[std::move(question)] = reader.Text();
    }
    if (!reader.Ok() || !reader.AtEnd() || file.source.files.size() != fileCount ||
        file.answers.size() != answerCount) {
        return std::nullopt;
    }
    return file;
}

struct KeptAnswers::State {
    std::string path;
    bool loaded = false;
    // Whether `file` holds answers this process may give: read and found valid, or kept here.
    bool trusted = false;
    AnswerFile file;
};

KeptAnswers::KeptAnswers(std::string filePath) : state_(std::make_shared<State>()) {
    state_->path = std::move(filePath);
}

void KeptAnswers::Load(const std::string& settings) const {
    State& state = *state_;
    state.loaded = true;
    const auto bytes = state.path.empty() ? std::nullopt : FileBytes(state.path);
    auto file = bytes ? ParsedAnswerFile(*bytes) : std::nullopt;
    if (!file || file->source.settings != settings) {
        return;
    }
    for (const FileIdentity& identity : file->source.files) {
        if (!Unchanged(identity)) {
            return;
        }
    }
    state.file = std::move(*file);
    state.trusted = true;
}

std::optional<std::string> KeptAnswers::Find(const std::string& question,
                                             const std::function<std::string()>& settings) const {
    if (!state_->loaded) {
        Load(settings());
    }
    const State& state = *state_;
    if (!state.trusted) {
        return std::nullopt;
    }
    const auto found = state.file.answers.find(question);
    if (found == state.file.answers.end()) {
        return std::nullopt;
    }
    return found->second;
}

void KeptAnswers::Keep(const std::string& question, const std::string& answer,
                       const AnswerSource& source) const {
    State& state = *state_;
    state.loaded = true;
    if (!state.trusted || state.file.source.settings != source.settings) {
        state.file = AnswerFile{};
        state.trusted = true;
    }
    state.file.source.settings = source.settings;
    // The files the answers came from: those seen before (unchanged) and those seen now.
    for (const FileIdentity& identity : source.files) {
        auto& files = state.file.source.files;
        std::erase_if(files, [&](const FileIdentity& kept) { return kept.path == identity.path; });
        files.push_back(identity);
    }
    state.file.answers[question] = answer;
    // A cache grown past its bounds starts again from this answer.
    if (state.file.answers.size() > kMaxAnswers ||
        AnswerFileBytes(state.file).size() > kMaxFileBytes) {
        state.file.answers = {{question, answer}};
    }
    Write();
}

void KeptAnswers::Write() const {
    const State& state = *state_;
    if (state.path.empty()) {
        return;
    }
    // Answers another process kept meanwhile from the same source stay in the file, as long
    // as the file stays within its bounds.
    AnswerFile merged = state.file;
    const auto bytes = FileBytes(state.path);
    if (const auto onDisk = bytes ? ParsedAnswerFile(*bytes) : std::nullopt;
        onDisk && onDisk->source == merged.source) {
        merged.answers.insert(onDisk->answers.begin(), onDisk->answers.end());
    }
    std::string written = AnswerFileBytes(merged);
    if (merged.answers.size() > kMaxAnswers || written.size() > kMaxFileBytes) {
        written = AnswerFileBytes(state.file);
    }
    ReplaceFile(state.path, written);
}

}  // namespace marlo
