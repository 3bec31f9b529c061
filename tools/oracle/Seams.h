#pragma once
// Seams between abutting pieces: where two opaque objects meet edge to edge, an anti-aliasing
// renderer gives each part of the boundary pixel and the paper shows through between them, a
// hairline lighter than both sides.

#include <tools/oracle/SeparationRender.h>

#include <cstddef>
#include <string>

namespace CorvelOracle {

struct SeamOptions {
  // Ink levels (of 255) a pixel must lie below both sides: rounding in anti-aliased edges and
  // smooth shadings stay well under it, a pixel half uncovered lies far beyond.
  int threshold = 8;
  // The sides are looked at 1 to `reach` pixels away: a seam across a pixel corner darkens
  // the pixels next to it too.
  int reach = 2;
  // Fewest touching pixels that make a seam: a seam is a line, while the two renders round a
  // sharp corner of the artwork differently in a pixel or two.
  int minimumRun = 3;
};

struct SeamCount {
  std::size_t pixels = 0;     // seam pixels of the anti-aliased render
  std::size_t inArtwork = 0;  // dips the aliased render has as well: thin gaps in the artwork
};

// Counts the pixels of `antiAliased` where the ink of some separation lies more than the
// threshold below the pixels on both sides of it, left and right or above and below, at some
// distance up to `reach`, in a run of at least `minimumRun` such pixels of that separation. A pixel
// that dips in the same separation in `aliased` (the same page rendered without anti-aliasing,
// where every pixel takes one object's paint and abutting objects leave no gap) belongs to the
// artwork and counts in `inArtwork` instead. A separation missing from a render has no ink there.
// Throws std::invalid_argument when the renders differ in size.
SeamCount CountSeams(const SeparationRender& antiAliased, const SeparationRender& aliased,
                     const SeamOptions& options = {});

// Renders page `page` of the PDF both ways at `resolution` and counts its seams.
SeamCount CountSeams(const std::string& pdfPath, int page, double resolution,
                     ColorConversion conversion, const SeamOptions& options = {});

}  // namespace CorvelOracle
