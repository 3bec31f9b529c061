#include "PdfTestSupport.h"

#include <gtest/gtest.h>
#include <io/pdf/PdfWriter.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace CorvelPdfTest {

Vexl::Rectangle PtRect(double x, double y, double width, double height) {
  return {Pt(x), Pt(y), Pt(width), Pt(height), false};
}

std::string QpdfCheck(const std::string& pdf, bool& passed) {
  std::string folder = (std::filesystem::temp_directory_path() / "corvel-pdf-test-XXXXXX").string();
  if (!mkdtemp(folder.data())) throw std::runtime_error("Cannot make a temporary folder");
  const std::string file = folder + "/check.pdf", log = folder + "/check.log";
  std::ofstream(file, std::ios::binary) << pdf;
  const int status = std::system(("qpdf --check '" + file + "' > '" + log + "' 2>&1").c_str());
  std::ostringstream output;
  output << std::ifstream(log).rdbuf();
  std::filesystem::remove_all(folder);
  if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) == 127) {
    throw std::runtime_error("Cannot run qpdf --check");
  }
  passed = WEXITSTATUS(status) == 0;
  return output.str();
}

CorvelOracle::SeparationRender WriteAndRender(const MavDoc::Document& document, double resolution) {
  const std::string pdf = CorvelPdf::WriteDocumentToString(document);
  bool passed = false;
  const std::string check = QpdfCheck(pdf, passed);
  EXPECT_TRUE(passed) << check;
  auto render = CorvelOracle::RenderPdfBytes(pdf, 1, resolution);
  EXPECT_EQ(render.GetMessages(), "") << "Ghostscript complained about the file";
  return render;
}

MavPaint::SeparationMapping Mapping(std::initializer_list<std::string> names) {
  MavPaint::SeparationMapping mapping;
  std::uint64_t channel = 0;
  for (const auto& name : names) mapping[name].channel = channel++;
  return mapping;
}

}  // namespace CorvelPdfTest
