// The projection list shipped with the program is generated (tools/projections/) and committed;
// these checks keep its shape readable by the projection window without needing GDAL.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "projection/projection_list.h"
#include "support/temp_folder.h"

namespace marlo {
namespace {

constexpr char kShippedList[] = MARLO_DATA_SOURCE_DIR "/projections/mapinfow.prj";

struct Entry {
    std::string name;
    std::string parameters;
    int epsg = 0;
};

struct Group {
    std::string name;  // as the window lists it: the blanks beside the hyphens included
    std::vector<Entry> entries;
};

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

using Problems = std::vector<std::string>;

// Splits at CR LF; any other CR or LF, or a last line without its CR LF, is a problem.
std::vector<std::string> CrLfLines(const std::string& bytes, Problems& problems) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t end = bytes.find("\r\n", start);
        if (end == std::string::npos) {
            problems.push_back("no CR LF after " + bytes.substr(start, 80));
            break;
        }
        lines.push_back(bytes.substr(start, end - start));
        start = end + 2;
    }
    for (const std::string& line : lines) {
        if (line.find_first_of("\r\n") != std::string::npos) {
            problems.push_back("stray CR or LF in " + line);
        }
    }
    return lines;
}

// The header's name as the window takes it: between the first "---" and the next one.
std::string GroupName(const std::string& header, Problems& problems) {
    const std::size_t open = header.find("---");
    const std::size_t close = header.find("---", open + 3);
    if (close == std::string::npos) {
        problems.push_back("header without a closing \"---\": " + header);
    }
    return close == std::string::npos ? "" : header.substr(open + 3, close - open - 3);
}

// A projection line must read the same under the window's rules (name between the first two
// quotes, parameters from the third character after the first quote-comma) as it was written:
// '"' name '\p' EPSG code '", ' parameters. Every shipped entry carries its code.
Entry ProjectionEntry(const std::string& line, Problems& problems) {
    const std::size_t nameEnd = line.find('"', 1);
    const bool shaped = line.size() > 1 && line[0] == '"' && nameEnd != std::string::npos &&
                        nameEnd > 1 && line.compare(nameEnd, 3, "\", ") == 0 &&
                        line.find("\",") == nameEnd && line.size() > nameEnd + 3 &&
                        line[nameEnd + 3] != ' ';
    if (!shaped) {
        problems.push_back("not '\"name\", parameters': " + line);
        return {};
    }
    std::string name = line.substr(1, nameEnd - 1);
    const auto mark = name.rfind("\\p");
    if (mark == std::string::npos || mark + 2 == name.size() ||
        name.find_first_not_of("0123456789", mark + 2) != std::string::npos) {
        problems.push_back("no EPSG code after the name: " + line);
        return {};
    }
    return {name.substr(0, mark), line.substr(nameEnd + 3), std::stoi(name.substr(mark + 2))};
}

// Every line must belong to a group: a header, its projections, one empty line, the next header.
std::vector<Group> ReadGroups(const std::vector<std::string>& lines, Problems& problems) {
    std::vector<Group> groups;
    bool afterEmptyLine = true;
    for (const std::string& line : lines) {
        if (line.find("---") != std::string::npos) {
            if (!afterEmptyLine && !groups.empty()) {
                problems.push_back("no empty line before " + line);
            }
            groups.push_back({GroupName(line, problems), {}});
            afterEmptyLine = false;
        } else if (line.empty()) {
            if (afterEmptyLine) {
                problems.push_back("empty line after an empty line or at the start");
            }
            afterEmptyLine = true;
        } else if (afterEmptyLine) {
            problems.push_back("projection outside every group: " + line);
        } else {
            groups.back().entries.push_back(ProjectionEntry(line, problems));
        }
    }
    if (afterEmptyLine) {
        problems.push_back("the list ends in an empty line");
    }
    return groups;
}

class ShippedProjectionListTest : public ::testing::Test {
protected:
    void SetUp() override {
        bytes_ = test::ReadBytes(kShippedList);
        ASSERT_FALSE(bytes_.empty()) << "cannot read " << kShippedList;
        lines_ = CrLfLines(bytes_, problems_);
        groups_ = ReadGroups(lines_, problems_);
        for (const Group& group : groups_) {
            for (const Entry& entry : group.entries) {
                parameters_[group.name][entry.name] = entry.parameters;
                codes_[entry.name] = entry.epsg;
            }
        }
    }

    // The parameters of a projection in a group, or "" when the group does not list it.
    std::string ParametersOf(const std::string& group, const std::string& name) const {
        const auto found = parameters_.find(group);
        if (found == parameters_.end() || !found->second.contains(name)) {
            return "";
        }
        return found->second.at(name);
    }

    std::string bytes_;
    std::vector<std::string> lines_;
    std::vector<Group> groups_;
    Problems problems_;
    std::map<std::string, std::map<std::string, std::string>> parameters_;
    std::map<std::string, int> codes_;
};

TEST_F(ShippedProjectionListTest, EveryLineHasTheShapeTheWindowReads) {
    for (const char c : bytes_) {
        const auto byte = static_cast<unsigned char>(c);
        EXPECT_TRUE((byte >= 0x20 && byte < 0x7F) || c == '\r' || c == '\n')
            << "byte " << static_cast<int>(byte);
    }
    EXPECT_EQ(problems_, Problems{});
    ASSERT_FALSE(lines_.empty());
    // A header on line 1 opens the window with that group already picked.
    EXPECT_NE(lines_.front().find("---"), std::string::npos);
}

TEST_F(ShippedProjectionListTest, GroupsAreNonEmptyAndFoundByTheirOwnName) {
    ASSERT_FALSE(groups_.empty());
    for (const Group& group : groups_) {
        EXPECT_FALSE(group.entries.empty()) << group.name;
        std::set<std::string> names;
        for (const Entry& entry : group.entries) {
            EXPECT_TRUE(names.insert(Lower(entry.name)).second)
                << entry.name << " twice in" << group.name;
        }
        // A group name typed by hand finds the first header that contains it, so no other
        // header may contain it (letter case ignored, as in every search of the list).
        for (const Group& other : groups_) {
            if (&other != &group) {
                EXPECT_EQ(Lower(other.name).find(Lower(group.name)), std::string::npos)
                    << '"' << group.name << "\" inside \"" << other.name << '"';
            }
        }
    }
}

TEST_F(ShippedProjectionListTest, HoldsTheSystemsUsedInPolandAndEurope) {
    EXPECT_EQ(ParametersOf(" Longitude / Latitude ", "WGS 84"), "1, 104");
    EXPECT_EQ(ParametersOf(" Longitude / Latitude ", "ETRS89"), "1, 115");
    EXPECT_EQ(ParametersOf(" Poland ", "ETRF2000-PL / CS92"),
              "8, 104, \"m\", 19, 0, 0.9993, 500000, -5300000");
    for (const int meridian : {15, 18, 21, 24}) {
        const std::string zone = std::to_string(meridian / 3);
        EXPECT_EQ(
            ParametersOf(" Poland ", "ETRF2000-PL / CS2000/" + std::to_string(meridian)),
            "8, 104, \"m\", " + std::to_string(meridian) + ", 0, 0.999923, " + zone + "500000, 0");
    }
    EXPECT_EQ(ParametersOf(" Poland ", "ETRS89 / UTM zone 33N"),
              "8, 115, \"m\", 15, 0, 0.9996, 500000, 0");
    EXPECT_EQ(ParametersOf(" Poland ", "ETRS89 / UTM zone 34N"),
              "8, 115, \"m\", 21, 0, 0.9996, 500000, 0");
    EXPECT_EQ(ParametersOf(" Europe ", "ETRS89-extended / LCC Europe"),
              "3, 115, \"m\", 10, 52, 35, 65, 4000000, 2800000");
    EXPECT_EQ(ParametersOf(" Europe ", "WGS 84 / Pseudo-Mercator"), "10, 157, \"m\", 0");
    EXPECT_EQ(codes_.at("ETRF2000-PL / CS92"), 2180);
    EXPECT_EQ(codes_.at("WGS 84"), 4326);
    EXPECT_EQ(codes_.at("WGS 84 / UTM zone 34N"), 32634);
}

// A table's clause finds its system however it spells the same numbers: to six decimals.
TEST_F(ShippedProjectionListTest, FindsAClauseByItsNumbersToSixDecimals) {
    const struct {
        const char* parameters;
        int epsg;  // 0: none
    } cases[] = {
        {"8, 104, \"m\", 19, 0, 0.9993, 500000, -5300000", 2180},
        {"8,104,\"M\",19.0,0,0.99930,5e5,-5300000.0000004", 2180},
        {"8, 104, \"m\", 19, 0, 0.999301, 500000, -5300000", 0},
        {"1, 104", 4326},
    };
    for (const auto& [parameters, epsg] : cases) {
        const auto entry =
            EntryForClause(lines_, std::string("CoordSys Earth Projection ") + parameters);
        EXPECT_EQ(entry ? entry->epsg : 0, epsg) << parameters;
        if (entry) {
            EXPECT_EQ(SystemOf(*entry).geographic, epsg == 4326) << parameters;
        }
    }
}

TEST_F(ShippedProjectionListTest, ListsEveryWgs84UtmZoneWithItsMeridian) {
    for (const auto& [hemisphere, falseNorthing] :
         {std::pair{'N', "0"}, std::pair{'S', "10000000"}}) {
        const std::string group = hemisphere == 'N' ? " UTM WGS 84 North " : " UTM WGS 84 South ";
        ASSERT_TRUE(parameters_.contains(group)) << group;
        EXPECT_EQ(parameters_.at(group).size(), 60u) << group;
        for (int zone = 1; zone <= 60; ++zone) {
            const std::string name =
                "WGS 84 / UTM zone " + std::to_string(zone) + std::string(1, hemisphere);
            EXPECT_EQ(ParametersOf(group, name), "8, 104, \"m\", " +
                                                     std::to_string(6 * zone - 183) +
                                                     ", 0, 0.9996, 500000, " + falseNorthing)
                << name;
        }
    }
}

// Every other name shipped belongs to a system the shipped list holds.
TEST_F(ShippedProjectionListTest, EveryAliasNamesAListedSystem) {
    const ProjectionAliases aliases =
        ReadProjectionAliases(FileSystemService(), MARLO_DATA_SOURCE_DIR "/projections");
    ASSERT_GE(aliases.size(), 5u);
    EXPECT_EQ(aliases.at(2180).front(), "PUWG 1992");
    for (const auto& [code, names] : aliases) {
        EXPECT_TRUE(EntryForCode(lines_, code).has_value()) << code;
        EXPECT_FALSE(names.empty()) << code;
    }
}

}  // namespace
}  // namespace marlo
