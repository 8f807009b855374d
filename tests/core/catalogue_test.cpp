#include <gtest/gtest.h>

#include "text/catalogue.h"

namespace marlo {
namespace {

class CatalogueTest : public ::testing::Test {
protected:
    void TearDown() override { currentLanguage = "english"; }
};

TEST_F(CatalogueTest, GivesEachLanguageItsOwnText) {
    currentLanguage = "polski";
    EXPECT_EQ(MessageText(msg::Done), "Zakończono!");
    EXPECT_EQ(MessageText(msg::UnableToOpen), "Błąd odczytu ");
    EXPECT_EQ(CaptionText(14), "Wersja językowa:");
    currentLanguage = "english";
    EXPECT_EQ(MessageText(msg::Done), "Done!");
    EXPECT_EQ(MessageText(msg::OutputDirectoryMissing), "Output directory doesn't exists!");
    EXPECT_EQ(MessageText(msg::CommentsWelcome),
              "Any questions, comments, suggestions are greatly appreciated.");
    EXPECT_EQ(CaptionText(1), "Marlo - Select MapInfo projection");
}

TEST_F(CatalogueTest, OkIsTheSameInBothLanguages) {
    for (const char* language : {"polski", "english"}) {
        currentLanguage = language;
        EXPECT_EQ(CaptionText(4), "OK");
    }
}

TEST_F(CatalogueTest, NumbersOutsideTheTablesAndUnknownLanguagesGiveEmptyText) {
    EXPECT_EQ(MessageText(43), "");
    EXPECT_EQ(MessageText(-1), "");
    EXPECT_EQ(CaptionText(0), "");
    EXPECT_EQ(CaptionText(52), "");
    for (const char* language : {"", "English", "deutsch"}) {
        currentLanguage = language;
        for (std::int16_t n = 0; n <= 42; ++n) {
            EXPECT_EQ(MessageText(n), "") << language << " " << n;
        }
        for (std::int16_t n = 1; n <= 51; ++n) {
            EXPECT_EQ(CaptionText(n), "") << language << " " << n;
        }
    }
}

}  // namespace
}  // namespace marlo
