#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <functional>
#include <thread>
#include <vector>

#include "platform/kept_answers.h"
#include "support/temp_folder.h"

namespace marlo {
namespace {

const std::function<std::string()> kSettings = [] { return std::string("settings"); };

class KeptAnswersTest : public ::testing::Test {
protected:
    AnswerSource Source() const { return {{*FileIdentityOf(library)}, kSettings()}; }
    // Keeps one answer as a process would, and gives the file's bytes.
    std::string KeepOne() const {
        KeptAnswers(cacheFile).Keep("question", "answer", Source());
        return test::ReadBytes(cacheFile);
    }
    std::optional<std::string> FoundByNextProcess(const std::string& question = "question") const {
        return KeptAnswers(cacheFile).Find(question, kSettings);
    }

    test::TempFolder temp;
    std::string library = temp.Write("lib/libanswers.so.1", "code");
    std::string cacheFile = temp / "cache/marlo/answers";
};

TEST_F(KeptAnswersTest, TheNextProcessFindsAnAnswerOnlyWhileItsSourceIsUnchanged) {
    KeepOne();
    EXPECT_EQ(FoundByNextProcess(), "answer");
    EXPECT_EQ(FoundByNextProcess("other question"), std::nullopt);
    EXPECT_EQ(KeptAnswers(cacheFile).Find("question", [] { return std::string("other"); }),
              std::nullopt);

    const std::vector<std::pair<std::string, std::function<void()>>> upgrades = {
        {"same size, new time",
         [&] {
             struct timespec times[2] = {{0, UTIME_OMIT}, {12345, 0}};
             ASSERT_EQ(utimensat(AT_FDCWD, library.c_str(), times, 0), 0);
         }},
        {"new size", [&] { temp.Write("lib/libanswers.so.1", "longer code"); }},
        {"removed", [&] { ASSERT_EQ(std::remove(library.c_str()), 0); }},
    };
    for (const auto& [upgrade, apply] : upgrades) {
        temp.Write("lib/libanswers.so.1", "code");
        KeepOne();
        ASSERT_EQ(FoundByNextProcess(), "answer") << upgrade;
        apply();
        EXPECT_EQ(FoundByNextProcess(), std::nullopt) << upgrade;
    }
}

// The file's bytes with a number patched at `offset` and the checksum (FNV-1a, the last eight
// bytes) made right again, so that only the reader's bounds stand between it and the number.
std::string WithNumber(std::string bytes, std::size_t offset, std::uint32_t number) {
    for (int i = 0; i < 4; ++i) {
        bytes[offset + i] = static_cast<char>(number >> (8 * i));
    }
    const std::size_t body = bytes.size() - 8;
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (std::size_t i = 0; i < body; ++i) {
        hash = (hash ^ static_cast<unsigned char>(bytes[i])) * 0x100000001b3ULL;
    }
    for (int i = 0; i < 8; ++i) {
        bytes[body + i] = static_cast<char>(hash >> (8 * i));
    }
    return bytes;
}

std::string WithByteFlipped(std::string bytes, std::size_t offset) {
    bytes[offset] = static_cast<char>(bytes[offset] ^ 0x20);
    return bytes;
}

TEST_F(KeptAnswersTest, ADamagedOrForeignFileIsIgnoredAndRebuilt) {
    const std::string whole = KeepOne();
    const std::size_t settingsEnd = 8 + 4 + 4 + kSettings().size();
    const std::vector<std::pair<std::string, std::string>> damaged = {
        {"empty", ""},
        {"truncated", whole.substr(0, whole.size() / 2)},
        {"one byte short", whole.substr(0, whole.size() - 1)},
        {"garbage", std::string(200, '\x7f')},
        {"one byte changed", WithByteFlipped(whole, whole.size() / 2)},
        {"foreign", "GIF89a" + whole.substr(6)},
        {"another format version", WithNumber(whole, 8, 2)},
        {"huge file count", WithNumber(whole, settingsEnd, 0xffffffff)},
        {"huge settings length", WithNumber(whole, 12, 0x7fffffff)},
    };
    for (const auto& [damage, bytes] : damaged) {
        temp.Write("cache/marlo/answers", bytes);
        EXPECT_EQ(FoundByNextProcess(), std::nullopt) << damage;
        EXPECT_EQ(KeepOne(), whole) << damage;
    }
}

TEST_F(KeptAnswersTest, ProcessesWritingAtOnceLeaveAWholeFile) {
    std::vector<std::thread> processes;
    for (int process = 0; process < 6; ++process) {
        processes.emplace_back([&, process] {
            const KeptAnswers kept(cacheFile);
            for (int answer = 0; answer < 20; ++answer) {
                kept.Keep(std::to_string(process) + "/" + std::to_string(answer), "answer",
                          Source());
            }
        });
    }
    for (std::thread& process : processes) {
        process.join();
    }
    const auto file = ParsedAnswerFile(test::ReadBytes(cacheFile));
    ASSERT_TRUE(file.has_value());
    EXPECT_GE(file->answers.size(), 20u);
    EXPECT_EQ(test::TreeBytes(temp / "cache/marlo").size(), 1u) << "temporary files left";
}

TEST_F(KeptAnswersTest, ACacheThatCannotBeWrittenLeavesTheAnswersToThisProcess) {
    temp.Write("cache/marlo", "a file where the folder should be");
    const KeptAnswers kept(cacheFile);
    kept.Keep("question", "answer", Source());
    EXPECT_EQ(kept.Find("question", kSettings), "answer");
    EXPECT_EQ(FoundByNextProcess(), std::nullopt);
}

}  // namespace
}  // namespace marlo
