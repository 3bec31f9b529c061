#pragma once
// First build step: the input tree turned into shapes (areas with a fill rule) and their
// boundary chords on the fixed grid, each chord remembering the input curve and parameter range
// it came from.

#include <array>
#include <cstdint>
#include <vector>

#include <tessel/FixedInternal.h>
#include <tessel/Input.h>

namespace TesselFixed::Internal {

// A chord of an input segment, directed along its subpath. `curve` indexes
// FlatInput::curves, or is kNone for a straight input segment; t0/t1 are the cubic's parameters
// at a and b.
struct Chord {
  FixedPoint a, b;
  std::uint32_t shape = 0;
  std::uint32_t curve = kNone;
  double t0 = 0, t1 = 1;
};

struct FlatElement {
  std::uint32_t node = 0;           // input node index
  std::uint32_t shape = 0;          // the element's own area
  std::vector<std::uint32_t> clips;  // shapes that must cover too (own and inherited)
  std::uint32_t maskTarget = kNone;  // target of the innermost soft mask whose artwork holds it
};

struct FlatInput {
  std::vector<Vexl::FillRule> shapeRules;
  std::vector<std::uint32_t> elementOfShape;  // per shape: index into elements, or kNone
  std::vector<FlatElement> elements;          // in drawing order
  std::uint32_t boundsShape = kNone;
  std::vector<std::array<Vexl::Point, 4>> curves;  // input cubics, millipoints
  std::vector<Chord> chords;
};

// Throws std::invalid_argument naming the object for non-finite or out-of-range coordinates, or
// for a tolerance that is not a positive finite number.
FlatInput FlattenInput(const Tessel::Input& input, double toleranceInMillipoints);

}  // namespace TesselFixed::Internal
