#pragma once
// Shared helpers of the planar-map tests: artwork generators, the invariant checker run after
// every build, and point probes. Coordinates in millipoints, y up.

#include <memory>
#include <random>
#include <string>
#include <vector>

#include <tessel/Envelope.h>
#include <tessel/Graph.h>
#include <tessel/Input.h>
#include <vexl/Compound.h>

namespace Tessel::Testing {

// The random tests run fewer cases in unoptimised (sanitizer) builds.
#ifdef NDEBUG
constexpr int kRandomCases = 40;
#else
constexpr int kRandomCases = 6;
#endif

// Attributes the tests hand to the map; only their addresses matter.
struct Element : TElementAttribute {
  bool opaque = false;
  bool IsOpaque() const override { return opaque; }
};
struct Group : TGroupAttribute {
  bool keeps = true;
  bool KeepsOpacity() const override { return keeps; }
};
struct SoftMask : TSoftMaskAttribute {};

using CompoundPtr = std::shared_ptr<const Vexl::Compound>;

CompoundPtr Rectangle(double x, double y, double width, double height);
CompoundPtr Circle(double x, double y, double radius);
CompoundPtr Polygon(const std::vector<Vexl::Point>& points);
// A self-intersecting star of `points` spikes (a pentagram for 5).
CompoundPtr Star(double x, double y, double radius, int points);
// A closed, usually self-intersecting, loop of random cubics around (x, y).
CompoundPtr Blob(std::mt19937& random, double x, double y, double radius);
// Thin triangles all meeting at (x, y).
std::vector<CompoundPtr> Pencil(double x, double y, double length, int count);

// A random page of mixed artwork: rectangles, circles, blobs, stars, pencils, duplicates,
// collinear tiles and slivers, with both fill rules.
struct Artwork {
  std::vector<Outline> shapes;
  std::vector<std::unique_ptr<Element>> attributes;
};
Artwork RandomArtwork(std::mt19937& random, int count, double pageSize);
// The artwork as a flat input, one element per shape.
Input MakeInput(const Artwork& artwork);

// Checks everything a correct map must satisfy: no two edges cross or overlap (exact), twins and
// loops close, Euler's formula, windings balance at every vertex and change by each edge's deltas,
// every border is seen identically from its other side, regions are ordered by fill number, each
// bounded region has exactly one outer contour.
void ExpectValidPlanarMap(const TesselFixed::Graph& graph);

// The region whose inside holds p; null when p is within `margin` millipoints of a border.
const TesselFixed::Region* RegionAt(const TesselFixed::Graph& graph, Vexl::Point p, double margin);

// The elements' attributes of a fill, bottom first.
std::vector<const TElementAttribute*> AttributesOf(const TFill& fill);

}  // namespace Tessel::Testing
