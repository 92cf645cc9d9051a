// The engine's failure: which file, and why. The text is shown to users as it stands.
#pragma once

#include <stdexcept>
#include <string>

namespace velt::engine {

class EngineError : public std::runtime_error {
 public:
  EngineError(std::string file, std::string cause)
      : std::runtime_error(file + ": " + cause), file_(std::move(file)), cause_(std::move(cause)) {}
  const std::string& File() const { return file_; }
  const std::string& Cause() const { return cause_; }

 private:
  std::string file_, cause_;
};

}  // namespace velt::engine
