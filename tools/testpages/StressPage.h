#pragma once
// A stress page for the flattener's scaling: N random overlapping curved shapes (ellipses and
// closed Bézier blobs, scaled and rotated) on a US Letter page, every shape transparent in some
// way: all 16 blend modes, constant alpha 1, 0.8, 0.5 or 0.3, luminosity soft masks, runs of
// shapes inside isolated and knockout groups, in process colours and two spot inks (Separation
// spaces with CMYK alternates). Seeded: the same options give the same bytes.

#include <filesystem>

namespace CorvelTestPages {

struct StressPageOptions {
  int shapes = 300;
  unsigned seed = 1;
  // Shape radii, points: drawn uniformly between the two.
  double smallestRadius = 10, largestRadius = 60;
  // What the shapes may use, each on by default (off, to see which one a difference comes from).
  bool softMasks = true, groups = true, spotInks = true;
  int blendModes = 16;  // the first this many of the 16, in PDF order (Normal first)
  // Members of knockout groups use only Normal to Lighten and no soft mask (the same shapes and
  // colours otherwise): there Ghostscript 10 composites soft masks and spot inks under
  // Difference, Exclusion and Hue otherwise than the standard, so it could not judge the page.
  bool comparableKnockout = true;
};

// Writes the one-page PDF (written by qpdf, version 1.7) to `path`.
void WriteStressPage(const std::filesystem::path& path, const StressPageOptions& options = {});

}  // namespace CorvelTestPages
