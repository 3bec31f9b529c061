#include <tools/oracle/Comparison.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace CorvelOracle {

namespace {

using Mask = std::vector<std::uint8_t>;

// Marks both pixels of every neighbouring pair (right and below) whose ink steps by more than
// the tolerance.
void MarkSteps(const Plane& plane, int tolerance, Mask& steps) {
  const int w = plane.width, h = plane.height;
  for (int row = 0; row < h; ++row) {
    for (int column = 0; column < w; ++column) {
      const int here = plane.At(column, row);
      const std::size_t index = static_cast<std::size_t>(row) * w + column;
      if (column + 1 < w && std::abs(here - plane.At(column + 1, row)) > tolerance) {
        steps[index] = steps[index + 1] = 1;
      }
      if (row + 1 < h && std::abs(here - plane.At(column, row + 1)) > tolerance) {
        steps[index] = steps[index + w] = 1;
      }
    }
  }
}

// Grows the marked pixels by `radius` in every direction (a square neighbourhood), one axis at
// a time.
Mask Dilate(const Mask& marks, int w, int h, int radius) {
  Mask across(marks.size(), 0), result(marks.size(), 0);
  for (int row = 0; row < h; ++row) {
    for (int column = 0; column < w; ++column) {
      if (!marks[static_cast<std::size_t>(row) * w + column]) continue;
      for (int c = std::max(0, column - radius); c <= std::min(w - 1, column + radius); ++c) {
        across[static_cast<std::size_t>(row) * w + c] = 1;
      }
    }
  }
  for (int row = 0; row < h; ++row) {
    for (int column = 0; column < w; ++column) {
      if (!across[static_cast<std::size_t>(row) * w + column]) continue;
      for (int r = std::max(0, row - radius); r <= std::min(h - 1, row + radius); ++r) {
        result[static_cast<std::size_t>(r) * w + column] = 1;
      }
    }
  }
  return result;
}

std::vector<std::string> SeparationNames(const SeparationRender& first,
                                         const SeparationRender& second) {
  std::vector<std::string> names;
  for (const auto* render : {&first, &second}) {
    for (const Plane& plane : render->GetPlanes()) {
      if (std::find(names.begin(), names.end(), plane.name) == names.end()) {
        names.push_back(plane.name);
      }
    }
  }
  const std::vector<std::string> process{"Cyan", "Magenta", "Yellow", "Black"};
  const auto rank = [&](const std::string& n) {
    return std::find(process.begin(), process.end(), n) - process.begin();
  };
  std::sort(names.begin(), names.end(), [&](const std::string& a, const std::string& b) {
    return rank(a) != rank(b) ? rank(a) < rank(b) : a < b;
  });
  return names;
}

SeparationDifference CompareSeparation(const std::string& name, const SeparationRender& first,
                                       const SeparationRender& second, const Mask& band,
                                       int tolerance) {
  const Plane* a = first.Find(name);
  const Plane* b = second.Find(name);
  SeparationDifference difference{name, a != nullptr, b != nullptr};
  const int w = first.GetWidth();
  for (std::size_t i = 0; i < band.size(); ++i) {
    if (band[i]) continue;
    ++difference.pixelsCompared;
    const int inkA = a ? a->ink[i] : 0, inkB = b ? b->ink[i] : 0;
    const int delta = std::abs(inkA - inkB);
    if (delta > tolerance && delta > difference.maxDifference) {
      difference.worstColumn = static_cast<int>(i % w);
      difference.worstRow = static_cast<int>(i / w);
      difference.worstFirstInk = inkA;
      difference.worstSecondInk = inkB;
    }
    difference.maxDifference = std::max(difference.maxDifference, delta);
    if (delta <= tolerance) continue;
    if (difference.pixelsOver++ == 0) {
      difference.firstColumn = static_cast<int>(i % w);
      difference.firstRow = static_cast<int>(i / w);
    }
  }
  return difference;
}

}  // namespace

bool Comparison::Agrees() const {
  return std::all_of(separations.begin(), separations.end(),
                     [](const SeparationDifference& s) { return s.pixelsOver == 0; });
}

std::string Comparison::Report() const {
  char line[256];
  std::snprintf(
      line, sizeof line,
      "%d x %d pixels, tolerance %d/255, outline band %d pixels (%zu pixels not compared)\n", width,
      height, options.tolerance, options.band, pixelsInBand);
  std::string report = line;
  for (const SeparationDifference& s : separations) {
    const char* presence = s.inFirst && s.inSecond ? ""
                           : s.inFirst             ? "  (no plane in the second render)"
                                                   : "  (no plane in the first render)";
    std::snprintf(line, sizeof line, "%-24s max %.4f (%3d/255)  over %zu of %zu (%.2f%%)",
                  s.name.c_str(), s.maxDifference / 255.0, s.maxDifference, s.pixelsOver,
                  s.pixelsCompared, 100.0 * s.ShareOver());
    report += line;
    if (s.pixelsOver > 0) {
      std::snprintf(line, sizeof line, ", first at (%d, %d), worst at (%d, %d) %d vs %d  DIFFERS",
                    s.firstColumn, s.firstRow, s.worstColumn, s.worstRow, s.worstFirstInk,
                    s.worstSecondInk);
      report += line;
    } else {
      report += "  agrees";
    }
    report += std::string(presence) + "\n";
  }
  return report;
}

Comparison Compare(const SeparationRender& first, const SeparationRender& second,
                   const ComparisonOptions& options) {
  if (first.GetWidth() != second.GetWidth() || first.GetHeight() != second.GetHeight()) {
    throw std::invalid_argument("The renders differ in size: " + std::to_string(first.GetWidth()) +
                                " x " + std::to_string(first.GetHeight()) + " against " +
                                std::to_string(second.GetWidth()) + " x " +
                                std::to_string(second.GetHeight()) + " pixels");
  }
  if (options.tolerance < 0 || options.band < 0) {
    throw std::invalid_argument("Tolerance and band must not be negative");
  }
  const int w = first.GetWidth(), h = first.GetHeight();
  Mask steps(static_cast<std::size_t>(w) * h, 0);
  for (const auto* render : {&first, &second}) {
    for (const Plane& plane : render->GetPlanes()) MarkSteps(plane, options.tolerance, steps);
  }
  // A band of 0 compares every pixel.
  const Mask band = options.band == 0 ? Mask(steps.size(), 0) : Dilate(steps, w, h, options.band);
  Comparison comparison{
      options, w, h, static_cast<std::size_t>(std::count(band.begin(), band.end(), 1)), {}};
  for (const std::string& name : SeparationNames(first, second)) {
    comparison.separations.push_back(
        CompareSeparation(name, first, second, band, options.tolerance));
  }
  return comparison;
}

}  // namespace CorvelOracle
