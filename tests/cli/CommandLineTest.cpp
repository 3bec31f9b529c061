// The three programs' command lines as a user meets them: what is refused (exit status 2, a
// message on stderr naming the option, the value and what is allowed), what --help lists, and
// that a page range the file does not have writes nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ProgramRun.h"

namespace {

namespace fs = std::filesystem;
using CorvelTest::Outcome;
using CorvelTest::RunProgram;

Outcome Corvel(const std::vector<std::string>& arguments) {
  return RunProgram(CORVEL_COMMAND, arguments);
}

const std::string kOnePage = std::string(CORVEL_CORPUS_DIR) + "/pdfjs__knockout_nested.pdf";

// A usage error: status 2, nothing on stdout, and every expected piece in the message.
void ExpectUsageError(const Outcome& outcome, const std::vector<std::string>& pieces) {
  EXPECT_EQ(outcome.status, 2) << outcome.err;
  EXPECT_EQ(outcome.out, "");
  for (const auto& piece : pieces)
    EXPECT_NE(outcome.err.find(piece), std::string::npos) << outcome.err;
}

std::vector<std::string> Flatten(std::vector<std::string> options) {
  options.insert(options.begin(), {"flatten", kOnePage, "-o", "/nonexistent/out.pdf"});
  return options;
}

TEST(CommandLine, NumbersMustParseWhole) {
  ExpectUsageError(Corvel(Flatten({"--resolution", "300abc"})),
                   {"corvel flatten: --resolution: '300abc' is not a number (pixels per inch)"});
  ExpectUsageError(Corvel(Flatten({"--line-art-resolution", "1e999"})),
                   {"--line-art-resolution", "'1e999'"});
  ExpectUsageError(Corvel(Flatten({"--gradient-resolution", "nan"})),
                   {"--gradient-resolution", "'nan'"});
  ExpectUsageError(Corvel(Flatten({"--pages", "2-x"})), {"--pages: '2-x' is not a page range"});
  ExpectUsageError(Corvel(Flatten({"--jpeg-quality", "85.5"})),
                   {"corvel flatten: --jpeg-quality: '85.5' is not a whole number"});
  ExpectUsageError(RunProgram(CORVEL_ORACLE_COMMAND, {"a.pdf", "b.pdf", "--page", "1.5"}),
                   {"corvel-oracle: --page: '1.5' is not a whole number"});
  ExpectUsageError(RunProgram(CORVEL_ORACLE_COMMAND, {"a.pdf", "b.pdf", "--resolution", "72dpi"}),
                   {"--resolution: '72dpi' is not a number"});
}

TEST(CommandLine, ValuesOutOfRangeNameTheRange) {
  ExpectUsageError(Corvel(Flatten({"--resolution", "0"})),
                   {"--resolution: 0 is out of range: pixels per inch from 1 to 9600"});
  ExpectUsageError(Corvel(Flatten({"--gradient-resolution", "9601"})),
                   {"9601 is out of range", "1 to 9600"});
  ExpectUsageError(Corvel(Flatten({"--pages", "3-2"})),
                   {"'3-2' is not a page range: give N or A-B with 1 <= A <= B"});
  ExpectUsageError(Corvel(Flatten({"--pages", "0"})), {"'0' is not a page range"});
  ExpectUsageError(Corvel(Flatten({"--jpeg-quality", "0"})),
                   {"--jpeg-quality: 0 is out of range: 1 to 100"});
  ExpectUsageError(Corvel(Flatten({"--jpeg-quality", "101"})), {"101 is out of range: 1 to 100"});
  ExpectUsageError(RunProgram(CORVEL_ORACLE_COMMAND, {"a.pdf", "b.pdf", "--page", "0"}),
                   {"--page: 0 is out of range: from 1"});
  ExpectUsageError(RunProgram(CORVEL_ORACLE_COMMAND, {"a.pdf", "b.pdf", "--resolution", "-72"}),
                   {"above 0"});
  ExpectUsageError(
      RunProgram(CORVEL_CATALOGUE_COMMAND, {"--resolution", "5"}),
      {"corvel-catalogue: --resolution: 5 is out of range: pixels per inch from 10 to 1200"});
}

TEST(CommandLine, UnknownChoicesListTheAllowedValues) {
  ExpectUsageError(Corvel(Flatten({"--select", "some"})),
                   {"--select: 'some' is not allowed: choose involved or all"});
  ExpectUsageError(Corvel(Flatten({"--intent", "vivid"})),
                   {"'vivid' is not allowed: choose perceptual, relative, saturation or absolute"});
  ExpectUsageError(Corvel(Flatten({"--overprint", "keep"})),
                   {"choose simulate, preserve or discard"});
  ExpectUsageError(Corvel(Flatten({"--color-conversion", "exact"})), {"choose managed or naive"});
  ExpectUsageError(Corvel(Flatten({"--raster-compression", "zip"})),
                   {"--raster-compression: 'zip' is not allowed: choose auto, flate or jpeg"});
  ExpectUsageError(Corvel(Flatten({"--pdf-version", "1.8"})),
                   {"choose 1.3, 1.4, 1.5, 1.6, 1.7 or 2.0"});
  ExpectUsageError(RunProgram(CORVEL_CATALOGUE_COMMAND, {"groups", "no-such-case"}),
                   {"'no-such-case' is not allowed: choose blend-modes-process,", "groups"});
}

TEST(CommandLine, UnknownOptionsAndMissingArgumentsAreRefused) {
  ExpectUsageError(Corvel(Flatten({"--resolutoin", "300"})),
                   {"corvel flatten: unknown option --resolutoin"});
  ExpectUsageError(Corvel({"info", kOnePage, "--verbose"}),
                   {"corvel info: unknown option --verbose"});
  ExpectUsageError(Corvel({"info", kOnePage, "second.pdf"}),
                   {"corvel info: unexpected argument 'second.pdf'"});
  ExpectUsageError(Corvel({"flatten", kOnePage}), {"-o is required"});
  ExpectUsageError(Corvel({"info"}), {"input is required"});
  ExpectUsageError(Corvel({"frobnicate"}), {"corvel: unexpected argument 'frobnicate'"});
  EXPECT_EQ(Corvel({}).status, 2);
  ExpectUsageError(RunProgram(CORVEL_ORACLE_COMMAND, {"a.pdf", "b.pdf", "--bogus"}),
                   {"corvel-oracle: unknown option --bogus"});
  ExpectUsageError(RunProgram(CORVEL_ORACLE_COMMAND, {"a.pdf"}), {"b.pdf is required"});
  ExpectUsageError(
      RunProgram(CORVEL_ORACLE_COMMAND, {"a.pdf", "b.pdf", "--simple-color", "--cmyk-groups"}),
      {"--simple-color excludes --cmyk-groups"});
  ExpectUsageError(RunProgram(CORVEL_CATALOGUE_COMMAND, {"-x"}),
                   {"corvel-catalogue: unknown option -x"});
}

TEST(CommandLine, APageRangeBeyondTheFileNamesItsPageCountAndWritesNothing) {
  const fs::path output =
      fs::temp_directory_path() / ("corvel-range-" + std::to_string(::getpid()) + ".pdf");
  const Outcome start = Corvel({"flatten", kOnePage, "-o", output.string(), "--pages", "5-9"});
  ExpectUsageError(start, {"corvel flatten: --pages starts at page 5 but the file has 1 page"});
  const Outcome end = Corvel({"outline", kOnePage, "-o", output.string(), "--pages", "1-3"});
  ExpectUsageError(end, {"corvel outline: --pages ends at page 3 but the file has 1 page"});
  EXPECT_FALSE(fs::exists(output));
}

// Inputs that cannot be opened: status 1, the file named once and what is wrong with it, nothing
// written.
TEST(CommandLine, InputsThatAreNoPdfFileSaySoAndWriteNothing) {
  const fs::path folder =
      fs::temp_directory_path() / ("corvel-inputs-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  const fs::path empty = folder / "empty.pdf", output = folder / "out.pdf";
  { std::ofstream touch(empty); }
  const Outcome fromEmpty = Corvel({"flatten", empty.string(), "-o", output.string()});
  EXPECT_EQ(fromEmpty.status, 1);
  EXPECT_EQ(fromEmpty.err, "corvel: " + empty.string() + ": the file is empty\n");
  const Outcome fromFolder = Corvel({"flatten", folder.string(), "-o", output.string()});
  EXPECT_EQ(fromFolder.status, 1);
  EXPECT_EQ(fromFolder.err, "corvel: " + folder.string() + ": a directory, not a PDF file\n");
  const Outcome info = Corvel({"info", empty.string()});
  EXPECT_EQ(info.status, 1);
  EXPECT_EQ(info.err, "corvel: " + empty.string() + ": the file is empty\n");
  const fs::path missing = folder / "missing.pdf";
  const Outcome fromMissing = Corvel({"flatten", missing.string(), "-o", output.string()});
  EXPECT_EQ(fromMissing.status, 1);
  EXPECT_NE(fromMissing.err.find("No such file"), std::string::npos) << fromMissing.err;
  EXPECT_FALSE(fs::exists(output));
  fs::remove_all(folder);
}

TEST(CommandLine, EveryOptionIsAcceptedAsBefore) {
  const fs::path output =
      fs::temp_directory_path() / ("corvel-options-" + std::to_string(::getpid()) + ".pdf");
  const Outcome outcome = Corvel({"flatten",
                                  kOnePage,
                                  "-o",
                                  output.string(),
                                  "--pages",
                                  "1",
                                  "--resolution",
                                  "150",
                                  "--gradient-resolution",
                                  "75.5",
                                  "--select",
                                  "all",
                                  "--ink-type-stacking",
                                  "--intent",
                                  "relative",
                                  "--overprint",
                                  "preserve",
                                  "--pdf-version",
                                  "1.7",
                                  "--color-conversion",
                                  "naive",
                                  "--raster-compression",
                                  "jpeg",
                                  "--jpeg-quality",
                                  "75",
                                  "--strict"});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_TRUE(fs::exists(output));
  fs::remove(output);
  const Outcome version = Corvel({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_NE(version.out.find("0.1"), std::string::npos) << version.out;
}

// --help exits 0 and lists every option with its default.
void ExpectHelpLists(const Outcome& outcome, const std::vector<std::string>& pieces) {
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  for (const auto& piece : pieces)
    EXPECT_NE(outcome.out.find(piece), std::string::npos) << piece << " in\n" << outcome.out;
}

TEST(CommandLine, HelpListsEveryOptionWithItsDefault) {
  ExpectHelpLists(Corvel({"--help"}), {"flatten", "outline", "info", "example", "--version"});
  const std::vector<std::string> pageOptions{
      "-o out.pdf",
      "--pages A-B",
      "--line-art-resolution PPI:[1, 9600]=1200",
      "--gradient-resolution PPI:[1, 9600]=300",
      "--resolution PPI",
      "--ink-type-stacking",
      "--select involved|all=involved",
      "--pdf-version",
      "--strict",
      "--verify",
      "--report",
      "--color-conversion managed|naive=managed",
      "--output-profile",
      "--rgb-profile",
      "--gray-profile",
      "--intent perceptual|relative|saturation|absolute=perceptual",
      "--overprint simulate|preserve|discard=preserve",
      "--raster-compression auto|flate|jpeg=auto",
      "--jpeg-quality Q:1 to 100=90",
      "--jobs N:1 to 256=the number of cores",
      "Exit status"};
  ExpectHelpLists(Corvel({"flatten", "--help"}), pageOptions);
  ExpectHelpLists(Corvel({"outline", "--help"}), pageOptions);
  ExpectHelpLists(Corvel({"info", "--help"}), {"in.pdf"});
  ExpectHelpLists(Corvel({"example", "--help"}), {"--outline", "--out DIR"});
  ExpectHelpLists(RunProgram(CORVEL_ORACLE_COMMAND, {"--help"}),
                  {"--page N:1 or more=1", "--resolution R:> 0=72", "--simple-color",
                   "--cmyk-groups", "Exit status"});
  ExpectHelpLists(RunProgram(CORVEL_CATALOGUE_COMMAND, {"--help"}),
                  {"--out DIR=out", "--resolution R:[10, 1200]=150", "CASE", "Exit status"});
}

}  // namespace
