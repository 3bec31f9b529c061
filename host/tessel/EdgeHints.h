#pragma once
// A side channel from the map's outline feeders to engines that can use it.

#include <cstdint>

namespace TesselFixed {

// FeedToEngine tells an engine that is also an EdgeHintSink, before each point it sends, which
// half-edge of the map leaves that point and from which vertex: the curve engine then reads the
// edge's provenance by index instead of looking it up by coordinates. A hint only speeds things
// up; an engine must give the same result without it.
class EdgeHintSink {
 public:
  virtual void NextEdge(std::uint32_t halfEdge, std::uint32_t vertex) = 0;

 protected:
  ~EdgeHintSink() = default;
};

}  // namespace TesselFixed
