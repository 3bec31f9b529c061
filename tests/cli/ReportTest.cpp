// The JSON report stays valid JSON whatever the file names and messages hold.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cli/Report.h>

namespace {

TEST(Report, ControlCharactersAndBrokenUtf8StayValidJson) {
  CorvelCli::FileReport report;
  report.pageCount = 2;
  report.warnings = {"tab\there, newline\nhere, quote \" and backslash \\", "bell \x07"};
  CorvelCli::PageReport page;
  page.number = 1;
  page.leftAsItWas = "image /Im\x01: broken";
  report.pages.push_back(page);
  const std::string input = "folder/na\xffme\x1f.pdf";
  const auto parsed = nlohmann::json::parse(CorvelCli::ReportJson(input, "out \xc3\xa9.pdf", report));
  EXPECT_EQ(parsed["warnings"][0], "tab\there, newline\nhere, quote \" and backslash \\");
  EXPECT_EQ(parsed["warnings"][1], "bell \x07");
  EXPECT_EQ(parsed["output"], "out \xc3\xa9.pdf");
  // The byte that is not UTF-8 becomes U+FFFD; the rest of the name survives.
  EXPECT_EQ(parsed["input"], "folder/na\xef\xbf\xbdme\x1f.pdf");
  EXPECT_EQ(parsed["pages"][0]["leftAsItWas"], "image /Im\x01: broken");
  EXPECT_EQ(parsed["pages"][0]["page"], 1);
  EXPECT_FALSE(parsed["pages"][0]["replaced"]);
}

}  // namespace
