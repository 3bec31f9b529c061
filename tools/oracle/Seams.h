#pragma once
// Seams between abutting pieces: where two opaque objects meet edge to edge, an anti-aliasing
// renderer gives each part of the boundary pixel and the paper shows through between them, a
// hairline lighter than both sides.

#include <tools/oracle/SeparationRender.h>

#include <cstddef>
#include <string>
#include <vector>

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

// One run of touching seam pixels: its size and where a pixel of it lies, in points from the
// lower left corner of the page, y up.
struct SeamRun {
  std::size_t pixels = 0;
  double x = 0, y = 0;
};

struct SeamCount {
  std::size_t pixels = 0;     // seam pixels of the anti-aliased render
  std::size_t inArtwork = 0;  // dips the seamless render has as well: thin gaps in the artwork
  std::vector<SeamRun> runs;  // where they are, separation by separation
};

// Counts the pixels of `antiAliased` where the ink of some separation lies more than the
// threshold below the pixels on both sides of it, left and right or above and below, at some
// distance up to `reach`, and more than the threshold below each render of `seamless` there, in
// a run of at least `minimumRun` such pixels of that separation. A seamless render is the same
// page rendered so that abutting objects leave no gap: aliased (every pixel takes one object's
// paint), or the mean of such a render at a finer resolution (see SeamlessRender), which
// part-covers edges as anti-aliasing does. A dip that one of them shows as light belongs to the
// artwork (a sliver of lighter paint, a gap, the hard edge of an image Ghostscript draws without
// anti-aliasing) and counts in `inArtwork` instead. A separation missing from a render has no
// ink there. Throws std::invalid_argument when the renders differ in size.
SeamCount CountSeams(const SeparationRender& antiAliased,
                     const std::vector<const SeparationRender*>& seamless,
                     const SeamOptions& options = {});
inline SeamCount CountSeams(const SeparationRender& antiAliased, const SeparationRender& seamless,
                            const SeamOptions& options = {}) {
  return CountSeams(antiAliased, std::vector<const SeparationRender*>{&seamless}, options);
}

// How much finer than the anti-aliased render the seamless one is rendered: Ghostscript's
// anti-aliasing samples 4 x 4 points a pixel.
inline constexpr int kSeamlessFactor = 4;

// `fine`, a page rendered aliased at `factor` times the resolution wanted, with each block of
// factor x factor pixels averaged into one pixel of a render `width` x `height`: what
// anti-aliasing shows where nothing can let the paper through between abutting objects, with the
// artwork's own slivers and gaps part-covered as anti-aliasing shows them. Throws
// std::invalid_argument when `fine` is not that size, give or take a pixel at the far edges.
SeparationRender SeamlessRender(const SeparationRender& fine, int factor, int width, int height);

// Renders page `page` of the PDF anti-aliased, aliased and seamless at `resolution` and counts
// its seams.
SeamCount CountSeams(const std::string& pdfPath, int page, double resolution,
                     ColorConversion conversion, const SeamOptions& options = {});

}  // namespace CorvelOracle
