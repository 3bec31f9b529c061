#include <raster/RenderLimit.h>

#include <cmath>
#include <cstdio>

namespace Corvel {

namespace {

// Just under the exact factor: the rounded pixel grid must not land above the limit.
constexpr double kRenderLimitMargin = 0.995;

std::string MillionsOf(double count) {
  char text[32];
  if (count >= 1e6) {
    std::snprintf(text, sizeof text, "%.0f million", count / 1e6);
  } else {
    std::snprintf(text, sizeof text, "%.0f", count);
  }
  return text;
}

}  // namespace

double RenderScaleWithin(double pixels, std::size_t inks, double limit) {
  const double samples = pixels * static_cast<double>(inks);
  if (limit <= 0 || samples <= limit) return 1;
  return std::sqrt(limit / samples) * kRenderLimitMargin;
}

void NoteCoarserRender(std::vector<std::string>* warnings, double pixels, std::size_t inks,
                       double scale, double limit) {
  if (!warnings) return;
  char factor[32];
  std::snprintf(factor, sizeof factor, "%.2f", scale);
  warnings->push_back("a rendered area would hold " + MillionsOf(pixels * double(inks)) +
                      " samples (" + std::to_string(inks) + (inks == 1 ? " ink" : " inks") +
                      "): it was rendered at " + factor +
                      " times its resolution each way, to stay within " + MillionsOf(limit) + " samples");
}

}  // namespace Corvel
