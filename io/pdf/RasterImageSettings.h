#pragma once
// How the writer compresses the images that flattening renders into separation channels.

namespace CorvelPdf {

enum class RasterCompression { Automatic, Flate, Jpeg };

// Flate (with PNG predictors) is lossless and always used for line art, soft masks, spots and
// images read from a file. Jpeg applies to continuous-tone renders (pictures, shadings) in
// gray, RGB, CMYK or one process ink, at `jpegQuality` (1 smallest .. 100 best). Automatic
// applies Jpeg where every picture rendered into the image was JPEG in the file already (a
// photo stays as lossy as it came, at a fraction of Flate's size) and Flate elsewhere, so
// artwork that came lossless stays lossless.
// With `threads` above 1, an edit compresses them on that many threads in the background while
// it goes on writing; the file comes out the same.
struct RasterImageSettings {
  RasterCompression compression = RasterCompression::Automatic;
  int jpegQuality = 90;
  int threads = 1;
};

}  // namespace CorvelPdf
