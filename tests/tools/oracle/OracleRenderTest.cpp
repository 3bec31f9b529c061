// The oracle end to end: Ghostscript renders of small written pages, and the command.
#include <gtest/gtest.h>
#include <io/pdf/PdfWriter.h>
#include <mavdoc/Builder.h>
#include <sys/wait.h>
#include <tools/oracle/Comparison.h>
#include <tools/oracle/SeparationRender.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

using MavDoc::Build::Add;
using MavDoc::Build::Flat;

// A 100 × 100 pt page with a cyan square at (x, 20) and, when `spotTint` is set, a spot square.
std::string SquarePage(double x, std::optional<float> spotTint = std::nullopt) {
  MavDoc::Document document;
  document.AddSeparation({"Spot", MavDoc::Separation::kNormalInk, {{1, 0, 0, 0}}});
  auto& page = document.AddPage({0, 0, 100000, 100000, false});
  Add(page.GetContent(), MavDoc::Build::FilledRectangle({x * 1000, 20000, 40000, 40000, false},
                                                        Flat({{"Cyan", .5f}})));
  if (spotTint) {
    Add(page.GetContent(), MavDoc::Build::FilledRectangle({70000, 70000, 20000, 20000, false},
                                                          Flat({{"Spot", *spotTint}})));
  }
  return CorvelPdf::WriteDocumentToString(document);
}

TEST(OracleRender, PlanesHoldInkAtTheResolutionAsked) {
  const auto render = CorvelOracle::RenderPdfBytes(SquarePage(20, .75f), 1, 36);
  EXPECT_EQ(render.GetWidth(), 50);
  EXPECT_EQ(render.GetHeight(), 50);
  ASSERT_NE(render.Find("Spot"), nullptr);
  // Cyan .5 truncates to level 127 of ink; the square's pixel (20, 30) from the top left.
  EXPECT_NEAR(render.InkAt("Cyan", 20, 30), 127.5, 1);
  EXPECT_EQ(render.InkAt("Cyan", 2, 2), 0);
  EXPECT_NEAR(render.TintAt("Spot", 80, 80), .75, 2.0 / 255);
  EXPECT_EQ(render.InkAt("Yellow", 20, 30), 0);
  EXPECT_EQ(render.GetMessages(), "");
}

TEST(OracleRender, PageComparedWithItselfAndWithAShiftedCopy) {
  const auto original = CorvelOracle::RenderPdfBytes(SquarePage(20));
  const auto same = CorvelOracle::Compare(original, CorvelOracle::RenderPdfBytes(SquarePage(20)));
  EXPECT_TRUE(same.Agrees()) << same.Report();
  for (const auto& s : same.separations) EXPECT_EQ(s.maxDifference, 0) << s.name;

  const auto shifted =
      CorvelOracle::Compare(original, CorvelOracle::RenderPdfBytes(SquarePage(30)));
  EXPECT_FALSE(shifted.Agrees());
  // Columns 20–29 and 60–69 differ; the bands of the edges at 20, 30, 60 and 70 leave columns
  // 23–26 and 63–66, on rows 43–76 (edges at rows 40 and 80): 2 × 4 × 34 pixels.
  EXPECT_EQ(shifted.separations.front().name, "Cyan");
  EXPECT_EQ(shifted.separations.front().pixelsOver, 272u);
}

// A 100 × 100 pt page drawing `content` with graphics states `states` (the inside of an
// /ExtGState dictionary); `form`, when given, is object 5: a 100 × 100 pt transparency group
// form in DeviceGray (a soft mask's) drawing it.
std::string RawPage(const std::string& content, const std::string& states,
                    const std::string& form = {}) {
  std::vector<std::string> objects{
      "<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
      "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 100 100] /Resources << /ExtGState << " +
          states + " >> >> /Contents 4 0 R >>",
      "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream"};
  if (!form.empty()) {
    objects.push_back("<< /Type /XObject /Subtype /Form /BBox [0 0 100 100] /Group << /S "
                      "/Transparency /CS /DeviceGray >> /Length " +
                      std::to_string(form.size()) + " >>\nstream\n" + form + "\nendstream");
  }
  std::string pdf = "%PDF-1.7\n";
  std::vector<std::size_t> offsets;
  for (std::size_t i = 0; i < objects.size(); ++i) {
    offsets.push_back(pdf.size());
    pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
  }
  const std::size_t table = pdf.size();
  pdf += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
  for (const std::size_t offset : offsets) {
    char line[32];
    std::snprintf(line, sizeof line, "%010zu 00000 n \n", offset);
    pdf += line;
  }
  pdf += "trailer\n<< /Size " + std::to_string(objects.size() + 1) +
         " /Root 1 0 R >>\nstartxref\n" + std::to_string(table) + "\n%%EOF\n";
  return pdf;
}

TEST(OracleRender, SixteenBitBuffersKeepTintsNearFullInkUnderColorDodge) {
  // K .998, then ColorDodge with no black: the backdrop's .002 of white dodged by a white
  // source is white, so no black (additive ColorDodge(.002, 1) = 1). Eight-bit buffers hold
  // the backdrop as full ink, whose ColorDodge is full ink.
  const std::string page = RawPage(
      "0 0 0 0.998 k 10 10 80 80 re f /D gs 0 0.225 0.606 0 k 30 30 40 40 re f",
      "/D << /BM /ColorDodge >>");
  using CorvelOracle::ChannelDepth;
  const auto deep = CorvelOracle::RenderPdfBytes(page, 1, 72, CorvelOracle::ColorConversion::Managed,
                                                 CorvelOracle::EdgeRendering::Aliased, {},
                                                 ChannelDepth::Sixteen);
  const auto shallow = CorvelOracle::RenderPdfBytes(page, 1, 72);
  EXPECT_EQ(deep.InkAt("Black", 50, 50), 0);
  EXPECT_EQ(shallow.InkAt("Black", 50, 50), 255);
  // Where nothing dodges, both hold the black (.998 of 255 is 254.5).
  EXPECT_NEAR(deep.InkAt("Black", 15, 50), 254.5, 1);
  EXPECT_NEAR(shallow.InkAt("Black", 15, 50), 254.5, 1);
  EXPECT_EQ(deep.InkAt("Magenta", 50, 50), 0);
}

TEST(OracleRender, SixteenBitRendersNameSpotPlanesAndRoundInk) {
  const auto render = CorvelOracle::RenderPdfBytes(
      SquarePage(20, .75f), 1, 36, CorvelOracle::ColorConversion::Managed,
      CorvelOracle::EdgeRendering::Aliased, {}, CorvelOracle::ChannelDepth::Sixteen);
  ASSERT_EQ(render.GetWidth(), 50);
  ASSERT_NE(render.Find("Spot"), nullptr);
  EXPECT_NEAR(render.InkAt("Cyan", 20, 30), 127.5, .6);
  EXPECT_NEAR(render.TintAt("Spot", 80, 80), .75, 1.0 / 255);
  EXPECT_EQ(render.InkAt("Spot", 2, 2), 0);
  // A page without spots has the four process planes only.
  const auto process = CorvelOracle::RenderPdfBytes(
      SquarePage(20), 1, 36, CorvelOracle::ColorConversion::Managed,
      CorvelOracle::EdgeRendering::Aliased, {}, CorvelOracle::ChannelDepth::Sixteen);
  EXPECT_EQ(process.GetPlanes().size(), 4u);
}

TEST(OracleRender, GrayLuminosityMaskMasksByItsGrayValue) {
  // A .35 gray soft mask over full cyan leaves .35 of cyan; the mask's graphics state sits in
  // the page's resources, not in an object of its own.
  const std::string page =
      RawPage("/M gs 1 0 0 0 k 10 10 80 80 re f",
              "/M << /SMask << /S /Luminosity /G 5 0 R >> >>", "0.35 g 0 0 100 100 re f");
  for (const auto depth : {CorvelOracle::ChannelDepth::Eight, CorvelOracle::ChannelDepth::Sixteen}) {
    const auto render = CorvelOracle::RenderPdfBytes(
        page, 1, 72, CorvelOracle::ColorConversion::ManagedCmykGroups,
        CorvelOracle::EdgeRendering::Aliased, {}, depth);
    EXPECT_NEAR(render.InkAt("Cyan", 50, 50), .35 * 255, 1.5);
    EXPECT_EQ(render.InkAt("Cyan", 5, 5), 0);
  }
}

TEST(OracleRender, MissingFileIsReportedWithTheToolsMessage) {
  try {
    CorvelOracle::RenderPdfPage("/nonexistent/file.pdf");
    FAIL() << "no error";
  } catch (const std::runtime_error& error) {
    EXPECT_NE(std::string(error.what()).find("qpdf"), std::string::npos) << error.what();
  }
}

// Runs the command on two files and returns its exit status and output.
int RunCommand(const std::string& first, const std::string& second, std::string& output) {
  std::string folder =
      (std::filesystem::temp_directory_path() / "corvel-oracle-test-XXXXXX").string();
  if (!mkdtemp(folder.data())) throw std::runtime_error("Cannot make a temporary folder");
  std::ofstream(folder + "/a.pdf", std::ios::binary) << first;
  std::ofstream(folder + "/b.pdf", std::ios::binary) << second;
  // Appended piece by piece: GCC 12 warns falsely (-Warray-bounds) on one long sum of strings.
  std::string command = "'";
  command += CORVEL_ORACLE_COMMAND;
  command += "' '" + folder + "/a.pdf' '";
  command += folder + "/b.pdf' --resolution 36 > '";
  command += folder + "/out.txt' 2>&1";
  const int status = std::system(command.c_str());
  std::ostringstream text;
  text << std::ifstream(folder + "/out.txt").rdbuf();
  output = text.str();
  std::filesystem::remove_all(folder);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(OracleCommand, ExitStatusSaysWhetherThePagesAgree) {
  std::string output;
  EXPECT_EQ(RunCommand(SquarePage(20), SquarePage(20), output), 0) << output;
  EXPECT_NE(output.find("Cyan"), std::string::npos) << output;
  EXPECT_EQ(RunCommand(SquarePage(20), SquarePage(20, .5f), output), 1) << output;
  EXPECT_NE(output.find("Spot"), std::string::npos) << output;
  EXPECT_NE(output.find("no plane in the first render"), std::string::npos) << output;
  EXPECT_EQ(RunCommand("not a pdf", SquarePage(20), output), 2) << output;
}

}  // namespace
