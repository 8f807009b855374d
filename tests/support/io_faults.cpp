#include "support/io_faults.h"

#include <cerrno>

namespace marlo::test {

bool FailingFileApi::Due(IoOperation operation) {
    if (fault_.operation != operation || ++calls_ != fault_.nth) {
        return false;
    }
    errno = fault_.error;
    return true;
}

int FailingFileApi::OpenAnonymous(const std::string& folder) {
    // Either fault stops a file without a name: it is the first thing an output creates.
    if (Due(IoOperation::AnonymousFile) || Due(IoOperation::Create)) {
        return -1;
    }
    return FileApi::OpenAnonymous(folder);
}

int FailingFileApi::CreateExclusive(const std::string& path) {
    return Due(IoOperation::Create) ? -1 : FileApi::CreateExclusive(path);
}

ssize_t FailingFileApi::Write(int descriptor, const char* bytes, std::size_t size) {
    return Due(IoOperation::Write) ? -1 : FileApi::Write(descriptor, bytes, size);
}

int FailingFileApi::Link(const std::string& from, const std::string& to) {
    return Due(IoOperation::Rename) ? -1 : FileApi::Link(from, to);
}

int FailingFileApi::Rename(const std::string& from, const std::string& to) {
    return Due(IoOperation::Rename) ? -1 : FileApi::Rename(from, to);
}

int FailingFileApi::RenameNoReplace(const std::string& from, const std::string& to) {
    return Due(IoOperation::Rename) ? -1 : FileApi::RenameNoReplace(from, to);
}

bool FailingFileApi::CopyContents(int in, int out, off_t size) {
    return !Due(IoOperation::Write) && FileApi::CopyContents(in, out, size);
}

}  // namespace marlo::test
