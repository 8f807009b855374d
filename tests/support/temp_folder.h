#pragma once

#include <map>
#include <string>

namespace marlo::test {

// A fresh folder under the system's temporary folder, removed with everything in it when the
// object goes. Folder names hold no "." so that name-derived paths stay inside it.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return path_; }
    // Full path of a name inside the folder.
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

    // Creates a subfolder (and its parents) and returns its full path.
    std::string MakeFolder(const std::string& name) const;
    // Writes bytes exactly as given and returns the file's full path.
    std::string Write(const std::string& name, const std::string& bytes) const;

private:
    std::string path_;
};

std::string ReadBytes(const std::string& path);
// Every regular file below a folder, by its path relative to it, with its bytes.
std::map<std::string, std::string> TreeBytes(const std::string& folder);
void MakeReadOnly(const std::string& path);

}  // namespace marlo::test
