#pragma once
// The separation oracle: a PDF page rendered by Ghostscript's tiffsep device into one 8-bit
// plane per separation, the judge of "prints the same" that none of our code draws.
//
// Planes store ink: 0 no ink, 255 full ink (the inverse of tiffsep's files). Rows run top to
// bottom; pixel (column, row) covers [column, column + 1) × [row, row + 1) pixels from the top
// left corner of the rendered box (the media box).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace CorvelOracle {

// One separation's plane.
struct Plane {
  std::string name;
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> ink;  // width × height, row by row

  std::uint8_t At(int column, int row) const {
    return ink[static_cast<std::size_t>(row) * width + column];
  }
};

// The planes of one rendered page: process planes first (Cyan, Magenta, Yellow, Black), then
// spots by name. A separation without a plane carries no ink anywhere.
class SeparationRender {
 public:
  SeparationRender(int width, int height, double resolution, std::vector<Plane> planes,
                   std::string messages = {});

  int GetWidth() const { return width_; }
  int GetHeight() const { return height_; }
  double GetResolution() const { return resolution_; }
  const std::vector<Plane>& GetPlanes() const { return planes_; }
  // What Ghostscript reported while rendering (complaints about the file); empty when quiet.
  const std::string& GetMessages() const { return messages_; }
  // The plane of that separation, or null when the page puts none of it down.
  const Plane* Find(const std::string& name) const;

  // Ink of a separation (0..255) at a pixel; 0 for a separation without a plane. Throws
  // std::out_of_range for a pixel outside the render.
  int InkAt(const std::string& name, int column, int row) const;
  // Tint (0..1) at a point given in points from the lower-left corner of the rendered box,
  // y up as on the PDF page: the pixel that holds the point.
  double TintAt(const std::string& name, double xInPoints, double yInPoints) const;

 private:
  int width_;
  int height_;
  double resolution_;
  std::vector<Plane> planes_;
  std::string messages_;
};

// How Ghostscript turns RGB and gray into process inks. Managed: through its ICC profiles, as
// a press workflow would. Simple: like Corvel, to compare like with like: its non-ICC
// conversions, RGB (r, g, b) to CMYK (1 − r, 1 − g, 1 − b, 0), and transparency groups (the
// page's, forms') blending in DeviceCMYK whatever space they declare.
// Managed: Ghostscript as it is (its default ICC profiles, its group blending). Simple: its
// non-ICC conversions (C = 1 − R …) with every group blending in DeviceCMYK. ManagedCmykGroups:
// the profiles and rendering intents Corvel converts with (see ManagedColor) with every group
// blending in DeviceCMYK — like with like for Corvel's colour-managed output, which blends in
// the output CMYK.
enum class ColorConversion { Managed, Simple, ManagedCmykGroups };

// What the ManagedCmykGroups renders convert colour with, to match a flattening's colour settings
// (see MavColor::ColorSettings). Ghostscript on its own honours each object's rendering intent
// and takes RelativeColorimetric for objects that set none, reads no output intent, and
// converts DeviceCMYK from its default CMYK profile.
struct ManagedColor {
  // The output CMYK, DeviceCMYK's own profile too (so that it stays as it is): the CMYK profile
  // of the file's output intent if it has one, else this file, else Ghostscript's default.
  std::string outputProfile;
  // DeviceRGB's profile; empty: Ghostscript's default_rgb.icc.
  std::string rgbProfile;
  // The intent of every conversion (0 perceptual, 1 relative colorimetric, 2 saturation,
  // 3 absolute colorimetric: -dRenderIntent, with -dOverrideRI). Empty: each object's own,
  // Perceptual for objects that set none.
  std::optional<int> intent;
};

// Aliased: a pixel takes the paint of whatever covers its centre (any part of it, for thin
// lines), which the comparisons need. AntiAliased: edges are blended by coverage in 16 levels
// (Ghostscript's GraphicsAlphaBits 4), as a viewer shows them: this is where abutting objects
// show seams.
enum class EdgeRendering { Aliased, AntiAliased };

// Eight: Ghostscript's tiffsep device, whose transparency buffers hold 8 bits per ink, so a
// backdrop tint within half a level of full ink becomes full ink and ColorDodge or ColorBurn
// over it flips (a K .998 backdrop under ColorDodge prints full K instead of none), and their
// division magnifies rounding. Sixteen: its psdcmyk16 device, whose buffers hold 16 bits and
// compute those stacks as the compositing formulas do; the planes are rounded to 8 bits.
enum class ChannelDepth { Eight, Sixteen };

// Renders page `page` (1-based) of the PDF at `pdfPath` at `resolution` pixels per inch. Runs
// qpdf (to extract the page) and Ghostscript in a private temporary folder, removed afterwards.
// `color` applies to ManagedCmykGroups only. Throws std::runtime_error with the tool's message
// when either fails or is not installed.
SeparationRender RenderPdfPage(const std::string& pdfPath, int page = 1, double resolution = 72,
                               ColorConversion conversion = ColorConversion::Managed,
                               EdgeRendering edges = EdgeRendering::Aliased,
                               const ManagedColor& color = {},
                               ChannelDepth depth = ChannelDepth::Eight);
// The same for a PDF held in memory.
SeparationRender RenderPdfBytes(const std::string& pdfBytes, int page = 1, double resolution = 72,
                                ColorConversion conversion = ColorConversion::Managed,
                                EdgeRendering edges = EdgeRendering::Aliased,
                                const ManagedColor& color = {},
                               ChannelDepth depth = ChannelDepth::Eight);

}  // namespace CorvelOracle
