#pragma once
// What flattening does to a page, as areas on it: the objects it replaces (those transparency
// involves), the areas it renders as images (by resolution), the text it turns into outlines,
// and the objects that overprint (replaced or not). Shapes are taken from the objects' own
// outlines (strokes outlined, pictures by their frame), limited by the clips that enclose them,
// in page millipoints, y up. The preview draws them; the report measures them.

#include <cli/AreaSpans.h>
#include <mavdoc/Objects.h>

#include <functional>
#include <unordered_set>
#include <utility>
#include <vector>

namespace CorvelCli {

// The areas flattening renders as images at one resolution.
struct RasterizedArea {
  double resolution = 0;  // pixels per inch, rounded to a whole number
  std::vector<AreaShape> shapes;
};

// Each category's shapes; shapes of one category may overlap.
struct PreviewAreas {
  std::vector<AreaShape> involved;
  std::vector<RasterizedArea> rasterized;  // finest resolution last
  std::vector<AreaShape> outlinedText;
  std::vector<AreaShape> overprinting;
};

using ObjectSet = std::unordered_set<const MavDoc::ContentObject*>;

// The painted objects (in groups too) that overprint.
ObjectSet OverprintingObjects(const MavDoc::Content& page);

// The areas of the page's painted objects, taken before flattening changes them: those
// `replaced` picks, its text, and the objects in `overprinting`.
PreviewAreas CollectObjectAreas(const MavDoc::Content& page,
                                const std::function<bool(const MavDoc::ContentObject&)>& replaced,
                                const ObjectSet& overprinting);

// Adds the areas where the objects flattening inserted (now in the page) are rendered images.
void AddRasterizedAreas(const std::vector<MavDoc::ContentObject*>& inserted, PreviewAreas& areas);

// The areas in square points, each category's shapes counted once where they overlap.
struct AreaSummary {
  double involved = 0;
  std::vector<std::pair<double, double>> rasterized;  // (pixels per inch, square points)
  double outlinedText = 0;
  double overprinting = 0;
};

AreaSummary MeasureAreas(const PreviewAreas& areas, const Vexl::Rectangle& pageBox);

}  // namespace CorvelCli
