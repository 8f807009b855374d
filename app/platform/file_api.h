#pragma once

#include <sys/types.h>

#include <string>

namespace marlo {

// The system calls through which outputs reach the disk, each with the system's answer: -1 (or
// false) with errno set on failure. The file-system service holds one and every output goes
// through it, so that a program can put another in its place (one that fails a chosen call as
// a full disk or a read-only folder would) without the outputs knowing.
class FileApi {
public:
    virtual ~FileApi() = default;

    // A file without a name in the folder (O_TMPFILE); -1 where the file system has none.
    virtual int OpenAnonymous(const std::string& folder);
    // A new file by name, never an existing one (O_EXCL).
    virtual int CreateExclusive(const std::string& path);
    virtual ssize_t Write(int descriptor, const char* bytes, std::size_t size);
    // Gives the file at `from` (a /proc/self/fd link included) the name `to`; never replaces.
    virtual int Link(const std::string& from, const std::string& to);
    virtual int Rename(const std::string& from, const std::string& to);
    // Renames unless something is at `to` (renameat2 with RENAME_NOREPLACE).
    virtual int RenameNoReplace(const std::string& from, const std::string& to);
    // Copies `size` bytes of `in` into the empty `out`; see CopyImageInto.
    virtual bool CopyContents(int in, int out, off_t size);
};

}  // namespace marlo
