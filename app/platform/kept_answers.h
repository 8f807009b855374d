#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace marlo {

// A file as the answers kept from it saw it: a library or a database is taken to be the same
// file while its path, size and modification time are.
struct FileIdentity {
    std::string path;
    std::uint64_t size = 0;
    std::int64_t modifiedNanoseconds = 0;
    bool operator==(const FileIdentity&) const = default;
};
std::optional<FileIdentity> FileIdentityOf(const std::string& path);

// The files of the shared objects loaded into this process, as the loader opened them.
std::vector<std::string> LoadedLibraryFiles();
// The files this process holds open (a database a library keeps open, say).
std::vector<std::string> OpenFiles();

// The per-user cache folder of the program: $XDG_CACHE_HOME/marlo, by default ~/.cache/marlo;
// "" when neither tells where. Not created here.
std::string UserCacheFolder();
// The file of that name in the user's cache folder; "" when there is none.
std::string UserCacheFile(const std::string& name);

// What kept answers came from: files that must not have changed since, and settings (a text the
// asker composes) that must be the same.
struct AnswerSource {
    std::vector<FileIdentity> files;
    std::string settings;
    bool operator==(const AnswerSource&) const = default;
};

// The answers and their source, as a cache file holds them.
struct AnswerFile {
    AnswerSource source;
    std::map<std::string, std::string> answers;
};
// The bytes of a cache file, and the file read back from its bytes: nothing for bytes that
// are not such a file in full (truncated, foreign, another format, damaged).
std::string AnswerFileBytes(const AnswerFile& file);
std::optional<AnswerFile> ParsedAnswerFile(const std::string& bytes);

// Answers that a costly service gave, kept in a file across processes, so the next process
// can answer the same question without asking the service. The file is only an optimisation:
// one that cannot be read, is damaged or came from other files or settings is ignored (and
// replaced by the next answer kept), and one that cannot be written leaves the run as it is.
// Writes go to a temporary file in the same folder renamed over the old one, so concurrent
// processes never leave a mixed file (the last writer wins). Const operations through a shared
// state, as the file-system service's look-ups: the Environment is passed as const.
class KeptAnswers {
public:
    // `filePath` "" keeps answers for this process only.
    explicit KeptAnswers(std::string filePath);

    // The answer kept for `question`, when the file's answers came from the settings this
    // process has (asked once, when the file is first read) and from files that are all
    // unchanged.
    std::optional<std::string> Find(const std::string& question,
                                    const std::function<std::string()>& settings) const;
    // Keeps an answer that the service, as `source` describes it, gave, and writes the file.
    void Keep(const std::string& question, const std::string& answer,
              const AnswerSource& source) const;

private:
    struct State;
    void Load(const std::string& settings) const;
    void Write() const;

    std::shared_ptr<State> state_;
};

}  // namespace marlo
