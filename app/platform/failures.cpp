#include "platform/failures.h"

#include <cmath>

namespace marlo {

double CheckedResult(double value) {
    if (!std::isfinite(value)) {
        throw RunTimeError(err::Overflow, "Overflow");
    }
    return value;
}

}  // namespace marlo
