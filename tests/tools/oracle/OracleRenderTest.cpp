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
