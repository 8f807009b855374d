#include <gtest/gtest.h>

#include <gmock/gmock.h>

#include "projection/projection_window.h"
#include "support/scripted_user.h"
#include "support/temp_folder.h"
#include "text/catalogue.h"

namespace marlo {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class ProjectionWindowTest : public ::testing::Test {
protected:
    // Loads a window over a projection list made of `bytes`.
    ProjectionWindow& Open(const std::string& bytes) {
        window.emplace(GdalBridge{libraries, texts}, user, files, question,
                       folder.Write("mapinfow.prj", bytes), nullptr, aliases);
        window->Load();
        return *window;
    }

    test::TempFolder folder;
    test::ScriptedUser user;
    Libraries libraries;
    Texts texts;
    FileSystemService files;
    ProjectionQuestion question;
    ProjectionAliases aliases;
    std::optional<ProjectionChooser> window;
};

const char* const kUtmList =
    "--- Longitude / Latitude ---\r\n"
    "\"Longitude / Latitude (WGS 84)\", 1, 104\r\n"
    "\r\n"
    "--- UTM (WGS 84) ---\r\n"
    "\"UTM zone 10\", 8, 104, 7, -123, 0, 0.9996, 500000, 0\r\n"
    "\"UTM zone 1\", 8, 104, 7, -177, 0, 0.9996, 500000, 0\r\n"
    "--- UTM ---\r\n"
    "\"UTM zone 1\", 8, 104, \"m\", -177, 0, 0.9996, 500000, 0\r\n";

TEST_F(ProjectionWindowTest, AFirstLineHeaderIsChosenWithItsFirstProjection) {
    ProjectionWindow& w = Open(kUtmList);
    EXPECT_THAT(w.GroupNames(), ElementsAre("Longitude / Latitude", "UTM (WGS 84)", "UTM"));
    EXPECT_EQ(w.GroupIndex(), 0);
    EXPECT_THAT(w.ProjectionNames(), ElementsAre("Longitude / Latitude (WGS 84)"));
    EXPECT_EQ(w.ProjectionText(), "Longitude / Latitude (WGS 84)");
    w.Confirm();
    EXPECT_TRUE(w.IsClosed());
    EXPECT_EQ(w.Result(), "CoordSys Earth Projection 1, 104");
    EXPECT_TRUE(user.messages.empty());
}

// A GeoTIFF made from a world file on a first run: "No coordinate system" is preselected, so
// that one Enter never stamps the list's first entry (WGS 84) on projected metres.
TEST_F(ProjectionWindowTest, NothingToPreselectOffersNoSystemFirst) {
    question.noSystemOffered = true;
    EXPECT_TRUE(Open(kUtmList).NoSystem());
    window->Confirm();
    EXPECT_EQ(window->Result(), "");
    question.rememberedProjection = "CoordSys Earth Projection 1, 104";
    EXPECT_FALSE(Open(kUtmList).NoSystem());
}

TEST_F(ProjectionWindowTest, APickedNameGivesTheLineItWasListedFrom) {
    ProjectionWindow& w = Open(kUtmList);
    w.SelectGroup(1);
    EXPECT_THAT(w.ProjectionNames(), ElementsAre("UTM zone 10", "UTM zone 1"));
    w.SelectProjection(1);
    w.Confirm();
    EXPECT_EQ(w.Result(), "CoordSys Earth Projection 8, 104, 7, -177, 0, 0.9996, 500000, 0");

    ProjectionWindow& other = Open(kUtmList);
    other.SelectGroup(2);
    other.Confirm();
    EXPECT_EQ(other.Result(),
              "CoordSys Earth Projection 8, 104, \"m\", -177, 0, 0.9996, 500000, 0");
}

TEST_F(ProjectionWindowTest, ATypedNameIsFoundWhateverItsCapitals) {
    ProjectionWindow& w = Open("x\r\n--- G ---\r\n\"Strefa ŁÓDŹ\", 8, 1000\r\n");
    EXPECT_EQ(w.GroupIndex(), -1);  // the header is not the first line
    w.SetProjectionText("strefa łódź");
    EXPECT_EQ(w.ProjectionIndex(), -1);
    w.Confirm();
    EXPECT_EQ(w.Result(), "CoordSys Earth Projection 8, 1000");

    ProjectionWindow& unknown = Open(kUtmList);
    unknown.SetProjectionText("Mars");
    unknown.Confirm();
    EXPECT_EQ(unknown.Result(), std::nullopt);
}

TEST_F(ProjectionWindowTest, AWindowsCodePageListIsReadAsSuch) {
    // "Układ 1992" in Windows-1250: the name is listed in UTF-8 and found by its capitals.
    ProjectionWindow& w = Open(
        "--- Polska ---\r\n\"Uk\xB3"
        "ad 1992\", 8, 1000\r\n");
    EXPECT_THAT(w.ProjectionNames(), ElementsAre("Układ 1992"));
    w.SetProjectionText("UKŁAD 1992");
    w.Confirm();
    EXPECT_EQ(w.Result(), "CoordSys Earth Projection 8, 1000");
}

TEST_F(ProjectionWindowTest, AnEmptyLineEndsAGroup) {
    ProjectionWindow& w = Open(
        "--- Empty ---\r\n\r\n\"Lost\", 1, 104\r\n--- Cut ---\r\n"
        "\"Kept\", 1, 104\r\n\r\n\"Also lost\", 1, 104\r\n");
    EXPECT_THAT(w.ProjectionNames(), IsEmpty());
    EXPECT_EQ(w.ProjectionText(), "");
    w.SelectGroup(1);
    EXPECT_THAT(w.ProjectionNames(), ElementsAre("Kept"));
    w.SelectGroup(0);
    w.Confirm();
    EXPECT_EQ(w.Result(), std::nullopt);

    ProjectionWindow& last = Open("--- Last ---");
    EXPECT_THAT(last.GroupNames(), ElementsAre("Last"));
    EXPECT_THAT(last.ProjectionNames(), IsEmpty());
}

TEST_F(ProjectionWindowTest, NoBlankAfterTheCommaLosesTheFirstParameterCharacter) {
    ProjectionWindow& w = Open("--- G ---\r\n\"Tight\",12, 104\r\n");
    w.Confirm();
    EXPECT_EQ(w.Result(), "CoordSys Earth Projection 2, 104");
}

// MapInfo's EPSG mark after the name is never shown; "\p" without a code stays in the name.
TEST_F(ProjectionWindowTest, AnEntrysCodeIsNotPartOfItsName) {
    ProjectionWindow& w = Open("--- G ---\r\n\"CS92\\p2180\", 8, 104\r\n\"Odd\\p\", 1, 104\r\n");
    EXPECT_EQ(w.ProjectionNames(), (std::vector<std::string>{"CS92", "Odd\\p"}));
    w.SelectProjection(0);
    w.Confirm();
    EXPECT_EQ(w.Result(), "CoordSys Earth Projection 8, 104");
}

TEST_F(ProjectionWindowTest, LinesThatBreakTheFormatArePassedOver) {
    ProjectionWindow& w = Open(
        "--- G ---\r\n"
        "no quotes here\r\n"
        "\"one quote, 1, 104\r\n"
        "\"No comma\" 1, 104\r\n"
        "\"Nothing after\", \r\n"
        "\"\", 1, 104\r\n"
        "\"Good\", 1, 104\r\n"
        "--- single header\r\n"
        "\"After single\", 1, 104\r\n"
        "------\r\n");
    EXPECT_THAT(w.GroupNames(), ElementsAre("G", ""));
    EXPECT_THAT(w.ProjectionNames(), ElementsAre("Good"));
    w.SetProjectionText("No comma");
    w.Confirm();
    EXPECT_EQ(w.Result(), std::nullopt);
}

TEST_F(ProjectionWindowTest, CancelAndTheCloseBoxGiveError) {
    ProjectionWindow& w = Open(kUtmList);
    w.Cancel();
    EXPECT_TRUE(w.IsClosed());
    EXPECT_EQ(w.Result(), std::nullopt);
    w.Confirm();  // a closed window takes no more clicks
    EXPECT_EQ(w.Result(), std::nullopt);

    ProjectionWindow& closed = Open(kUtmList);
    closed.CloseBox();
    EXPECT_TRUE(closed.IsClosed());
    EXPECT_EQ(closed.Result(), std::nullopt);
}

TEST_F(ProjectionWindowTest, AMissingListIsReportedAndLeavesTheListsEmpty) {
    ProjectionChooser w({libraries, texts}, user, files, question, folder / "mapinfow.prj");
    w.Load();
    ASSERT_EQ(user.messages.size(), 1u);
    EXPECT_EQ(user.messages[0].text, "Unable to open file!\r\n" + folder / "mapinfow.prj");
    EXPECT_EQ(user.messages[0].icon, MessageIcon::Critical);
    EXPECT_THAT(w.GroupNames(), IsEmpty());
    w.Confirm();
    EXPECT_EQ(w.Result(), std::nullopt);
}

TEST_F(ProjectionWindowTest, PutsTheCaptionsOfTheInterfaceLanguage) {
    texts.SetLanguage("polski");
    ProjectionWindow& w = Open(kUtmList);
    EXPECT_EQ(w.Caption(), "Marlo - wybierz projekcję MapInfo");
    EXPECT_EQ(w.GroupCaption(), "Grupa:");
    EXPECT_EQ(w.ProjectionCaption(), "Projekcja:");
    EXPECT_EQ(w.OkCaption(), "OK");
    EXPECT_EQ(w.CancelCaption(), "Anuluj");
    texts.SetLanguage("english");
    EXPECT_EQ(Open(kUtmList).CancelCaption(), "Cancel");
}

TEST_F(ProjectionWindowTest, SearchKeepsNamesOrCodesThatMatchAndTheGroupsHoldingThem) {
    struct Case {
        std::string query;
        std::vector<std::string> groups;
        std::vector<std::string> shownProjections;
    };
    const Case cases[] = {
        {"2180", {"Poland"}, {"CS92"}},
        {" EPSG:218", {"Poland"}, {"CS92"}},
        {"cs2000", {"Poland"}, {"CS2000/15"}},
        // The group shown stays while it holds a match.
        {"wgs", {"World", "Poland"}, {"WGS-like grid"}},
        // A group's name lets all of its projections through.
        {"polan", {"Poland"}, {"CS92", "CS2000/15", "WGS-like grid"}},
        // The names users know the systems by, with or without the Polish marks.
        {"PUWG 1992", {"Poland"}, {"CS92"}},
        {"uklad 2000", {"Poland"}, {"CS2000/15"}},
        {"UKŁAD", {"Poland"}, {"CS92", "CS2000/15"}},
        {"9999", {}, {}},
        {"", {"World", "Poland", "Empty"}, {"WGS 84", "Plain name"}},
    };
    aliases = {{2180, {"PUWG 1992", "układ 1992"}}, {2176, {"układ 2000 strefa 5"}}};
    ProjectionWindow& w = Open(
        "--- World ---\r\n\"WGS 84\\p4326\", 1, 104\r\n\"Plain name\", 1, 33\r\n\r\n"
        "--- Poland ---\r\n\"CS92\\p2180\", 8, 104, \"m\", 19, 0, 0.9993, 500000, -5300000\r\n"
        "\"CS2000/15\\p2176\", 8, 104, \"m\", 15, 0, 0.999923, 5500000, 0\r\n"
        "\"WGS-like grid\", 1, 104\r\n\r\n--- Empty ---\r\n");
    for (const Case& c : cases) {
        w.SetSearchText(c.query);
        EXPECT_EQ(w.GroupNames(), c.groups) << c.query;
        EXPECT_EQ(w.ProjectionNames(), c.shownProjections) << c.query;
        // Nothing found: the window says so, and OK would give no choice.
        EXPECT_EQ(w.SearchFindsNothing(), c.groups.empty()) << c.query;
        EXPECT_EQ(w.CanConfirm(), !c.shownProjections.empty()) << c.query;
    }
    // A match picked from a search is the line it was listed from.
    w.SetSearchText("2176");
    w.Confirm();
    EXPECT_EQ(w.Result(), "CoordSys Earth Projection 8, 104, \"m\", 15, 0, 0.999923, 5500000, 0");
}

}  // namespace
}  // namespace marlo
