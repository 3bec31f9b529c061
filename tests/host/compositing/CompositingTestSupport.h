#pragma once
// Builders and checks shared by the compositing tests: the note's C M Y K Spot1 space, inks by
// name, and a check that runs a tree through point evaluation and row evaluation (flat, and
// with every element turned into a per-pixel input).

#include <compositing/Program.h>
#include <compositing/RowEvaluator.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace CompositeTest {

using namespace Composite;

// The channel order of the note's test vectors.
inline SeparationSpace CmykSpot() {
  return SeparationSpace({"Cyan", "Magenta", "Yellow", "Black", "Spot1"}, {0, 1, 2, 3});
}

struct Ink {
  float c = 0, m = 0, y = 0, k = 0, spot = 0;
};

inline Element Paint(Ink ink, BlendMode mode = BlendMode::Normal, float constantAlpha = 1) {
  Element element;
  element.tints = {ink.c, ink.m, ink.y, ink.k, ink.spot};
  element.blendMode = mode;
  element.constantAlpha = constantAlpha;
  return element;
}

// An element of any space given by its tints.
inline Element Colour(std::vector<float> tints, float constantAlpha = 1) {
  Element element;
  element.tints = std::move(tints);
  element.constantAlpha = constantAlpha;
  return element;
}

// "BD" of the note: an opaque Normal backdrop of C .4.
inline Element Backdrop() { return Paint({.c = 0.4f}); }

inline Group Stack(std::vector<Node> elements) {
  Group group;
  group.elements = std::move(elements);
  return group;
}

inline std::shared_ptr<const SoftMask> Mask(SoftMask mask) {
  return std::make_shared<const SoftMask>(std::move(mask));
}

// Per-pixel planes for a program's inputs, owned here and exposed as InputRows.
class RowInputs {
 public:
  RowInputs(const Program& program, std::size_t width);
  std::vector<float>& Tints(std::size_t input, std::size_t channel) {
    return tints_[input][channel];
  }
  std::vector<float>& Shape(std::size_t input) { return shapes_[input]; }
  std::vector<InputRow> Rows();

 private:
  std::vector<std::vector<std::vector<float>>> tints_;
  std::vector<std::vector<float>> shapes_;
  std::vector<std::vector<const float*>> pointers_;
};

// Evaluates one row; result[c][x] is the byte of separation c at pixel x.
std::vector<std::vector<std::uint8_t>> EvaluateRowBytes(const Program& program, RowInputs& inputs,
                                                        std::size_t width);

// The tree with every flat element (masks included) replaced by a varying element whose input
// holds the same tints and shape at every pixel; `values` receives each input's point value.
Node MakeVarying(const Node& node, std::vector<PointInput>& values);

// Checks the page tints of `root` in the C M Y K Spot1 space: point evaluation within
// `tolerance`, and row evaluation (flat and varying, 300 pixels) within 8-bit rounding.
void ExpectComposite(const Node& root, const std::vector<double>& expected,
                     double tolerance = 1e-4);

inline bool ByteMatches(std::uint8_t byte, double tint, double tolerance) {
  return std::abs(byte - 255.0 * tint) <= 0.5 + 255.0 * tolerance;
}

}  // namespace CompositeTest
