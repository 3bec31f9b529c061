#pragma once
// The complexity budget of a flattening: the involved artwork falls into clusters of
// overlapping objects, each with an estimate of what mapping it costs. A cluster over the
// budget is not mapped; it is rendered whole by the raster fallback instead (ClusterRaster.h),
// so that time and memory stay bounded however many objects overlap.

#include <cstdint>
#include <vector>

#include <tessel/Input.h>

namespace Corvel {

// Elements of a map input that must be flattened together: connected by overlapping bounding
// boxes, by a transparency group (which composites its members together) and by a soft mask
// with its artwork and what it masks.
struct InputCluster {
  std::vector<std::uint32_t> elements;  // input node indices, ascending
  Vexl::Rectangle bounds;               // of the elements' shapes, page millipoints
  // Estimated cost of mapping the cluster: its segments, plus for every pair of elements whose
  // boxes overlap the product of their segment counts (the crossings their edges may have).
  double cost = 0;
};

// The clusters of every element of `input`, ordered by their first element.
std::vector<InputCluster> FindInputClusters(const Tessel::Input& input);

// The default budget: clusters up to this cost are mapped into vectors; FlattenOptions holds
// the same value. Set on the stress pages (tools/testpages/StressPage.h, bench/cli/
// StressPageBench.cpp), whose one page-wide cluster grows with the square of its shapes: 300
// shapes cost 5.8e5 (mapped: 0.4 s, 42 MB), 1,000 cost 6.4e6, 2,000 2.6e7, 10,000 6.6e8 (all
// rendered). Mapped, 1,000 shapes had taken 12.5 s and 1.2 GB.
constexpr double kDefaultComplexityBudget = 4e6;

// The budget that `balance` (0 to 100) leaves of `budget`: all of it at 100; none at 0 (every
// cluster is rendered); in between a share growing with the cube of the balance, so that the
// upper half of the scale keeps most clusters vector.
double BalancedBudget(double budget, int balance);

// `input` without the elements `removed` marks (by node index) and without the groups and soft
// masks left with nothing to paint or mask. The other nodes keep their order, attributes,
// shapes, clips and names.
Tessel::Input InputWithout(const Tessel::Input& input, const std::vector<bool>& removed);

}  // namespace Corvel
