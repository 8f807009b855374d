#pragma once

#include <string>
#include <vector>

namespace marlo::test {

// The open-file dialog's answer in the dialog control's own two forms: one full path for one
// file; for several, the folder followed by each name, all separated by NUL characters.
struct FileSelection {
    std::string folder;  // without a trailing "/", except for "/" itself
    std::vector<std::string> names;
};

// The answer for files that all lie in one folder; "" for none.
std::string EncodeFileSelection(const std::vector<std::string>& fullPaths);
// The several-files form, whatever the number of names.
std::string EncodeFileSelection(const std::string& folder, const std::vector<std::string>& names);
// Either form taken apart; a bare name without a folder gives the folder "".
FileSelection DecodeFileSelection(const std::string& selection);

}  // namespace marlo::test
