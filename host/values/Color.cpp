#include <values/Color.h>

namespace MavColor {

bool operator==(const std::shared_ptr<const ICCProfile>& a,
                const std::shared_ptr<const ICCProfile>& b) {
  if (a.get() == b.get()) return true;
  if (!a || !b) return false;
  return *a == *b;
}

bool operator==(const FourComponent& a, const FourComponent& b) {
  if (!(a.profile == b.profile) || a.kind != b.kind) return false;
  return a.kind != FourComponent::kOverprintKind || a.overprintValue == b.overprintValue;
}

int ProcessComponentCount(const ColorSpace& space) {
  switch (space.index()) {
    case 0:
      return 0;
    case 1:
    case 2:
    case 3:
    case 4:
      return 1;
    case 5:
    case 6:
    case 7:
    case 8:
    case 9:
      return 3;
    default:
      return 4;
  }
}

Color MakeSeparationColor(std::initializer_list<std::pair<std::string, Component>> entries) {
  Color color;
  for (const auto& [name, value] : entries) color[name].value = value;
  return color;
}

Color MakeCMYKColor(Component c, Component m, Component y, Component k) {
  Color color{FourComponent{}};
  const Component values[4] = {c, m, y, k};
  for (int i = 0; i < 4; ++i) color.Append({ProcessInkNames()[i], values[i]});
  return color;
}

Color MakeGrayColor(Component gray) {
  Color color{DeviceGray{}};
  color.Append({"Gray", gray});
  return color;
}

}  // namespace MavColor
