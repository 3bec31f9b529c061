#pragma once
// Compound outlines: subpaths of line and cubic Bézier segments, in millipoints, y up.

#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

#include <vexl/Geometry.h>

namespace Vexl {

enum class FillRule { NonZero, EvenOdd };

// One segment of a subpath, starting where the previous one ended. A line uses only `end`.
struct Segment {
  enum class Kind { Line, Cubic };
  Kind kind = Kind::Line;
  Point control1;
  Point control2;
  Point end;

  static Segment Line(Point to) { return {Kind::Line, {}, {}, to}; }
  static Segment Cubic(Point c1, Point c2, Point to) { return {Kind::Cubic, c1, c2, to}; }
  bool IsCubic() const { return kind == Kind::Cubic; }
  friend bool operator==(const Segment&, const Segment&) = default;
};

// A connected run of segments from `start`. A closed subpath returns to `start` with an implied
// line when its last segment ends elsewhere.
class Subpath {
 public:
  Subpath() = default;
  explicit Subpath(Point start, bool closed = false) : start_(start), closed_(closed) {}

  Point GetStart() const { return start_; }
  const std::vector<Segment>& GetSegments() const { return segments_; }
  bool IsClosed() const { return closed_; }
  void SetClosed(bool closed) { closed_ = closed; }
  void LineTo(Point to) { segments_.push_back(Segment::Line(to)); }
  void CubicTo(Point c1, Point c2, Point to) { segments_.push_back(Segment::Cubic(c1, c2, to)); }
  Point GetEnd() const { return segments_.empty() ? start_ : segments_.back().end; }
  // Room for `segmentCount` segments in all, so that long runs of LineTo do not reallocate.
  void Reserve(std::size_t segmentCount) { segments_.reserve(segmentCount); }

  // True when no segment is a cubic.
  bool IsPolyline() const;

  friend bool operator==(const Subpath&, const Subpath&) = default;

 private:
  Point start_;
  std::vector<Segment> segments_;
  bool closed_ = false;
};

// An outline made of subpaths. Immutable once shared (std::shared_ptr<const Compound>).
class Compound {
 public:
  Compound() = default;
  explicit Compound(std::vector<Subpath> subpaths) : subpaths_(std::move(subpaths)) {}

  const std::vector<Subpath>& GetSubpaths() const { return subpaths_; }
  bool IsEmpty() const { return subpaths_.empty(); }
  // Exact bounds of the drawn curve (cubic extrema, not control points); Rectangle::Null() when
  // there are no subpaths.
  Rectangle GetBoundingBox() const;

  friend bool operator==(const Compound&, const Compound&) = default;

 private:
  std::vector<Subpath> subpaths_;
};

// The compound with every point mapped by `t` (exact for cubics: affine maps keep Béziers).
Compound operator*(const Compound& compound, const Transformation& t);
Subpath operator*(const Subpath& subpath, const Transformation& t);

// Collects subpaths into a shared compound.
class CompoundFactory {
 public:
  void AddSubpath(Subpath subpath) { subpaths_.push_back(std::move(subpath)); }
  // The compound of everything added so far; the factory is left empty.
  std::shared_ptr<const Compound> GetResult();

 private:
  std::vector<Subpath> subpaths_;
};

// A compound of one closed rectangle, counter-clockwise.
std::shared_ptr<const Compound> MakeRectangle(const Rectangle& box);
// A closed ellipse of four cubics (the usual 0.5523 kappa), counter-clockwise.
std::shared_ptr<const Compound> MakeEllipse(Point centre, double radiusX, double radiusY);

}  // namespace Vexl
