#pragma once
// The colour-conversion context of a walk through a fill's groups.

#include <memory>
#include <vector>

#include <mavdoc/Content.h>
#include <values/Color.h>

namespace MavColor {

// Tracks the blending colour space of nested groups and the profile that colours are
// converted through. A group without a colour space of its own blends in its parent's space.
// Without colour management the target profile is the ICC profile of the current blending
// space, or null.
class CContext {
 public:
  explicit CContext(const MavDoc::Document* document);

  void Visit(const MavDoc::Content& content);
  void EndVisit(const MavDoc::Content& content);
  void Push(const GroupColorSpace& space, bool isolated);
  // Throws std::logic_error when nothing was pushed.
  void Pop(bool isolated);

  const GroupColorSpace& GetCurrentBlendingColorSpace() const { return spaces_.back(); }
  std::shared_ptr<const ICCProfile> GetCurrentTargetProfile() const;
  const MavDoc::Document* GetDocument() const { return document_; }

 private:
  const MavDoc::Document* document_;
  std::vector<const MavDoc::Content*> contents_;
  std::vector<GroupColorSpace> spaces_;
};

// Whether two blending spaces differ: different kinds, calibrated parameters that differ, or
// ICC profiles that are not equal. Device spaces of one kind never differ.
bool BlendingSpacesDiffer(const GroupColorSpace& a, const GroupColorSpace& b);

}  // namespace MavColor
