#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/shared_library.h"

namespace marlo {

// A library the program binds by file name: loaded on the first call that needs it, each
// function looked up once and kept, unloaded with its owner.
class BoundLibrary {
public:
    explicit BoundLibrary(std::string fileName) : library_(std::move(fileName)) {}
    BoundLibrary(const BoundLibrary&) = delete;
    BoundLibrary& operator=(const BoundLibrary&) = delete;

    // Raises run-time error 53 when the library cannot be found and 453 when it has no such
    // function.
    void* Function(const std::string& name);
    // The same without raising: the function, or null and the error Function would raise.
    ReportedResult<void*> FindFunction(const std::string& name);

    // The state the library keeps for the program between calls (as PROJ keeps a context):
    // made by `create` on the first ask, given to `destroy` before the library is unloaded.
    template <class Context, class Create, class Destroy>
    Context* ContextOf(Create create, Destroy destroy) {
        if (!context_) {
            Context* made = create();
            context_ = std::shared_ptr<void>(
                made, [destroy](void* context) { destroy(static_cast<Context*>(context)); });
        }
        return static_cast<Context*>(context_.get());
    }

private:
    SharedLibrary library_;
    std::map<std::string, void*> functions_;
    // Last, so that it goes first: its library is still loaded when it is destroyed.
    std::shared_ptr<void> context_;
};

// The libraries bound so far, one for each file name, made on their first use. A look-up
// changes only what is kept, never what a caller sees: it is allowed on a const owner.
class BoundLibraries {
public:
    BoundLibrary& Library(const std::string& fileName) const;

private:
    mutable std::map<std::string, std::unique_ptr<BoundLibrary>> libraries_;
};

// A function of a bound library with the type its header declares; the library is looked up
// on each call's way in, so that a library that is missing fails the call, not its naming.
template <class Signature>
class BoundFunction;

template <class Result, class... Args>
class BoundFunction<Result(Args...)> {
public:
    BoundFunction(BoundLibrary& library, const char* name) : library_(library), name_(name) {}

    Result operator()(Args... args) const {
        return reinterpret_cast<Result (*)(Args...)>(library_.Function(name_))(args...);
    }
    // The error a call would raise for want of the library or the function; none when it can
    // be called.
    std::optional<RunTimeError> Unavailable() const { return library_.FindFunction(name_).error; }

private:
    BoundLibrary& library_;
    const char* name_;
};

}  // namespace marlo

// A library's function bound by name, with the type its header declares: the program never
// links these libraries, so only the declaration's type is taken, and a header that changes
// changes every call with it.
#define MARLO_BOUND(library, function) \
    ::marlo::BoundFunction<decltype(::function)>(library, #function)
