#include <vexl/ContourEngine.h>
// The own header stays first, apart from the others, which clang-format sorts.
#include <vexl/Compound.h>

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace Vexl {

// The subpaths received so far. `open` says whether the last subpath still takes segments;
// `lastStart` is where a segment without a MoveTo begins (the previous contour's start).
struct CompoundEngine::State {
  std::vector<Subpath> subpaths;
  bool open = false;
  bool hasStart = false;
  Point lastStart;

  Subpath& Current(const char* operation) {
    if (!open) {
      if (!hasStart) {
        throw std::logic_error(std::string("CompoundEngine: ") + operation +
                               " without a current point (no MoveTo yet)");
      }
      subpaths.emplace_back(lastStart);
      open = true;
    }
    return subpaths.back();
  }
};

CompoundEngine::CompoundEngine() : state_(std::make_unique<State>()) {}

CompoundEngine::~CompoundEngine() = default;

void CompoundEngine::MoveTo(Point p) {
  state_->subpaths.emplace_back(p);
  state_->open = true;
  state_->hasStart = true;
  state_->lastStart = p;
}

void CompoundEngine::LineTo(Point p) { state_->Current("LineTo").LineTo(p); }

void CompoundEngine::CubicTo(Point c1, Point c2, Point end) {
  state_->Current("CubicTo").CubicTo(c1, c2, end);
}

void CompoundEngine::Close() {
  // Closing twice, or with nothing open, has nothing left to close.
  if (!state_->open) return;
  state_->subpaths.back().SetClosed(true);
  state_->open = false;
}

std::shared_ptr<const Compound> CompoundEngine::GetResult() {
  auto result = std::make_shared<const Compound>(std::move(state_->subpaths));
  *state_ = State();
  return result;
}

void FeedCompound(const Compound& compound, ADT::TContourEngine& engine) {
  for (const Subpath& subpath : compound.GetSubpaths()) {
    engine.MoveTo(subpath.GetStart());
    for (const Segment& segment : subpath.GetSegments()) {
      if (segment.IsCubic()) {
        engine.CubicTo(segment.control1, segment.control2, segment.end);
      } else {
        engine.LineTo(segment.end);
      }
    }
    if (subpath.IsClosed()) engine.Close();
  }
}

}  // namespace Vexl
