// The progress line a terminal shows: pages done, and what the first page in flight is doing,
// drawn over itself, reported from several threads at once.
#include <gtest/gtest.h>

#include <cli/ProgressLine.h>

#include <sstream>
#include <thread>
#include <vector>

namespace {

using CorvelCli::ProgressLine;

TEST(ProgressLine, ShowsPagesDoneAndWhatTheFirstPageInFlightDoes) {
  std::ostringstream out;
  ProgressLine line(out, "big.pdf", 20, true);
  EXPECT_EQ(line.Text(), "corvel: big.pdf: 0 of 20 pages done");
  line.Phase(5, "making pieces", 1200, 2404);
  line.Phase(4, "rendering clusters", 0, 3);
  EXPECT_EQ(line.Text(), "corvel: big.pdf: 0 of 20 pages done; page 4: rendering clusters, 0 of 3");
  line.PageDone(4);
  EXPECT_EQ(line.Text(), "corvel: big.pdf: 1 of 20 pages done; page 5: making pieces, 1,200 of 2,404");
  line.PageDone(5);
  EXPECT_EQ(line.Text(), "corvel: big.pdf: 2 of 20 pages done");

  ProgressLine single(out, "one.pdf", 1, true);
  single.Phase(1, "mapping overlaps");
  EXPECT_EQ(single.Text(), "corvel: one.pdf: 0 of 1 page done; page 1: mapping overlaps");
}

TEST(ProgressLine, RedrawsOverItselfAndEndsWithOneNewline) {
  std::ostringstream out;
  {
    ProgressLine line(out, "a.pdf", 2, true);
    line.Phase(1, "finding what transparency touches");
    line.PageDone(1);  // a shorter line: spaces cover the rest of the longer one
    line.End();
    line.End();
  }
  const std::string text = out.str();
  const std::string longer = "corvel: a.pdf: 0 of 2 pages done; page 1: finding what transparency touches";
  const std::string shorter = "corvel: a.pdf: 1 of 2 pages done";
  EXPECT_EQ(text, "\r" + longer + "\r" + shorter + std::string(longer.size() - shorter.size(), ' ') + "\n");

  std::ostringstream quiet;
  {
    ProgressLine hidden(quiet, "a.pdf", 2, false);
    hidden.Phase(1, "reading");
    hidden.PageDone(1);
  }
  EXPECT_EQ(quiet.str(), "");
}

TEST(ProgressLine, PagesReportFromManyThreadsAtOnce) {
  std::ostringstream out;
  ProgressLine line(out, "many.pdf", 8, true);
  std::vector<std::thread> threads;
  for (int page = 1; page <= 8; ++page) {
    threads.emplace_back([&line, page] {
      for (std::size_t k = 0; k < 2000; ++k) line.Phase(page, "making pieces", k, 2000);
      line.PageDone(page);
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(line.Text(), "corvel: many.pdf: 8 of 8 pages done");
  line.End();
  EXPECT_EQ(out.str().back(), '\n');
}

}  // namespace
