#pragma once

#include "platform/file_api.h"

namespace marlo::test {

// Where outputs meet the system: creating a file (with or without a name), writing into it,
// renaming or linking it into place; and making a file without a name, which some file
// systems (NFS, SMB, FUSE) cannot.
enum class IoOperation { Create, Write, Rename, AnonymousFile };

// A failure the system could cause: the n-th call of the operation fails with `error`.
struct IoFault {
    IoOperation operation = IoOperation::Write;
    int nth = 1;
    int error = 0;
};

// The system's file calls, except the one the fault names, which fails as a full disk or a
// folder that became read-only would make it.
class FailingFileApi : public FileApi {
public:
    explicit FailingFileApi(IoFault fault) : fault_(fault) {}

    int OpenAnonymous(const std::string& folder) override;
    int CreateExclusive(const std::string& path) override;
    ssize_t Write(int descriptor, const char* bytes, std::size_t size) override;
    int Link(const std::string& from, const std::string& to) override;
    int Rename(const std::string& from, const std::string& to) override;
    int RenameNoReplace(const std::string& from, const std::string& to) override;
    bool CopyContents(int in, int out, off_t size) override;

private:
    // Counts the call; true, with errno set, when it is the one to fail.
    bool Due(IoOperation operation);

    IoFault fault_;
    int calls_ = 0;
};

}  // namespace marlo::test
