#include <tools/testpages/StressPage.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFWriter.hh>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace CorvelTestPages {

namespace {

using Handle = QPDFObjectHandle;

constexpr double kStressPi = 3.14159265358979;
constexpr double kStressWidth = 612, kStressHeight = 792;  // US Letter, points
// A quarter circle as one cubic Bézier: control points at this fraction of the radius.
constexpr double kStressKappa = 0.5522847498;
constexpr std::array<const char*, 16> kStressBlendModes = {
    "Normal",   "Multiply", "Screen",     "Overlay",   "Darken",     "Lighten",
    "ColorDodge", "ColorBurn", "HardLight", "SoftLight", "Difference", "Exclusion",
    "Hue",      "Saturation", "Color",     "Luminosity"};
constexpr std::array<const char*, 4> kStressAlphas = {"1", "0.8", "0.5", "0.3"};

std::string StressNumber(double value) {
  char text[32];
  const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 3);
  return std::string(text, end.ptr);
}

std::string StressPoint(double x, double y) { return StressNumber(x) + " " + StressNumber(y); }

// The unit circle (centre 0, radius 1) as four Béziers; its transform makes the ellipse.
std::string StressUnitCircle() {
  const double k = kStressKappa;
  return "1 0 m 1 " + StressNumber(k) + " " + StressNumber(k) + " 1 0 1 c " + StressNumber(-k) +
         " 1 -1 " + StressNumber(k) + " -1 0 c -1 " + StressNumber(-k) + " " + StressNumber(-k) +
         " -1 0 -1 c " + StressNumber(k) + " -1 1 " + StressNumber(-k) + " 1 0 c h\n";
}

// A closed blob in the unit disk: four to six points at uneven radii joined by smooth Béziers
// (tangents across the radius, of uneven lengths, so some blobs pinch or loop).
std::string StressBlob(std::mt19937& random) {
  std::uniform_real_distribution<double> radius(0.45, 1), handle(0.2, 0.7), jitter(-0.3, 0.3);
  const int count = 4 + static_cast<int>(random() % 3);
  std::vector<std::array<double, 4>> points;  // x, y, tangent x, tangent y
  for (int i = 0; i < count; ++i) {
    const double angle = 2 * kStressPi * (i + jitter(random)) / count, r = radius(random);
    const double length = handle(random);
    points.push_back({r * std::cos(angle), r * std::sin(angle), -std::sin(angle) * length,
                      std::cos(angle) * length});
  }
  std::string path = StressPoint(points[0][0], points[0][1]) + " m\n";
  for (int i = 0; i < count; ++i) {
    const auto& a = points[i];
    const auto& b = points[(i + 1) % count];
    path += StressPoint(a[0] + a[2], a[1] + a[3]) + " " + StressPoint(b[0] - b[2], b[1] - b[3]) +
            " " + StressPoint(b[0], b[1]) + " c\n";
  }
  return path + "h\n";
}

// A fill colour: process CMYK (two inks or three) or a tint of one of the two spot inks.
std::string StressColor(std::mt19937& random, bool spots) {
  std::uniform_real_distribution<double> tint(0.2, 1);
  const int kind = static_cast<int>(random() % (spots ? 6 : 4));
  if (kind == 4) return "/Spot1 cs " + StressNumber(tint(random)) + " scn\n";
  if (kind == 5) return "/Spot2 cs " + StressNumber(tint(random)) + " scn\n";
  std::array<double, 4> cmyk{};
  for (int ink = 0; ink < 4; ++ink)
    if (ink != kind && (ink < 3 || random() % 4 == 0)) cmyk[ink] = tint(random);
  return StressNumber(cmyk[0]) + " " + StressNumber(cmyk[1]) + " " + StressNumber(cmyk[2]) + " " +
         StressNumber(cmyk[3]) + " k\n";
}

// A random blend mode with a random constant alpha (a state name).
std::string StressState(std::mt19937& random, const StressPageOptions& options) {
  return "/S" + std::to_string(random() % static_cast<unsigned>(options.blendModes)) + "_" +
         std::to_string(random() % kStressAlphas.size()) + " gs\n";
}

// One shape in its own transform: placed, scaled and rotated unit geometry.
std::string StressShape(std::mt19937& random, const StressPageOptions& options) {
  std::uniform_real_distribution<double> x(0, kStressWidth), y(0, kStressHeight),
      radius(options.smallestRadius, options.largestRadius), angle(0, kStressPi);
  const double rx = radius(random), ry = radius(random), turn = angle(random);
  const double c = std::cos(turn), s = std::sin(turn);
  std::string shape = "q " + StressPoint(rx * c, rx * s) + " " + StressPoint(-ry * s, ry * c) + " " +
                      StressPoint(x(random), y(random)) + " cm\n" + StressState(random, options);
  // The mask lies in the shape's space, so it shades the shape however it is placed.
  if (random() % 12 == 0 && options.softMasks) shape += "/M" + std::to_string(random() % 2) + " gs\n";
  shape += StressColor(random, options.spotInks);
  shape += (random() % 2 ? StressUnitCircle() : StressBlob(random)) + "f Q\n";
  return shape;
}

// A knockout group's member as Ghostscript composites it the way the standard does: modes from
// Difference on become the separable white-preserving ones (Normal to Lighten), and no soft
// mask. Inside knockout groups Ghostscript 10 treats a soft mask as shape and lays spot inks
// down under Difference, Exclusion and Hue, so those members could not be judged.
std::string KnockoutComparableShape(std::string shape) {
  const std::size_t state = shape.find("\n/S") + 3;
  const std::size_t bar = shape.find('_', state);
  const int mode = std::stoi(shape.substr(state, bar - state));
  if (mode >= 10) shape.replace(state, bar - state, std::to_string(mode % 10));
  for (const char* mask : {"/M0 gs\n", "/M1 gs\n"})
    if (const auto at = shape.find(mask); at != std::string::npos) shape.erase(at, 7);
  return shape;
}

Handle StressForm(QPDF& pdf, const std::string& content, const std::string& box,
                  const std::string& group, Handle resources) {
  auto form = Handle::newStream(&pdf, content);
  auto dict = form.getDict();
  dict.replaceKey("/Type", Handle::newName("/XObject"));
  dict.replaceKey("/Subtype", Handle::newName("/Form"));
  dict.replaceKey("/BBox", Handle::parse(box));
  dict.replaceKey("/Group", Handle::parse(group));
  if (!resources.isNull()) dict.replaceKey("/Resources", resources);
  return pdf.makeIndirectObject(form);
}

// Two luminosity masks in unit space: a dim field with a bright core, and a half-dark field.
Handle StressMaskState(QPDF& pdf, int which) {
  const std::string content =
      which == 0 ? "0.35 g -2 -2 4 4 re f 1 g q 0.6 0 0 0.6 0.3 0 cm " + StressUnitCircle() + "f Q"
                 : "0.75 g -2 -2 4 4 re f 0.1 g -2 -2 2 4 re f";
  const auto form = StressForm(pdf, content, "[-2 -2 2 2]",
                               "<< /S /Transparency /CS /DeviceGray >>", Handle::newNull());
  auto mask = Handle::parse("<< /S /Luminosity >>");
  mask.replaceKey("/G", form);
  auto state = Handle::newDictionary();
  state.replaceKey("/SMask", mask);
  return state;
}

// The graphics states, spot colour spaces and masks every shape and group draws on.
Handle StressResources(QPDF& pdf) {
  auto states = Handle::newDictionary();
  for (std::size_t m = 0; m < kStressBlendModes.size(); ++m)
    for (std::size_t a = 0; a < kStressAlphas.size(); ++a)
      states.replaceKey("/S" + std::to_string(m) + "_" + std::to_string(a),
                        Handle::parse(std::string("<< /BM /") + kStressBlendModes[m] + " /ca " +
                                      kStressAlphas[a] + " /CA " + kStressAlphas[a] + " >>"));
  for (int which = 0; which < 2; ++which)
    states.replaceKey("/M" + std::to_string(which), StressMaskState(pdf, which));
  auto resources = Handle::newDictionary();
  resources.replaceKey("/ExtGState", states);
  resources.replaceKey(
      "/ColorSpace",
      Handle::parse("<< /Spot1 [/Separation /Stress#20Orange /DeviceCMYK << /FunctionType 2 "
                    "/Domain [0 1] /C0 [0 0 0 0] /C1 [0 0.55 0.95 0] /N 1 >>] "
                    "/Spot2 [/Separation /Stress#20Teal /DeviceCMYK << /FunctionType 2 "
                    "/Domain [0 1] /C0 [0 0 0 0] /C1 [0.85 0 0.4 0.1] /N 1 >>] >>"));
  return pdf.makeIndirectObject(resources);
}

}  // namespace

void WriteStressPage(const std::filesystem::path& path, const StressPageOptions& options) {
  if (options.blendModes < 1 || options.blendModes > 16)
    throw std::invalid_argument("A stress page takes 1 to 16 blend modes");
  QPDF pdf;
  pdf.emptyPDF();
  std::mt19937 random(options.seed);
  Handle shared = StressResources(pdf);
  auto forms = Handle::newDictionary();
  std::string content;
  for (int i = 0; i < options.shapes;) {
    // About one shape in ten starts a run of two to four inside a group, isolated or knockout
    // or both, which itself has a blend mode and alpha.
    if (random() % 10 != 0 || options.shapes - i < 2 || !options.groups) {
      content += StressShape(random, options);
      ++i;
      continue;
    }
    const int members = std::min(2 + static_cast<int>(random() % 3), options.shapes - i);
    std::vector<std::string> shapes;
    for (int k = 0; k < members; ++k) shapes.push_back(StressShape(random, options));
    const int kind = 1 + static_cast<int>(random() % 3);
    std::string body;
    for (const std::string& shape : shapes)
      body += (kind & 2) && options.comparableKnockout ? KnockoutComparableShape(shape) : shape;
    const std::string group = std::string("<< /S /Transparency /I ") +
                              (kind & 1 ? "true" : "false") + " /K " + (kind & 2 ? "true" : "false") +
                              " >>";
    const std::string name = "/G" + std::to_string(forms.getKeys().size());
    forms.replaceKey(name, StressForm(pdf, body, "[0 0 612 792]", group, shared));
    content += "q " + StressState(random, options) + name + " Do Q\n";
    i += members;
  }
  auto resources = shared.shallowCopy();
  resources.replaceKey("/XObject", forms);
  auto page = Handle::parse("<< /Type /Page /MediaBox [0 0 612 792] >>");
  page.replaceKey("/Resources", resources);
  page.replaceKey("/Contents", Handle::newStream(&pdf, content));
  pdf.addPage(pdf.makeIndirectObject(page), false);
  QPDFWriter writer(pdf, path.c_str());
  writer.setStaticID(true);
  writer.forcePDFVersion("1.7");
  writer.setStreamDataMode(qpdf_s_compress);
  writer.write();
}

}  // namespace CorvelTestPages
