#include <sampling/ColorContext.h>

#include <stdexcept>

namespace MavColor {

CContext::CContext(const MavDoc::Document* document) : document_(document), spaces_{{}} {}

void CContext::Visit(const MavDoc::Content& content) { contents_.push_back(&content); }

void CContext::EndVisit(const MavDoc::Content&) {
  if (!contents_.empty()) contents_.pop_back();
}

void CContext::Push(const GroupColorSpace& space, bool) {
  spaces_.push_back(std::holds_alternative<std::monostate>(space) ? spaces_.back() : space);
}

void CContext::Pop(bool) {
  if (spaces_.size() <= 1) throw std::logic_error("Colour context popped more than pushed");
  spaces_.pop_back();
}

std::shared_ptr<const ICCProfile> CContext::GetCurrentTargetProfile() const {
  return std::visit(
      [](const auto& space) -> std::shared_ptr<const ICCProfile> {
        if constexpr (requires { space.profile; }) {
          return space.profile;
        } else {
          return nullptr;
        }
      },
      spaces_.back());
}

bool BlendingSpacesDiffer(const GroupColorSpace& a, const GroupColorSpace& b) { return !(a == b); }

}  // namespace MavColor
