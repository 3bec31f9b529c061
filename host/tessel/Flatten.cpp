#include <tessel/FarGeometryInternal.h>
#include <tessel/FlattenInternal.h>

#include <algorithm>
#include <cmath>
#include <sstream>
#include <stdexcept>

namespace TesselFixed::Internal {

namespace {

using Kind = Tessel::Input::TObject::Kind;

// Below half a grid unit a finer tolerance only produces chords that collapse when snapped.
constexpr double kMinTolerance = 0.5 / kUnitsPerMillipoint;
// Caps the chords of one cubic; with coordinates inside the fixed range and the tolerance floor
// above, Wang's bound never gets near it, so it only guards against memory blow-up.
constexpr double kMaxChordsPerCubic = 1 << 16;
// Wang's bound for a cubic: n(n-1)/8 with n = 3.
constexpr double kWangFactor = 0.75;

class Flattener {
 public:
  Flattener(const Tessel::Input& input, double tolerance) : input_(input), tolerance_(tolerance) {}
  FlatInput Run();

 private:
  std::uint32_t AddShape(const Tessel::Outline& outline, const std::string& owner);
  void CheckPoint(Vexl::Point p, const std::string& owner) const;
  bool InRange(const Vexl::Subpath& subpath, const std::string& owner) const;
  Vexl::Rectangle FoldingBox() const;
  void AddSubpath(const Vexl::Subpath& subpath, std::uint32_t shape);
  void AddLine(FixedPoint a, FixedPoint b, std::uint32_t shape);
  void AddCubic(Vexl::Point p0, const Vexl::Segment& cubic, std::uint32_t shape);
  bool OutsideBounds(const Vexl::Subpath& subpath) const;

  const Tessel::Input& input_;
  double tolerance_;
  FlatInput out_;
};

void Flattener::CheckPoint(Vexl::Point p, const std::string& owner) const {
  if (std::isfinite(p.x) && std::isfinite(p.y) && std::fabs(p.x) <= kMaxMillipoints &&
      std::fabs(p.y) <= kMaxMillipoints) {
    return;
  }
  std::ostringstream message;
  message << "Tessel: " << owner << ": coordinate (" << p.x << ", " << p.y
          << ") is not finite or lies beyond ±" << kMaxMillipoints << " millipoints";
  throw std::invalid_argument(message.str());
}

bool Flattener::OutsideBounds(const Vexl::Subpath& subpath) const {
  // A closed path whose control hull misses the bounds has winding 0 everywhere inside them.
  const auto& bounds = input_.GetBounds();
  if (!bounds) return false;
  double minX = subpath.GetStart().x, maxX = minX, minY = subpath.GetStart().y, maxY = minY;
  const auto extend = [&](Vexl::Point p) {
    minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
    minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
  };
  for (const Vexl::Segment& s : subpath.GetSegments()) {
    if (s.IsCubic()) extend(s.control1), extend(s.control2);
    extend(s.end);
  }
  return maxX < bounds->Left() || minX > bounds->Right() || maxY < bounds->Bottom() || minY > bounds->Top();
}

// Whether every point of the subpath lies within the fixed range; throws for one that is not
// finite.
bool Flattener::InRange(const Vexl::Subpath& subpath, const std::string& owner) const {
  bool inRange = true;
  const auto check = [&](Vexl::Point p) {
    if (!std::isfinite(p.x) || !std::isfinite(p.y)) CheckPoint(p, owner);
    inRange = inRange && std::fabs(p.x) <= kMaxMillipoints && std::fabs(p.y) <= kMaxMillipoints;
  };
  check(subpath.GetStart());
  for (const Vexl::Segment& s : subpath.GetSegments()) {
    check(s.end);
    if (s.IsCubic()) check(s.control1), check(s.control2);
  }
  return inRange;
}

// The box far-off geometry is folded into: the bounds with room to spare, or half the range.
Vexl::Rectangle Flattener::FoldingBox() const {
  constexpr double kLimit = kMaxMillipoints / 2;
  Vexl::Rectangle box{-kLimit, -kLimit, 2 * kLimit, 2 * kLimit, false};
  if (const auto& bounds = input_.GetBounds()) {
    const double left = std::max(-kLimit, bounds->Left() - bounds->width / 8 - 1000);
    const double bottom = std::max(-kLimit, bounds->Bottom() - bounds->height / 8 - 1000);
    const double right = std::min(kLimit, bounds->Right() + bounds->width / 8 + 1000);
    const double top = std::min(kLimit, bounds->Top() + bounds->height / 8 + 1000);
    box = {left, bottom, right - left, top - bottom, false};
  }
  return box;
}

std::uint32_t Flattener::AddShape(const Tessel::Outline& outline, const std::string& owner) {
  const auto shape = static_cast<std::uint32_t>(out_.shapeRules.size());
  out_.shapeRules.push_back(outline.rule);
  out_.elementOfShape.push_back(kNone);
  for (const Vexl::Subpath& subpath : outline.compound->GetSubpaths()) {
    if (InRange(subpath, owner)) {
      if (!OutsideBounds(subpath)) AddSubpath(subpath, shape);
      continue;
    }
    const auto polygon = ClipToBox(subpath, FoldingBox(), tolerance_, static_cast<int>(kMaxChordsPerCubic));
    if (polygon.empty()) continue;
    Vexl::Subpath folded(polygon.front(), true);
    folded.Reserve(polygon.size());
    for (std::size_t i = 1; i < polygon.size(); ++i) folded.LineTo(polygon[i]);
    AddSubpath(folded, shape);
  }
  return shape;
}

void Flattener::AddSubpath(const Vexl::Subpath& subpath, std::uint32_t shape) {
  Vexl::Point current = subpath.GetStart();
  for (const Vexl::Segment& s : subpath.GetSegments()) {
    if (s.IsCubic()) {
      AddCubic(current, s, shape);
    } else {
      AddLine(ToFixed(current), ToFixed(s.end), shape);
    }
    current = s.end;
  }
  // Filling closes every subpath, open or not.
  AddLine(ToFixed(current), ToFixed(subpath.GetStart()), shape);
}

void Flattener::AddLine(FixedPoint a, FixedPoint b, std::uint32_t shape) {
  if (a == b) return;
  out_.chords.push_back({a, b, shape, kNone, 0.0, 1.0});
}

void Flattener::AddCubic(Vexl::Point p0, const Vexl::Segment& cubic, std::uint32_t shape) {
  const Vexl::Point p1 = cubic.control1, p2 = cubic.control2, p3 = cubic.end;
  const double d0 = std::hypot(p0.x - 2 * p1.x + p2.x, p0.y - 2 * p1.y + p2.y);
  const double d1 = std::hypot(p1.x - 2 * p2.x + p3.x, p1.y - 2 * p2.y + p3.y);
  const double wanted = std::ceil(std::sqrt(kWangFactor * std::max(d0, d1) / tolerance_));
  const int count = static_cast<int>(std::clamp(wanted, 1.0, kMaxChordsPerCubic));
  const auto curve = static_cast<std::uint32_t>(out_.curves.size());
  out_.curves.push_back({p0, p1, p2, p3});
  FixedPoint last = ToFixed(p0);
  double lastT = 0;
  const FixedPoint end = ToFixed(p3);
  for (int i = 1; i <= count; ++i) {
    const double t = i == count ? 1.0 : double(i) / count;
    const double s = 1 - t;
    const FixedPoint q =
        i == count ? end
                   : ToFixed({s * s * s * p0.x + 3 * s * s * t * p1.x + 3 * s * t * t * p2.x + t * t * t * p3.x,
                              s * s * s * p0.y + 3 * s * s * t * p1.y + 3 * s * t * t * p2.y + t * t * t * p3.y});
    if (q == last) {
      // A chord that collapses on the grid: the next kept chord starts where this one did, but
      // the cubic's end keeps t = 1 on the last kept chord.
      if (i == count && !out_.chords.empty() && out_.chords.back().curve == curve) {
        out_.chords.back().t1 = 1.0;
      }
      continue;
    }
    out_.chords.push_back({last, q, shape, curve, lastT, t});
    last = q;
    lastT = t;
  }
}

FlatInput Flattener::Run() {
  const auto& nodes = input_.GetNodes();
  std::vector<std::vector<std::uint32_t>> groupClips(nodes.size());
  if (const auto& bounds = input_.GetBounds()) {
    CheckPoint({bounds->Left(), bounds->Bottom()}, "bounds");
    CheckPoint({bounds->Right(), bounds->Top()}, "bounds");
    out_.boundsShape = AddShape({Vexl::MakeRectangle(*bounds), Vexl::FillRule::NonZero}, "bounds");
  }
  for (std::uint32_t n = 0; n < nodes.size(); ++n) {
    const Tessel::Input::Node& node = nodes[n];
    std::vector<std::uint32_t> inherited;
    std::uint32_t maskTarget = kNone;
    for (std::uint32_t p = node.parent; p != Tessel::Input::kNone; p = nodes[p].parent) {
      inherited.insert(inherited.end(), groupClips[p].begin(), groupClips[p].end());
      if (nodes[p].kind == Kind::SoftMask && maskTarget == kNone) maskTarget = nodes[p].maskTarget;
    }
    if (node.kind == Kind::Group) {
      for (const auto& clip : node.clips) groupClips[n].push_back(AddShape(clip, input_.Describe(n)));
    } else if (node.kind == Kind::Element) {
      FlatElement element{n, AddShape(node.shape, input_.Describe(n)), std::move(inherited), maskTarget};
      for (const auto& clip : node.clips) element.clips.push_back(AddShape(clip, input_.Describe(n)));
      out_.elementOfShape[element.shape] = static_cast<std::uint32_t>(out_.elements.size());
      out_.elements.push_back(std::move(element));
    }
  }
  return std::move(out_);
}

}  // namespace

FlatInput FlattenInput(const Tessel::Input& input, double toleranceInMillipoints) {
  if (!std::isfinite(toleranceInMillipoints) || !(toleranceInMillipoints > 0)) {
    throw std::invalid_argument("Tessel: flattening tolerance must be a positive number of millipoints, not " +
                                std::to_string(toleranceInMillipoints));
  }
  input.CheckComplete();
  return Flattener(input, std::max(toleranceInMillipoints, kMinTolerance)).Run();
}

}  // namespace TesselFixed::Internal
