#pragma once
// The artwork covering a group of regions, rebuilt from the map's component tree and clipped
// to the group's outline.

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include <mavdoc/Objects.h>
#include <tessel/Fill.h>

namespace Corvel {

// Flags of the groups the outline view builds: every kind of content may be placed in them.
inline constexpr std::uint32_t kNewGroupFlags = 511;

// The working record of one reconstruction: vector elements become paths on the outline,
// pictures keep their own placement (and then need the outline as a clip), transparency groups
// that matter become groups, soft masks are rebuilt alike.
struct RebuildContext {
  enum class Frame { Unknown, NotQuadrilateral, Quadrilateral };

  const MavDoc::Document* document;
  std::shared_ptr<const Vexl::Compound> outline;
  std::vector<std::unique_ptr<MavDoc::ContentObject>> objects;
  Frame frame = Frame::Unknown;
  std::array<Vexl::Point, 4> corners{};
  // Some picture would spill over the outline.
  bool needsClip = false;

  RebuildContext(const MavDoc::Document* document, std::shared_ptr<const Vexl::Compound> outline)
      : document(document), outline(std::move(outline)) {}
};

void RebuildComponents(RebuildContext& context, const Tessel::TFill::TGroup& group);
void RebuildComponent(RebuildContext& context, const Tessel::TFill::TComponent& component);
std::shared_ptr<const MavBlend::SoftMask> BuildSoftMask(RebuildContext& context,
                                                        const Tessel::TFill::TComponent& component);
// Whether the outline is exactly the frame of a picture placed by `objectTransformation`.
bool OutlineIsImageFrame(RebuildContext& context, const Vexl::Transformation& objectTransformation);

}  // namespace Corvel
