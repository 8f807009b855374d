#pragma once

namespace marlo {

// Where outputs meet the system: creating a file, writing into it, renaming it into place; and
// making a file without a name, which some file systems (NFS, SMB, FUSE) cannot.
enum class IoOperation { Create, Write, Rename, AnonymousFile };

// Asked before each operation: true, with errno set, when this call is to fail as a full disk
// or a folder that became read-only would make it. The program's own answer is always false;
// the tests link one that fails the call they choose, to prove that no such failure loses or
// leaves a file.
bool IoFaultDue(IoOperation operation);

}  // namespace marlo
