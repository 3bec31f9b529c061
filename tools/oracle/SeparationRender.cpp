#include <tools/oracle/SeparationRender.h>

#include <tools/oracle/ProcessBlendingInternal.h>
#include <tools/oracle/TiffPlaneInternal.h>
#include <tools/oracle/ToolRunInternal.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <stdexcept>

namespace CorvelOracle {

namespace {

// Ghostscript's largest spot count; fewer would turn extra spots into process colour.
constexpr int kMaxSpots = 60;
constexpr double kPointsPerInch = 72;

const std::vector<std::string>& ProcessPlanes() {
  static const std::vector<std::string> names{"Cyan", "Magenta", "Yellow", "Black"};
  return names;
}

// Process planes in press order, then spots by name.
bool PlaneOrder(const Plane& a, const Plane& b) {
  const auto& process = ProcessPlanes();
  const auto rank = [&](const Plane& p) {
    return std::find(process.begin(), process.end(), p.name) - process.begin();
  };
  if (rank(a) != rank(b)) return rank(a) < rank(b);
  return a.name < b.name;
}

// tiffsep names its separation files "<output>(<separation>).tif".
std::vector<Plane> ReadPlanes(const std::filesystem::path& folder) {
  const std::string prefix = "out(", suffix = ").tif";
  std::vector<Plane> planes;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string file = entry.path().filename().string();
    if (file.size() <= prefix.size() + suffix.size() || file.rfind(prefix, 0) != 0 ||
        file.compare(file.size() - suffix.size(), suffix.size(), suffix) != 0) {
      continue;
    }
    const std::string name =
        file.substr(prefix.size(), file.size() - prefix.size() - suffix.size());
    planes.push_back(Detail::ReadTiffPlane(entry.path(), name));
  }
  std::sort(planes.begin(), planes.end(), PlaneOrder);
  return planes;
}

// Ghostscript's options for Corvel's colour settings (see ManagedColor).
void AddManagedColor(const ManagedColor& color, const std::string& pdfPath,
                     const std::filesystem::path& folder, std::vector<std::string>& command) {
  std::string output = color.outputProfile;
  if (const std::string own = Detail::OutputIntentCmykProfile(pdfPath); !own.empty()) {
    output = (folder / "output-intent.icc").string();
    std::ofstream(output, std::ios::binary).write(own.data(), static_cast<std::streamsize>(own.size()));
  }
  if (!output.empty()) {
    command.push_back("-sOutputICCProfile=" + output);
    command.push_back("-sDefaultCMYKProfile=" + output);
  }
  if (!color.rgbProfile.empty()) command.push_back("-sDefaultRGBProfile=" + color.rgbProfile);
  // Ghostscript 10 lets -dRenderIntent override objects' own intents by itself; -dOverrideRI
  // says so for versions that need it.
  if (color.intent) {
    command.push_back("-dRenderIntent=" + std::to_string(*color.intent & 3));
    command.push_back("-dOverrideRI");
  }
}

}  // namespace

SeparationRender::SeparationRender(int width, int height, double resolution,
                                   std::vector<Plane> planes, std::string messages)
    : width_(width),
      height_(height),
      resolution_(resolution),
      planes_(std::move(planes)),
      messages_(std::move(messages)) {
  for (const Plane& plane : planes_) {
    if (plane.width != width_ || plane.height != height_) {
      throw std::invalid_argument("The plane " + plane.name + " differs in size from the render");
    }
  }
}

const Plane* SeparationRender::Find(const std::string& name) const {
  for (const Plane& plane : planes_) {
    if (plane.name == name) return &plane;
  }
  return nullptr;
}

int SeparationRender::InkAt(const std::string& name, int column, int row) const {
  if (column < 0 || row < 0 || column >= width_ || row >= height_) {
    throw std::out_of_range("Pixel (" + std::to_string(column) + ", " + std::to_string(row) +
                            ") is outside the render");
  }
  const Plane* plane = Find(name);
  return plane ? plane->At(column, row) : 0;
}

double SeparationRender::TintAt(const std::string& name, double xInPoints, double yInPoints) const {
  const double scale = resolution_ / kPointsPerInch;
  const int column = static_cast<int>(std::floor(xInPoints * scale));
  const int row = height_ - 1 - static_cast<int>(std::floor(yInPoints * scale));
  return InkAt(name, column, row) / 255.0;
}

SeparationRender RenderPdfPage(const std::string& pdfPath, int page, double resolution,
                               ColorConversion conversion, EdgeRendering edges,
                               const ManagedColor& color, ChannelDepth depth) {
  if (page < 1) throw std::invalid_argument("Page numbers start at 1");
  if (!(resolution > 0)) throw std::invalid_argument("The resolution must be positive");
  Detail::TemporaryFolder folder;
  const auto log = folder.Path() / "log.txt";
  const auto pagePdf = folder.Path() / "page.pdf";
  // Selecting the page in Ghostscript together with many spots drops every spot paint
  // (10.0.0), so qpdf extracts it first.
  Detail::RunTool({"qpdf", "--warning-exit-0", pdfPath, "--pages", pdfPath, std::to_string(page),
                   "--", pagePdf.string()},
                  log);
  // Ghostscript expands %d in output names: a % in the temporary path must be doubled.
  std::string outputName;
  const bool deep = depth == ChannelDepth::Sixteen;
  for (char c : (folder.Path() / (deep ? "out.psd" : "out.tif")).string())
    outputName += c == '%' ? "%%" : std::string(1, c);
  char resolutionText[32];
  std::snprintf(resolutionText, sizeof resolutionText, "-r%g", resolution);
  const std::string alphaBits = edges == EdgeRendering::AntiAliased ? "4" : "1";
  std::vector<std::string> command{"gs", "-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", deep ? "-sDEVICE=psdcmyk16" : "-sDEVICE=tiffsep",
                                   resolutionText, "-dGraphicsAlphaBits=" + alphaBits,
                                   "-dTextAlphaBits=" + alphaBits,
                                   "-dMaxSpots=" + std::to_string(kMaxSpots), "-dInterpolateControl=0",
                                   "-sCompression=none", "-sOutputFile=" + outputName};
  // Ghostscript's non-ICC conversions: RGB (r, g, b) becomes CMYK (1 − r, 1 − g, 1 − b, 0).
  std::string rendered = pagePdf.string();
  if (conversion != ColorConversion::Managed) {
    const bool managed = conversion == ColorConversion::ManagedCmykGroups;
    if (!managed) command.push_back("-dUseFastColor=true");
    rendered = (folder.Path() / "process.pdf").string();
    Detail::BlendInProcessSpace(pagePdf.string(), rendered, managed && !color.intent);
    if (managed) AddManagedColor(color, pagePdf.string(), folder.Path(), command);
  }
  command.push_back(rendered);
  std::string messages = Detail::RunTool(command, log);
  std::vector<Plane> planes =
      deep ? Detail::ReadPsdPlanes(folder.Path() / "out.psd") : ReadPlanes(folder.Path());
  if (planes.empty()) throw std::runtime_error("Ghostscript wrote no separation planes");
  const int width = planes.front().width, height = planes.front().height;
  return SeparationRender(width, height, resolution, std::move(planes), std::move(messages));
}

SeparationRender RenderPdfBytes(const std::string& pdfBytes, int page, double resolution,
                                ColorConversion conversion, EdgeRendering edges,
                                const ManagedColor& color, ChannelDepth depth) {
  Detail::TemporaryFolder folder;
  const auto file = folder.Path() / "input.pdf";
  {
    std::ofstream out(file, std::ios::binary);
    out.write(pdfBytes.data(), static_cast<std::streamsize>(pdfBytes.size()));
    if (!out) throw std::runtime_error("Cannot write " + file.string());
  }
  return RenderPdfPage(file.string(), page, resolution, conversion, edges, color, depth);
}

}  // namespace CorvelOracle
