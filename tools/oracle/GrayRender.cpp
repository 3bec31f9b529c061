#include <tools/oracle/GrayRender.h>
#include <tools/oracle/ToolRunInternal.h>

#include <cctype>
#include <charconv>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace CorvelOracle {

namespace {

// The next number of a PGM header, skipping white space and # comments.
int HeaderNumber(const std::string& bytes, std::size_t& at) {
  while (at < bytes.size() &&
         (std::isspace(static_cast<unsigned char>(bytes[at])) || bytes[at] == '#')) {
    if (bytes[at] == '#') {
      while (at < bytes.size() && bytes[at] != '\n') ++at;
    } else {
      ++at;
    }
  }
  int value = 0;
  const auto [end, error] = std::from_chars(bytes.data() + at, bytes.data() + bytes.size(), value);
  if (error != std::errc())
    throw std::runtime_error("Ghostscript wrote a gray image without a size");
  at = static_cast<std::size_t>(end - bytes.data());
  return value;
}

// Binary PGM (P5) of 8-bit samples, as Ghostscript's pgmraw device writes it.
GrayRender ReadPgm(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), {}};
  if (bytes.rfind("P5", 0) != 0) throw std::runtime_error("Ghostscript wrote no gray image");
  std::size_t at = 2;
  GrayRender render;
  render.width = HeaderNumber(bytes, at);
  render.height = HeaderNumber(bytes, at);
  if (HeaderNumber(bytes, at) != 255)
    throw std::runtime_error("Ghostscript wrote a gray image deeper than 8 bits");
  ++at;  // the single white space before the samples
  const std::size_t size = std::size_t(render.width) * std::size_t(render.height);
  if (render.width <= 0 || render.height <= 0 || bytes.size() < at + size)
    throw std::runtime_error("Ghostscript wrote a truncated gray image");
  render.gray.assign(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                     bytes.begin() + static_cast<std::ptrdiff_t>(at + size));
  return render;
}

}  // namespace

GrayRender RenderGrayPage(const std::string& pdfPath, int page, double resolution) {
  if (page < 1) throw std::invalid_argument("Page numbers start at 1");
  if (!(resolution > 0)) throw std::invalid_argument("The resolution must be positive");
  Detail::TemporaryFolder folder;
  // Ghostscript expands %d in output names: a % in the temporary path must be doubled.
  std::string outputName;
  for (char c : (folder.Path() / "page.pgm").string())
    outputName += c == '%' ? "%%" : std::string(1, c);
  char resolutionText[32];
  const auto written =
      std::to_chars(resolutionText, resolutionText + sizeof resolutionText - 1, resolution);
  *written.ptr = '\0';
  Detail::RunTool({"gs", "-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-sDEVICE=pgmraw",
                   std::string("-r") + resolutionText, "-dTextAlphaBits=4", "-dGraphicsAlphaBits=4",
                   "-dUseCropBox",
                   "-dFirstPage=" + std::to_string(page), "-dLastPage=" + std::to_string(page),
                   "-sOutputFile=" + outputName, pdfPath},
                  folder.Path() / "log.txt");
  return ReadPgm(folder.Path() / "page.pgm");
}

}  // namespace CorvelOracle
