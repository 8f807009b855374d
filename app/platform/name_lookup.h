#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace marlo {

// The parts of a path between its slashes, in order, empty ones included ("/a//b" gives "",
// "a", "", "b").
std::vector<std::string> SplitPathComponents(const std::string& path);

// A name as Windows compares it: trailing blanks and dots dropped, letters (ASCII and the
// Latin letters of Windows-1250) in lower case. Bytes that are not UTF-8 are kept as they are.
std::u32string ComparableName(std::string_view name);

// Finds an input the way Windows would for a path that does not exist as spelled: component by
// component, letters compared without regard to case and trailing blanks and dots ignored. A
// component that exists as spelled is taken as it is; otherwise exactly one entry of its folder
// must match, or nothing is found. Each folder is listed once for the object's lifetime, so a
// run that looks up many names in one folder reads it once.
class NameLookup {
public:
    // The spelling on disk, or nothing.
    std::optional<std::string> Find(const std::string& path);

private:
    const std::vector<std::string>& Listing(const std::string& folder);

    std::map<std::string, std::vector<std::string>> listings_;
};

}  // namespace marlo
