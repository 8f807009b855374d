#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "text/catalogue.h"

namespace marlo {
namespace {

class CatalogueTest : public ::testing::Test {
protected:
    Texts texts;
};

TEST_F(CatalogueTest, GivesEachLanguageItsOwnText) {
    texts.SetLanguage("polski");
    EXPECT_EQ(texts.Message(msg::Done), "Zakończono!");
    EXPECT_EQ(texts.Message(msg::UnableToOpen), "Błąd odczytu ");
    EXPECT_EQ(texts.Caption(14), "Wersja językowa:");
    texts.SetLanguage("english");
    EXPECT_EQ(texts.Message(msg::Done), "Done!");
    EXPECT_EQ(texts.Message(msg::OutputDirectoryMissing), "Output directory doesn't exists!");
    EXPECT_EQ(texts.Message(msg::CommentsWelcome),
              "Any questions, comments, suggestions are greatly appreciated.");
    EXPECT_EQ(texts.Caption(1), "Marlo - Select MapInfo projection");
}

TEST_F(CatalogueTest, CountsTakeTheirLanguagesPluralForms) {
    const struct {
        const char* language;
        std::size_t count;
        const char* text;
    } cases[] = {
        {"english", 1, "1 sheet lies far from the rest"},
        {"english", 2, "2 sheets lie far from the rest"},
        {"english", 0, "0 sheets lie far from the rest"},
        {"polski", 1, "1 arkusz leży daleko od pozostałych"},
        {"polski", 3, "3 arkusze leżą daleko od pozostałych"},
        {"polski", 5, "5 arkuszy leży daleko od pozostałych"},
        {"polski", 12, "12 arkuszy leży daleko od pozostałych"},
        {"polski", 22, "22 arkusze leżą daleko od pozostałych"},
        {"polski", 114, "114 arkuszy leży daleko od pozostałych"},
        {"polski", 1001, "1001 arkuszy leży daleko od pozostałych"},
    };
    for (const auto& c : cases) {
        texts.SetLanguage(c.language);
        EXPECT_EQ(texts.CaptionCounting(caption::FarFromRest, c.count), c.text)
            << c.language << c.count;
    }
}

TEST_F(CatalogueTest, OkIsTheSameInBothLanguages) {
    for (const char* language : {"polski", "english"}) {
        texts.SetLanguage(language);
        EXPECT_EQ(texts.Caption(4), "OK");
    }
}

TEST_F(CatalogueTest, NumbersOutsideTheTablesAndUnknownLanguagesGiveEmptyText) {
    EXPECT_EQ(texts.Message(msg::NoDatumShift + 1), "");
    EXPECT_EQ(texts.Message(-1), "");
    EXPECT_EQ(texts.Caption(0), "");
    EXPECT_EQ(texts.Caption(999), "");
    for (const char* language : {"", "English", "deutsch"}) {
        texts.SetLanguage(language);
        for (std::int16_t n = 0; n <= msg::NoDatumShift; ++n) {
            EXPECT_EQ(texts.Message(n), "") << language << " " << n;
        }
        for (std::int16_t n = 1; n <= 51; ++n) {
            EXPECT_EQ(texts.Caption(n), "") << language << " " << n;
        }
    }
}

// The numbers docs/differences.md names, one ("message 42") or a range ("captions 15–51") at a
// time, of the kind given ("message" or "caption").
std::set<int> NumbersTheDifferencesName(const std::string& kind) {
    std::ifstream file(std::string(MARLO_DATA_SOURCE_DIR) + "/../docs/differences.md");
    std::stringstream text;
    text << file.rdbuf();
    const std::string document = text.str();
    const std::regex mention(kind + "s? ([0-9]+)(\xE2\x80\x93([0-9]+))?");
    std::set<int> named;
    for (std::sregex_iterator it(document.begin(), document.end(), mention), end; it != end; ++it) {
        const int first = std::stoi((*it)[1]);
        const int last = (*it)[3].matched ? std::stoi((*it)[3]) : first;
        for (int n = first; n <= last; ++n) {
            named.insert(n);
        }
    }
    return named;
}

// Every text added to the designed catalogue (messages from 32, captions from 15) is a
// difference, and the document says which numbers it has.
TEST_F(CatalogueTest, TheDifferencesNameEveryAddedNumberAndNoOther) {
    const struct {
        const char* kind;
        std::int16_t firstAdded;
        std::string (Texts::*text)(std::int16_t) const;
    } tables[] = {{"message", 32, &Texts::Message}, {"caption", 15, &Texts::Caption}};
    // Numbers may be left empty for a while (kept for a change made beside this one).
    constexpr std::int16_t kBeyondEveryTable = 200;
    for (const auto& table : tables) {
        const std::set<int> named = NumbersTheDifferencesName(table.kind);
        ASSERT_FALSE(named.empty());
        for (std::int16_t n = table.firstAdded; n < kBeyondEveryTable; ++n) {
            EXPECT_EQ(named.count(n) == 1, !(texts.*table.text)(n).empty())
                << table.kind << " " << n << (named.count(n) ? " has no text" : " is not named");
        }
    }
}

}  // namespace
}  // namespace marlo
