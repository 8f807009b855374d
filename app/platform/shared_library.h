#pragma once

#include <string>

#include "platform/failures.h"

namespace marlo {

// A shared library loaded by file name at run time. It is looked for beside the program,
// in the program's ../lib/marlo and ../lib folders, and then through the program's run path.
class SharedLibrary {
public:
    explicit SharedLibrary(std::string fileName) : fileName_(std::move(fileName)) {}
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;
    ~SharedLibrary();

    // Loads the library on first use: the function, or null and run-time error 53 when the
    // library cannot be found, 453 when it has no such function.
    ReportedResult<void*> FindSymbol(const std::string& name);

private:
    bool Load();

    std::string fileName_;
    void* handle_ = nullptr;
};

// The file SharedLibrary loads first for the file name, found without loading it: a path
// beside the program, or the bare name when the run path and the loader's search are left.
std::string LibraryFileToLoad(const std::string& fileName);

}  // namespace marlo
