#include <sampling/MeshSamplerInternal.h>

#include <algorithm>
#include <list>
#include <mutex>
#include <string>

#include <values/ColorManagement.h>

namespace Sampling::Mesh {

namespace {

// Rasters kept at most: enough for the meshes of a page, few enough that the largest (a mesh
// divided to its triangle limit) cannot pile up.
constexpr std::size_t kKeptRasters = 4;

struct Entry {
  std::weak_ptr<const MavPaint::MeshShadingPaint> mesh;
  Vexl::Transformation shadingToPage;
  std::vector<std::string> inks;
  double tolerance;
  MavColor::RenderingIntent intent;
  std::shared_ptr<const TriangleRaster> raster;
};

struct Cache {
  std::mutex mutex;
  std::list<Entry> entries;  // most recently used first
};

Cache& TheCache() {
  static Cache cache;
  return cache;
}

}  // namespace

std::shared_ptr<const TriangleRaster> CachedRaster(
    const std::shared_ptr<const MavPaint::MeshShadingPaint>& mesh, const Vexl::Transformation& shadingToPage,
    const Projector& projector, double tolerance, std::optional<MavColor::RenderingIntent> objectIntent,
    const std::function<std::unique_ptr<TriangleRaster>()>& build) {
  const auto intent = MavColor::IntentFor(objectIntent);
  Cache& cache = TheCache();
  {
    std::lock_guard<std::mutex> lock(cache.mutex);
    cache.entries.remove_if([](const Entry& entry) { return entry.mesh.expired(); });
    for (auto it = cache.entries.begin(); it != cache.entries.end(); ++it) {
      if (it->mesh.lock() == mesh && it->shadingToPage == shadingToPage && it->inks == projector.Names() &&
          it->tolerance == tolerance && it->intent == intent) {
        cache.entries.splice(cache.entries.begin(), cache.entries, it);
        return cache.entries.front().raster;
      }
    }
  }
  // Built outside the lock: another mesh's sampler need not wait for this one.
  std::shared_ptr<const TriangleRaster> raster = build();
  std::lock_guard<std::mutex> lock(cache.mutex);
  cache.entries.push_front({mesh, shadingToPage, projector.Names(), tolerance, intent, raster});
  if (cache.entries.size() > kKeptRasters) cache.entries.pop_back();
  return raster;
}

}  // namespace Sampling::Mesh
