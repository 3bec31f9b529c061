#include <cli/ProgressLine.h>

#include <algorithm>

namespace CorvelCli {

namespace {

constexpr auto kProgressRedrawEvery = std::chrono::milliseconds(200);

// 2404 as "2,404": counts on the line read as the report's do.
std::string GroupedCount(std::size_t value) {
  std::string digits = std::to_string(value), text;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) text += ',';
    text += digits[i];
  }
  return text;
}

}  // namespace

ProgressLine::ProgressLine(std::ostream& out, std::string name, int pages, bool shown)
    : out_(out), name_(std::move(name)), pages_(pages), shown_(shown) {}

ProgressLine::~ProgressLine() { End(); }

void ProgressLine::Phase(int page, std::string_view phase, std::size_t done, std::size_t total) {
  std::string text(phase);
  if (total > 0) text += ", " + GroupedCount(done) + " of " + GroupedCount(total);
  const std::lock_guard lock(mutex_);
  std::string& shown = phases_[page];
  // A new phase shows at once (phases change a few times a page); counts when time allows.
  const bool newPhase = shown.compare(0, phase.size(), phase) != 0;
  shown = std::move(text);
  if (newPhase || std::chrono::steady_clock::now() - lastDrawn_ >= kProgressRedrawEvery) DrawLocked();
}

void ProgressLine::PageDone(int page) {
  const std::lock_guard lock(mutex_);
  ++done_;
  phases_.erase(page);
  DrawLocked();
}

void ProgressLine::End() {
  const std::lock_guard lock(mutex_);
  if (shown_ && drawn_) out_ << "\n" << std::flush;
  drawn_ = false;
  drawnWidth_ = 0;
}

std::string ProgressLine::Text() const {
  const std::lock_guard lock(mutex_);
  return TextLocked();
}

std::string ProgressLine::TextLocked() const {
  std::string text = "corvel: " + name_ + ": " + std::to_string(done_) + " of " +
                     std::to_string(pages_) + (pages_ == 1 ? " page done" : " pages done");
  if (!phases_.empty()) {
    const auto& [page, phase] = *phases_.begin();
    text += "; page " + std::to_string(page) + ": " + phase;
  }
  return text;
}

void ProgressLine::DrawLocked() {
  lastDrawn_ = std::chrono::steady_clock::now();
  if (!shown_) return;
  const std::string text = TextLocked();
  // Spaces over what a longer line before left.
  out_ << "\r" << text << std::string(drawnWidth_ > text.size() ? drawnWidth_ - text.size() : 0, ' ')
       << std::flush;
  drawnWidth_ = text.size();
  drawn_ = true;
}

}  // namespace CorvelCli
