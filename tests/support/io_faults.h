#pragma once

#include <optional>

#include "platform/io_faults.h"

namespace marlo::test {

// A failure the system could cause: the n-th call of the operation from now on fails with
// `error`. Linking this file replaces the program's IoFaultDue, which never fails.
struct IoFault {
    IoOperation operation = IoOperation::Write;
    int nth = 1;
    int error = 0;
};
void InjectIoFault(std::optional<IoFault> fault);

}  // namespace marlo::test
