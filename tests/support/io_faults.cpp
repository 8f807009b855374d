#include "support/io_faults.h"

#include <cerrno>

namespace marlo {

namespace {

std::optional<test::IoFault> planned;
int calls = 0;

}  // namespace

void test::InjectIoFault(std::optional<IoFault> fault) {
    planned = fault;
    calls = 0;
}

bool IoFaultDue(IoOperation operation) {
    if (!planned || planned->operation != operation || ++calls != planned->nth) {
        return false;
    }
    errno = planned->error;
    return true;
}

}  // namespace marlo
