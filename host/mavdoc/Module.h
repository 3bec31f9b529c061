#pragma once
// The base of modules that a host application loads.

#include <string>

namespace MavDoc {

class Module {
 public:
  virtual ~Module() = default;
  virtual std::string GetName() const = 0;
};

}  // namespace MavDoc
