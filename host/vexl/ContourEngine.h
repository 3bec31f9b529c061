#pragma once
// Contour-engine interfaces: receivers of outlines, one call per drawing step.

#include <memory>

#include <vexl/Geometry.h>

namespace ADT {

// Receives polygonal contours: MoveTo starts a contour, LineTo extends it, Close ends it.
class TVectorContourEngine {
 public:
  virtual ~TVectorContourEngine() = default;
  virtual void MoveTo(Vexl::Point p) = 0;
  virtual void LineTo(Vexl::Point p) = 0;
  virtual void Close() = 0;
};

// Receives contours that may hold cubic Béziers as well.
class TContourEngine : public TVectorContourEngine {
 public:
  virtual void CubicTo(Vexl::Point c1, Vexl::Point c2, Vexl::Point end) = 0;
};

}  // namespace ADT

namespace Vexl {

class Compound;
class Subpath;

// Builds a compound from contour-engine calls. A LineTo or CubicTo without a MoveTo starts at the
// previous contour's start; a MoveTo while a contour is open leaves that contour open.
// A LineTo or CubicTo before any MoveTo (in a new engine, or after GetResult) throws
// std::logic_error; a Close with no open contour does nothing.
class CompoundEngine : public ADT::TContourEngine {
 public:
  CompoundEngine();
  ~CompoundEngine() override;
  void MoveTo(Point p) override;
  void LineTo(Point p) override;
  void CubicTo(Point c1, Point c2, Point end) override;
  void Close() override;
  // The compound received so far; the engine is left empty and ready for the next one.
  std::shared_ptr<const Compound> GetResult();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// Sends a compound's subpaths to an engine (closed subpaths end with Close()).
void FeedCompound(const Compound& compound, ADT::TContourEngine& engine);

}  // namespace Vexl
