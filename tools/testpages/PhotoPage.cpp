#include <io/pdf/JpegCompressionInternal.h>
#include <tools/testpages/PhotoPage.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFWriter.hh>
#include <random>
#include <vector>

namespace CorvelTestPages {

namespace {

using Handle = QPDFObjectHandle;

constexpr double kPi = 3.14159265358979;
constexpr double kPointsPerInch = 72;
constexpr double kPageWidth = 595, kPageHeight = 842;
constexpr int kMaskWidth = 600, kMaskHeight = 400;

std::uint8_t Clamp(double v) {
  return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 255.0)));
}

// Each component a different slow wave over the frame, as skies and skin tones vary, plus grain.
std::vector<std::uint8_t> PhotoSamples(const PhotoPageOptions& o) {
  std::mt19937 random(o.seed);
  std::uniform_int_distribution<int> grain(-o.grain, o.grain);
  const auto n = static_cast<std::size_t>(o.components);
  std::vector<std::uint8_t> samples(static_cast<std::size_t>(o.width) * o.height * n);
  for (int y = 0; y < o.height; ++y) {
    const double v = double(y) / o.height;
    for (int x = 0; x < o.width; ++x) {
      const double u = double(x) / o.width;
      std::uint8_t* pixel = samples.data() + (static_cast<std::size_t>(y) * o.width + x) * n;
      for (std::size_t c = 0; c < n; ++c) {
        const double wave =
            0.5 + 0.45 * std::sin(kPi * ((1.3 + 0.4 * c) * u + (0.7 + 0.3 * c) * v) + c);
        pixel[c] = Clamp(wave * (c == 3 ? 120 : 235) + grain(random));
      }
    }
  }
  return samples;
}

// A soft vignette: opaque in the middle, fading to clear at the edges.
std::string MaskSamples() {
  std::string samples;
  samples.reserve(kMaskWidth * kMaskHeight);
  for (int y = 0; y < kMaskHeight; ++y) {
    for (int x = 0; x < kMaskWidth; ++x) {
      const double dx = (x + 0.5) / kMaskWidth * 2 - 1, dy = (y + 0.5) / kMaskHeight * 2 - 1;
      samples += static_cast<char>(Clamp(255 * (1.2 - std::hypot(dx, dy)) / 0.6));
    }
  }
  return samples;
}

Handle Stream(QPDF& pdf, const std::string& data, const std::string& dictionary) {
  auto stream = Handle::newStream(&pdf, data);
  for (auto& [key, value] : Handle::parse(dictionary).getDictAsMap())
    stream.getDict().replaceKey(key, value);
  return stream;
}

Handle PhotoImage(QPDF& pdf, const PhotoPageOptions& o) {
  const auto samples = PhotoSamples(o);
  auto image = Handle::newStream(&pdf);
  if (o.jpeg) {
    image.replaceStreamData(CorvelPdf::Detail::EncodeJpeg(samples, o.width, o.components, o.quality),
                            Handle::newName("/DCTDecode"), Handle::newNull());
  } else {
    // qpdf compresses it with Flate when the file is written.
    image.replaceStreamData(std::string(samples.begin(), samples.end()), Handle::newNull(),
                            Handle::newNull());
  }
  const std::string space = o.components == 4 ? "/DeviceCMYK" : "/DeviceRGB";
  for (auto& [key, value] :
       Handle::parse("<< /Type /XObject /Subtype /Image /Width " + std::to_string(o.width) +
                     " /Height " + std::to_string(o.height) + " /ColorSpace " + space +
                     " /BitsPerComponent 8 >>")
           .getDictAsMap()) {
    image.getDict().replaceKey(key, value);
  }
  image.getDict().replaceKey(
      "/SMask", Stream(pdf, MaskSamples(),
                       "<< /Type /XObject /Subtype /Image /Width " + std::to_string(kMaskWidth) +
                           " /Height " + std::to_string(kMaskHeight) +
                           " /ColorSpace /DeviceGray /BitsPerComponent 8 >>"));
  return image;
}

// The photo, then a multiplied cyan band across it, then opaque type-like bars and a frame.
std::string Content(const PhotoPageOptions& o) {
  const double left = (kPageWidth - o.placedWidth) / 2, bottom = kPageHeight - 60 - o.placedHeight;
  auto n = [](double v) { return std::to_string(std::lround(v * 100) / 100.0); };
  std::string content = "q " + n(o.placedWidth) + " 0 0 " + n(o.placedHeight) + " " + n(left) +
                        " " + n(bottom) + " cm /Photo Do Q\n";
  content += "q /Multiply gs 0.6 0 0 0 k " + n(left) + " " + n(bottom + o.placedHeight * 0.35) +
             " " + n(o.placedWidth) + " 60 re f Q\n";
  content += "0 0 0 1 k\n";
  for (int line = 0; line < 8; ++line)
    content += n(left) + " " + n(bottom - 40 - line * 18) + " " +
               n(o.placedWidth * (0.6 + 0.05 * (line % 3))) + " 9 re f\n";
  content += "2 w 0 1 1 0 K " + n(left - 4) + " " + n(bottom - 4) + " " + n(o.placedWidth + 8) +
             " " + n(o.placedHeight + 8) + " re S\n";
  return content;
}

}  // namespace

double PhotoResolution(const PhotoPageOptions& options) {
  return std::max(options.width / options.placedWidth, options.height / options.placedHeight) *
         kPointsPerInch;
}

void WritePhotoPage(const std::filesystem::path& path, const PhotoPageOptions& options) {
  QPDF pdf;
  pdf.emptyPDF();
  auto resources = Handle::parse("<< /ExtGState << /Multiply << /BM /Multiply >> >> >>");
  resources.replaceKey("/XObject", Handle::newDictionary());
  resources.getKey("/XObject").replaceKey("/Photo", PhotoImage(pdf, options));
  auto page = Handle::parse("<< /Type /Page /MediaBox [0 0 595 842] >>");
  page.replaceKey("/Resources", resources);
  page.replaceKey("/Contents", Handle::newStream(&pdf, Content(options)));
  pdf.addPage(pdf.makeIndirectObject(page), false);
  QPDFWriter writer(pdf, path.c_str());
  writer.setStaticID(true);
  // A current version, as print work comes; written without object streams.
  writer.forcePDFVersion("1.7");
  writer.write();
}

}  // namespace CorvelTestPages
