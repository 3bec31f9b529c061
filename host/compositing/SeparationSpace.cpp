#include <compositing/SeparationSpace.h>

#include <array>
#include <stdexcept>
#include <utility>

namespace Composite {

namespace {

std::array<std::pair<const char*, int>, 4> Roles(const ProcessInks& process) {
  return {{{"cyan", process.cyan},
           {"magenta", process.magenta},
           {"yellow", process.yellow},
           {"black", process.black}}};
}

void CheckRoles(const std::vector<std::string>& names, const ProcessInks& process) {
  const auto roles = Roles(process);
  const int size = static_cast<int>(names.size());
  for (std::size_t i = 0; i < roles.size(); ++i) {
    const auto& [role, index] = roles[i];
    if (index < -1 || index >= size) {
      throw std::invalid_argument(std::string("Composite: the ") + role + " index " +
                                  std::to_string(index) + " is outside the " +
                                  std::to_string(size) + " separations");
    }
    for (std::size_t j = 0; j < i; ++j) {
      if (index >= 0 && roles[j].second == index) {
        throw std::invalid_argument(std::string("Composite: separation ") + std::to_string(index) +
                                    " cannot be both " + roles[j].first + " and " + role);
      }
    }
  }
}

}  // namespace

SeparationSpace::SeparationSpace(std::vector<std::string> names, ProcessInks process)
    : names_(std::move(names)), process_(process) {
  CheckRoles(names_, process_);
}

SeparationSpace SeparationSpace::FromNames(std::vector<std::string> names) {
  ProcessInks process;
  for (int i = static_cast<int>(names.size()) - 1; i >= 0; --i) {
    const std::string& name = names[static_cast<std::size_t>(i)];
    if (name == "Cyan") process.cyan = i;
    if (name == "Magenta") process.magenta = i;
    if (name == "Yellow") process.yellow = i;
    if (name == "Black") process.black = i;
  }
  return SeparationSpace(std::move(names), process);
}

SeparationSpace SeparationSpace::DeviceCmyk() {
  return SeparationSpace({"Cyan", "Magenta", "Yellow", "Black"}, {0, 1, 2, 3});
}

SeparationSpace SeparationSpace::DeviceGray() { return SeparationSpace({"Gray"}, {-1, -1, -1, 0}); }

SeparationSpace SeparationSpace::DeviceRgb() {
  return SeparationSpace({"Red", "Green", "Blue"}, {0, 1, 2, -1});
}

bool SeparationSpace::IsSpot(std::size_t index) const {
  const int i = static_cast<int>(index);
  return i != process_.cyan && i != process_.magenta && i != process_.yellow && i != process_.black;
}

bool SeparationSpace::HasOnlyProcessInks() const {
  for (std::size_t i = 0; i < names_.size(); ++i) {
    if (IsSpot(i)) return false;
  }
  return true;
}

}  // namespace Composite
