#pragma once

#include <optional>

namespace marlo {

// Where outputs meet the system: creating a file, writing into it, renaming it into place.
enum class IoOperation { Create, Write, Rename };

// A failure the system could cause at any of those steps (a full disk, a folder that became
// read-only): the n-th call of the operation from now on fails with `error`. A seam for the
// tests, which prove that no such failure loses or leaves a file; the program never sets one.
struct IoFault {
    IoOperation operation = IoOperation::Write;
    int nth = 1;
    int error = 0;
};
void InjectIoFault(std::optional<IoFault> fault);

// Asked before each operation: true, with errno set, when this call is to fail.
bool IoFaultDue(IoOperation operation);

}  // namespace marlo
