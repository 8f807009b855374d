#include "platform/failures.h"

#include <cerrno>
#include <cmath>

namespace marlo {

double CheckedResult(double value) {
    if (!std::isfinite(value)) {
        throw RunTimeError(err::Overflow, "Overflow");
    }
    return value;
}

RunTimeError FileError(int error, const std::string& path) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return {err::FileNotFound, "File not found: " + path};
        case EACCES:
        case EPERM:
        case EROFS:
            return {err::PermissionDenied, "Permission denied: " + path};
        default:
            return {err::PathFileAccessError, "Path/File access error: " + path};
    }
}

}  // namespace marlo
