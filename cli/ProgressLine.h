#pragma once
// The one line of progress a long run keeps on a terminal: pages done, and what the first page
// still in flight is doing ("corvel: big.pdf: 3 of 20 pages done; page 4: making pieces, 1,200
// of 2,404"). Pages are flattened on several threads at once; any may report its phase.

#include <chrono>
#include <cstddef>
#include <map>
#include <mutex>
#include <ostream>
#include <string>
#include <string_view>

namespace CorvelCli {

class ProgressLine {
 public:
  // Draws nothing when `shown` is false (output not a terminal).
  ProgressLine(std::ostream& out, std::string name, int pages, bool shown);
  ~ProgressLine();
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  // What page `page` is doing; `total` 0 for a phase without a count. A new phase is drawn at
  // once; a new count at most five times a second, so counts may be reported as often as work
  // allows.
  void Phase(int page, std::string_view phase, std::size_t done = 0, std::size_t total = 0);
  // Page `page` is written back: one more page done, and its phase is gone. Always redraws.
  void PageDone(int page);
  // Ends the line (a newline after it, when something was drawn), before a message or at the
  // end; also done by the destructor.
  void End();

  // The text the line shows now.
  std::string Text() const;

 private:
  std::string TextLocked() const;
  void DrawLocked();

  std::ostream& out_;
  const std::string name_;
  const int pages_;
  const bool shown_;
  mutable std::mutex mutex_;
  int done_ = 0;
  std::map<int, std::string> phases_;  // by page number, of the pages in flight
  std::size_t drawnWidth_ = 0;
  bool drawn_ = false;
  std::chrono::steady_clock::time_point lastDrawn_{};
};

}  // namespace CorvelCli
