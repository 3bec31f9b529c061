#pragma once
// How the writer compresses the images that flattening renders into separation channels.

namespace CorvelPdf {

enum class RasterCompression { Flate, Jpeg };

// Flate (with PNG predictors) is lossless and always used for line art, soft masks, spots and
// images read from a file. Jpeg applies to continuous-tone renders (pictures, shadings) in
// gray, RGB, CMYK or one process ink, at `jpegQuality` (1 smallest .. 100 best).
// With `threads` above 1, an edit compresses them on that many threads in the background while
// it goes on writing; the file comes out the same.
struct RasterImageSettings {
  RasterCompression compression = RasterCompression::Flate;
  int jpegQuality = 90;
  int threads = 1;
};

}  // namespace CorvelPdf
