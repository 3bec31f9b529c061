#pragma once
// Halftone sets: screening of an object's inks. Compared by identity.

#include <string>

namespace MavDoc {

class HalftoneSet {
 public:
  explicit HalftoneSet(std::string name, double frequency = 150, double angle = 45)
      : name_(std::move(name)), frequency_(frequency), angle_(angle) {}
  const std::string& GetName() const { return name_; }
  double GetFrequency() const { return frequency_; }
  double GetAngle() const { return angle_; }

 private:
  std::string name_;
  double frequency_;
  double angle_;
};

}  // namespace MavDoc
