// Several files in one call, as a user runs `corvel flatten a.pdf b.pdf -o out/`: outputs and
// reports under the inputs' names in the folders given, one file's failure leaving the others
// done, the worst status, and the calls refused before anything runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include <cli/FileBatch.h>

#include "ProgramRun.h"

namespace CorvelTest {
namespace {

namespace fs = std::filesystem;

Outcome Corvel(const std::vector<std::string>& arguments) {
  return RunProgram(CORVEL_COMMAND, arguments);
}

std::set<std::string> Names(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename());
  return names;
}

class FileBatch : public ::testing::Test {
 protected:
  fs::path folder = fs::temp_directory_path() /
                    ("corvel-batch-" + std::to_string(::getpid()) + "-" +
                     ::testing::UnitTest::GetInstance()->current_test_info()->name());
  fs::path inputs = folder / "in";

  void SetUp() override {
    fs::create_directories(inputs);
    fs::copy_file(fs::path(CORVEL_CORPUS_DIR) / "pdfjs__knockout_nested.pdf", inputs / "a.pdf");
    fs::copy_file(fs::path(CORVEL_CORPUS_DIR) / "pdfjs__blendmode.pdf", inputs / "c.pdf");
    std::ofstream(inputs / "b.pdf") << "not a PDF file\n";
  }
  void TearDown() override { fs::remove_all(folder); }
  std::string In(const std::string& name) const { return (inputs / name).string(); }
};

TEST_F(FileBatch, OneBadFileFailsAloneAndTheOthersAreWrittenUnderTheirNames) {
  const fs::path out = folder / "out" / "nested", reports = folder / "reports";
  const Outcome outcome = Corvel({"flatten", In("a.pdf"), In("b.pdf"), In("c.pdf"), "-o",
                                  out.string(), "--report", reports.string(), "--jobs", "2"});
  EXPECT_EQ(outcome.status, 1) << outcome.err;
  EXPECT_NE(outcome.err.find("corvel: " + In("b.pdf") + ": "), std::string::npos) << outcome.err;
  // No output and no temporary file for the failed one.
  EXPECT_EQ(Names(out), (std::set<std::string>{"a.pdf", "c.pdf"}));
  EXPECT_EQ(Names(reports), (std::set<std::string>{"a.json", "c.json"}));
  const std::string report = Slurp(reports / "c.json");
  EXPECT_NE(report.find("\"output\": \"" + (out / "c.pdf").string() + "\""), std::string::npos)
      << report;
  EXPECT_NE(report.find("\"replaced\": true"), std::string::npos) << report;
}

TEST_F(FileBatch, EveryFileDoneGivesStatusZero) {
  const Outcome outcome = Corvel({"flatten", In("a.pdf"), In("c.pdf"), "-o", (folder / "out").string()});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(Names(folder / "out"), (std::set<std::string>{"a.pdf", "c.pdf"}));
}

TEST_F(FileBatch, OneInputWritesIntoAnExistingFolder) {
  fs::create_directories(folder / "out");
  const Outcome outcome = Corvel({"outline", In("a.pdf"), "-o", (folder / "out").string()});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(Names(folder / "out"), std::set<std::string>{"a.pdf"});
}

TEST_F(FileBatch, CallsThatCannotPlaceTheirFilesAreUsageErrorsAndRunNothing) {
  const fs::path file = folder / "out.pdf";
  std::ofstream(file) << "kept";
  const Outcome notFolder = Corvel({"flatten", In("a.pdf"), In("c.pdf"), "-o", file.string()});
  EXPECT_EQ(notFolder.status, 2) << notFolder.err;
  EXPECT_NE(notFolder.err.find("corvel flatten: -o " + file.string() +
                               " is a file: with several inputs it names the folder that "
                               "receives them"),
            std::string::npos)
      << notFolder.err;
  EXPECT_EQ(Slurp(file), "kept");

  fs::create_directories(folder / "other");
  fs::copy_file(inputs / "a.pdf", folder / "other" / "a.pdf");
  const Outcome twice = Corvel({"flatten", In("a.pdf"), (folder / "other" / "a.pdf").string(), "-o",
                                (folder / "out").string()});
  EXPECT_EQ(twice.status, 2) << twice.err;
  EXPECT_NE(twice.err.find("two inputs are named a.pdf"), std::string::npos) << twice.err;
  EXPECT_FALSE(fs::exists(folder / "out"));

  const Outcome noJobs = Corvel({"flatten", In("a.pdf"), "-o", file.string(), "--jobs", "0"});
  EXPECT_EQ(noJobs.status, 2);
  EXPECT_NE(noJobs.err.find("--jobs: 0 is out of range: 1 to 256"), std::string::npos) << noJobs.err;
}

TEST(FileBatchStatus, TheWorstStatusOfTheFilesWins) {
  using CorvelCli::WorseStatus;
  // From best to worst: done, pages left as they were, prints differently, failed, usage.
  const std::vector<int> order{0, 3, 4, 1, 2};
  for (std::size_t better = 0; better < order.size(); ++better) {
    for (std::size_t worse = better; worse < order.size(); ++worse) {
      EXPECT_EQ(WorseStatus(order[better], order[worse]), order[worse]);
      EXPECT_EQ(WorseStatus(order[worse], order[better]), order[worse]);
    }
  }
}

}  // namespace
}  // namespace CorvelTest
