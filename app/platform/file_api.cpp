#include "platform/file_api.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include "platform/image_copy.h"

namespace marlo {

namespace {

const char* FolderOrCurrent(const std::string& folder) {
    return folder.empty() ? "." : folder.c_str();
}

}  // namespace

int FileApi::OpenAnonymous(const std::string& folder) {
    return ::open(FolderOrCurrent(folder), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
}

int FileApi::CreateExclusive(const std::string& path) {
    return ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}

ssize_t FileApi::Write(int descriptor, const char* bytes, std::size_t size) {
    return ::write(descriptor, bytes, size);
}

int FileApi::Link(const std::string& from, const std::string& to) {
    return ::linkat(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), AT_SYMLINK_FOLLOW);
}

int FileApi::Rename(const std::string& from, const std::string& to) {
    return ::rename(from.c_str(), to.c_str());
}

int FileApi::RenameNoReplace(const std::string& from, const std::string& to) {
    return ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE);
}

bool FileApi::CopyContents(int in, int out, off_t size) {
    return CopyFileContents(in, out, size);
}

}  // namespace marlo
