// Fuzzing the planar map: the bytes decode into a few outlines (straight and cubic segments,
// either fill rule, some clipped by the next outline, some inside a group), the map is built and
// its cheap invariants are checked. Coordinates that the map refuses throw
// std::invalid_argument, which is documented; any other exception, a broken invariant (abort),
// a crash or a sanitizer report is a finding.

#include <tessel/Graph.h>
#include <tessel/Input.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <vector>

namespace {

// Reads the input byte by byte; past the end it yields zeros, so every input decodes.
class ByteReader {
 public:
  ByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::uint8_t Byte() { return position_ < size_ ? data_[position_++] : 0; }
  std::int16_t Short() { return static_cast<std::int16_t>(Byte() << 8 | Byte()); }
  bool AtEnd() const { return position_ >= size_; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t position_ = 0;
};

constexpr int kMaxOutlines = 8;
constexpr int kMaxSegments = 24;
// From a sixteenth of a millipoint (the map's grid) up to far beyond its fixed range (2^26
// millipoints), where outlines are clipped to a box around the bounds.
constexpr double kScales[] = {1.0 / 16, 1, 1000, 1 << 14, 1 << 22};

Vexl::Point DecodePoint(ByteReader& bytes, double scale) {
  const double x = bytes.Short() * scale;
  return {x, bytes.Short() * scale};
}

std::shared_ptr<const Vexl::Compound> DecodeCompound(ByteReader& bytes, double scale) {
  Vexl::Subpath subpath(DecodePoint(bytes, scale), true);
  const int segments = 1 + bytes.Byte() % kMaxSegments;
  for (int i = 0; i < segments && !bytes.AtEnd(); ++i) {
    if (bytes.Byte() % 4 == 0) {
      const Vexl::Point c1 = DecodePoint(bytes, scale), c2 = DecodePoint(bytes, scale);
      subpath.CubicTo(c1, c2, DecodePoint(bytes, scale));
    } else {
      subpath.LineTo(DecodePoint(bytes, scale));
    }
  }
  return std::make_shared<const Vexl::Compound>(std::vector<Vexl::Subpath>{subpath});
}

struct Artwork {
  std::vector<Tessel::Outline> outlines;
  std::vector<std::uint8_t> flags;  // bit 0: clipped by the next outline; bit 1: in a group
};

Artwork Decode(ByteReader& bytes) {
  Artwork artwork;
  const double scale = kScales[bytes.Byte() % std::size(kScales)];
  const int count = 1 + bytes.Byte() % kMaxOutlines;
  for (int i = 0; i < count; ++i) {
    const std::uint8_t flags = bytes.Byte();
    const auto rule = flags & 4 ? Vexl::FillRule::EvenOdd : Vexl::FillRule::NonZero;
    artwork.outlines.push_back({DecodeCompound(bytes, scale), rule});
    artwork.flags.push_back(flags);
  }
  return artwork;
}

struct Element : Tessel::TElementAttribute {};
struct Group : Tessel::TGroupAttribute {};

void Check(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "planar map invariant broken: %s\n", what);
  std::abort();
}

// Areas are sums of products of grid coordinates in doubles: equal up to rounding.
bool Close(double a, double b, double magnitude) {
  constexpr double kRelativeRounding = 1e-9;
  return std::abs(a - b) <= kRelativeRounding * std::max(magnitude, 1.0);
}

void CheckContourChains(const TesselFixed::Region& region, const TesselFixed::Contour& contour) {
  const auto borders = contour.GetBorders();
  Check(!borders.empty(), "a contour has no border");
  for (std::size_t i = 0; i < borders.size(); ++i) {
    const auto& border = borders[i];
    const auto& next = borders[(i + 1) % borders.size()];
    Check(border.GetLeftSide() == &region, "a border's left side is not its contour's region");
    Check(border.GetRightSide() != nullptr && border.GetRightSide() != &region,
          "a border separates a region from itself");
    const auto end = border.GetPoint(border.NPoints() - 1), start = next.GetPoint(0);
    Check(end.x == start.x && end.y == start.y, "a contour's borders do not join");
  }
}

// Each bounded region has one outer contour, first, and its area is the sum of its contours';
// the unbounded region has holes only; the bounded regions fill exactly those holes.
void CheckRegions(const TesselFixed::Graph& graph) {
  double bounded = 0, holesOfUnbounded = 0, magnitude = 0;
  int unboundedCount = 0;
  for (const TesselFixed::Region* region : graph.GetRegions()) {
    double sum = 0;
    for (const auto& contour : region->GetContours()) {
      CheckContourChains(*region, contour);
      sum += contour.GetArea();
      magnitude += std::abs(contour.GetArea());
    }
    const auto contours = region->GetContours();
    if (region->IsUnbounded()) {
      ++unboundedCount;
      Check(
          std::none_of(contours.begin(), contours.end(), [](const auto& c) { return c.IsOuter(); }),
          "the unbounded region has an outer contour");
      holesOfUnbounded -= sum;
      continue;
    }
    Check(!contours.empty() && contours.front().IsOuter(),
          "a bounded region does not start with its outer contour");
    Check(std::count_if(contours.begin(), contours.end(),
                        [](const auto& c) { return c.IsOuter(); }) == 1,
          "a bounded region has more than one outer contour");
    Check(Close(region->GetArea(), sum, magnitude),
          "a region's area is not the sum of its contours'");
    bounded += region->GetArea();
  }
  Check(unboundedCount == 1, "there is not exactly one unbounded region");
  Check(Close(bounded, holesOfUnbounded, magnitude), "the bounded regions do not fill the artwork");
}

// Regions come by ascending fill number and each names its own position; without bounds, the
// unbounded region is the uncovered area, fill 0.
void CheckFills(const TesselFixed::Graph& graph) {
  const auto& regions = graph.GetRegions();
  for (std::size_t i = 0; i < regions.size(); ++i) {
    Check(regions[i]->GetIndex() == i, "a region's index is not its position");
    Check(i == 0 || regions[i - 1]->GetFill()->GetNumber() <= regions[i]->GetFill()->GetNumber(),
          "regions are not ordered by fill number");
    Check(!regions[i]->IsUnbounded() || regions[i]->GetFill() == &graph.GetFill(0),
          "the unbounded region is covered");
  }
}

void BuildAndCheck(const Artwork& artwork) {
  const std::size_t count = artwork.outlines.size();
  std::vector<Element> elements(count);
  Group group;
  Tessel::Input input;
  for (std::size_t i = 0; i < count; ++i) {
    const bool grouped = artwork.flags[i] & 2;
    Tessel::ElementOptions options;
    if ((artwork.flags[i] & 1) && i + 1 < count) options.clips.push_back(artwork.outlines[i + 1]);
    if (grouped) input.BeginGroup(&group);
    input.AddElement(&elements[i], artwork.outlines[i], options);
    if (grouped) input.EndGroup();
  }
  const auto graph = TesselFixed::Build(input);
  CheckRegions(*graph);
  CheckFills(*graph);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ByteReader bytes(data, size);
  const Artwork artwork = Decode(bytes);
  try {
    BuildAndCheck(artwork);
  } catch (const std::invalid_argument&) {
  }
  return 0;
}
