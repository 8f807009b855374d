#include "state/georeference.h"

namespace marlo {

bool IsRectified(const Georeference& georeference) {
    return georeference.rotationY == 0 && georeference.rotationX == 0;
}

}  // namespace marlo
