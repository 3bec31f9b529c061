#pragma once
// Comparing two separation renders plane by plane, away from the outlines of regions where the
// two sides' pixel rules may differ.

#include <tools/oracle/SeparationRender.h>

#include <cstddef>
#include <string>
#include <vector>

namespace CorvelOracle {

struct ComparisonOptions {
  // Ink levels (of 255) a pixel may differ by: Ghostscript truncates, so equal tints can come
  // out one level apart, and two levels cover a rounding on either side.
  int tolerance = 2;
  // Pixels within this distance (in pixels, any direction) of an outline are not compared.
  int band = 2;
};

// The outcome for one separation.
struct SeparationDifference {
  std::string name;
  bool inFirst = false;        // the first render has a plane for it
  bool inSecond = false;       // the second render has a plane for it
  int maxDifference = 0;       // ink levels, over the compared pixels
  std::size_t pixelsOver = 0;  // compared pixels differing by more than the tolerance
  std::size_t pixelsCompared = 0;
  // The first pixel over the tolerance, for the report; -1 when none.
  int firstColumn = -1;
  int firstRow = -1;
  // The pixel of the largest difference over the tolerance and both inks there (0..255), so
  // the report says where to look; -1 when none.
  int worstColumn = -1;
  int worstRow = -1;
  int worstFirstInk = 0;
  int worstSecondInk = 0;

  double ShareOver() const {
    return pixelsCompared == 0 ? 0.0 : static_cast<double>(pixelsOver) / pixelsCompared;
  }
};

struct Comparison {
  ComparisonOptions options;
  int width = 0;
  int height = 0;
  std::size_t pixelsInBand = 0;
  std::vector<SeparationDifference> separations;  // process first, then spots by name

  // No compared pixel of any separation differs by more than the tolerance.
  bool Agrees() const;
  // A header line, then one line per separation.
  std::string Report() const;
};

// Compares every separation either render has; a plane missing on one side counts as no ink.
// A pixel is in the outline band when, within `band` pixels of it, some plane of either render
// steps by more than the tolerance between neighbouring pixels: region edges are banded, smooth
// shadings (a level or two per pixel) are compared. Throws std::invalid_argument when the
// renders differ in size.
Comparison Compare(const SeparationRender& first, const SeparationRender& second,
                   const ComparisonOptions& options = {});

}  // namespace CorvelOracle
