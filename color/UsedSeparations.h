#pragma once
// The separations a fill's artwork can put ink into, after conversion and blending.

#include <optional>
#include <string>

#include <sampling/ColorContext.h>
#include <tessel/Fill.h>
#include <values/Color.h>
#include <values/Paint.h>
#include <values/Picture.h>

namespace Corvel {

// Walks a fill's component tree and collects every separation it may ink: the inks of its
// paints and pictures, and the process inks wherever a blend mode that is not white-preserving
// or a change of blending space mixes colours across inks. With `separation` set, only that
// one name may be collected.
class UsedSeparationCollector {
 public:
  UsedSeparationCollector(const MavDoc::Content& content, const std::optional<std::string>& separation);

  void Visit(const Tessel::TFill::TGraphicsComponent& component);
  void AddSeparation(const std::string& name);
  void AddOutputSeparations();
  const MavColor::ColorList<MavColor::ColorSpacePolicy>& GetUsed() const { return used_; }

 private:
  void VisitGroup(const Tessel::TFill::TGroup& group);
  void VisitElement(const Tessel::TFill::TElement& element);
  void AddProcess();
  void AddPicture(const MavImg::PaintedPicture& picture);
  void AddPaint(const MavPaint::Paint& paint);

  const MavDoc::Content* content_;
  std::optional<std::string> separation_;
  MavColor::ColorList<MavColor::ColorSpacePolicy> used_;
  const MavDoc::Document* document_;
  MavColor::CContext context_;
};

}  // namespace Corvel
