#include "platform/io_faults.h"

namespace marlo {

// Weak, so that a test program's own definition takes its place.
__attribute__((weak)) bool IoFaultDue(IoOperation) {
    return false;
}

}  // namespace marlo
