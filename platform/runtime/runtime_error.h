// A runtime error ends the event handler it occurs in (and the descendant handler that
// called its ancestor's); the runtime catches it at the event boundary and reports it.
#pragma once

#include <stdexcept>
#include <string>

namespace runtime {

class RuntimeError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Raised when a script reaches for an object that does not exist.
class NullObjectError : public RuntimeError {
  public:
    explicit NullObjectError(const std::string& name) : RuntimeError("引用了空对象：" + name) {}
};

// A mistake of a test or script driving the runtime (an answer that does not fit the
// prompt). It is not the screens' error: event boundaries let it pass to the driver.
class ScriptError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

}  // namespace runtime
