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
  return std::visit(
      [](const auto& s) {
        using T = std::decay_t<decltype(s)>;
        if constexpr (std::is_same_v<T, std::monostate>) return 0;
        if constexpr (std::is_same_v<T, AllSeparations> || std::is_same_v<T, DeviceGray> ||
                      std::is_same_v<T, CalGray> || std::is_same_v<T, ICCGray>)
          return 1;
        if constexpr (std::is_same_v<T, DeviceRGB> || std::is_same_v<T, CalRGB> ||
                      std::is_same_v<T, ICCRGB> || std::is_same_v<T, Lab> ||
                      std::is_same_v<T, ICCThreeComponent>)
          return 3;
        if constexpr (std::is_same_v<T, FourComponent>) return 4;
      },
      space);
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
