#pragma once

#include <stdexcept>
#include <string>

namespace vornic {

// The one error type of the window services: names the operation that failed
// and the system's own error.
class WindowSystemError : public std::runtime_error {
 public:
  WindowSystemError(const std::string& operation, const std::string& systemError)
      : std::runtime_error(operation + " failed: " + systemError), operation_(operation) {}

  [[nodiscard]] const std::string& Operation() const { return operation_; }

 private:
  std::string operation_;
};

}  // namespace vornic
