#pragma once
// Paints: flat colours and shadings. Immutable values shared as std::shared_ptr<const Paint>.
//
// Shading geometry is in the shading's own space; GetTransformation() maps it into the space of
// the object that is painted (millipoints, y up).

#include <array>
#include <memory>
#include <optional>
#include <vector>

#include <values/Color.h>
#include <values/Function.h>
#include <vexl/Geometry.h>

namespace MavDoc {
class Document;
}

namespace MavPaint {

using SeparationMapping = MavColor::ColorList<MavColor::SeparationMappingPolicy>;

class Paint {
 public:
  // 1 flat; 2 axial; 3 radial; 4 function-based; 5 free-form triangle mesh; 6 lattice-form
  // triangle mesh; 7 Coons patch mesh; 8 tensor-product patch mesh.
  enum Type { kFlat = 1, kAxial, kRadial, kFunctionBased, kFreeForm, kLattice, kCoons, kTensor };

  virtual ~Paint() = default;
  virtual int GetType() const = 0;
  virtual bool Equals(const Paint& other) const = 0;
  friend bool operator==(const Paint& a, const Paint& b) { return a.Equals(b); }
};

// Null-safe value equality of shared paints.
bool PaintsEqual(const std::shared_ptr<const Paint>& a, const std::shared_ptr<const Paint>& b);

// One colour everywhere.
class FlatPaint final : public Paint {
 public:
  FlatPaint(MavColor::Color color, std::shared_ptr<const MavColor::ICCProfile> profile)
      : color_(std::move(color)), profile_(std::move(profile)) {}
  int GetType() const override { return kFlat; }
  bool Equals(const Paint& other) const override;
  const MavColor::Color& GetColor() const { return color_; }
  const std::shared_ptr<const MavColor::ICCProfile>& GetProfile() const { return profile_; }
  // The colour as named separation tints for output through `target` (see
  // MavColor::ToSeparations; the profile is not used until colour management exists), managed
  // conversions with the rendering intent of the object it paints, if that sets one.
  MavColor::Color GetConvertedColor(const std::shared_ptr<const MavColor::ICCProfile>& target,
                                    std::optional<MavColor::RenderingIntent> objectIntent = {}) const;

  // Makes flat paints of a document.
  class Factory {
   public:
    Factory(MavColor::Color color, const MavDoc::Document* document,
            const std::shared_ptr<const MavColor::ICCProfile>& profile);
    std::shared_ptr<const FlatPaint> Get() const { return paint_; }

   private:
    std::shared_ptr<const FlatPaint> paint_;
  };

 private:
  MavColor::Color color_;
  std::shared_ptr<const MavColor::ICCProfile> profile_;
};

// What every shading shares: a colour function (may be null for meshes whose vertices carry
// colours), the mapping of its output channels onto separations, an optional background
// (one value per channel), the shading transformation and the bounding box (in the space the
// transformation maps from; Null when none): nothing is painted outside it, background included.
struct ShadingCommon {
  std::shared_ptr<const Function> function;
  SeparationMapping mapping;
  std::optional<std::vector<float>> background;
  Vexl::Transformation transformation;
  Vexl::Rectangle box = Vexl::Rectangle::Null();
  bool operator==(const ShadingCommon& other) const;
};

class ShadingPaint : public Paint {
 public:
  explicit ShadingPaint(ShadingCommon common) : common_(std::move(common)) {}
  const std::shared_ptr<const Function>& GetFunction() const { return common_.function; }
  const SeparationMapping& GetSeparationMapping() const { return common_.mapping; }
  const std::optional<std::vector<float>>& GetBackground() const { return common_.background; }
  const Vexl::Transformation& GetTransformation() const { return common_.transformation; }
  const Vexl::Rectangle& GetBox() const { return common_.box; }
  const ShadingCommon& GetCommon() const { return common_; }

  // The shading as named separations for output through `target` (not used until colour
  // management exists). The converted mapping has no colour space: "Cyan", "Magenta",
  // "Yellow", "Black" on channels 0 to 3 when the shading has process components, then its
  // spots; an all-separations mapping is returned as it is. The converted function and
  // background give one value per channel of the converted mapping; managed conversions use
  // the rendering intent of the object the shading paints, if that sets one.
  SeparationMapping GetConvertedSeparationMapping(
      const std::shared_ptr<const MavColor::ICCProfile>& target) const;
  std::shared_ptr<const Function> GetConvertedFunction(
      const std::shared_ptr<const MavColor::ICCProfile>& target,
      std::optional<MavColor::RenderingIntent> objectIntent = {}) const;
  std::optional<std::vector<float>> GetConvertedBackground(
      const std::shared_ptr<const MavColor::ICCProfile>& target,
      std::optional<MavColor::RenderingIntent> objectIntent = {}) const;
  // One colour of the shading's space (one value per channel, as mesh vertices carry them) as
  // values of the converted mapping's channels.
  std::vector<float> GetConvertedValues(const std::vector<float>& channelValues,
                                        const std::shared_ptr<const MavColor::ICCProfile>& target,
                                        std::optional<MavColor::RenderingIntent> objectIntent = {}) const;
  // The same shading with its transformation followed by `t`.
  virtual std::shared_ptr<const ShadingPaint> Transformed(const Vexl::Transformation& t) const = 0;

 protected:
  ShadingCommon common_;
};

// Axial shading (type 2): t runs from `start` to `end` along the axis over `domain`.
class AxialShadingPaint final : public ShadingPaint {
 public:
  AxialShadingPaint(ShadingCommon common, Vexl::Point start, Vexl::Point end,
                    std::array<double, 2> domain = {0, 1}, std::array<bool, 2> extend = {});
  int GetType() const override { return kAxial; }
  bool Equals(const Paint& other) const override;
  std::shared_ptr<const ShadingPaint> Transformed(const Vexl::Transformation& t) const override;
  Vexl::Point GetStart() const { return start_; }
  Vexl::Point GetEnd() const { return end_; }
  std::array<double, 2> GetDomain() const { return domain_; }
  std::array<bool, 2> GetExtend() const { return extend_; }

 private:
  Vexl::Point start_, end_;
  std::array<double, 2> domain_;
  std::array<bool, 2> extend_;
};

// Radial shading (type 3): circles interpolated from (centre0, radius0) to (centre1, radius1).
class RadialShadingPaint final : public ShadingPaint {
 public:
  RadialShadingPaint(ShadingCommon common, Vexl::Point centre0, double radius0,
                     Vexl::Point centre1, double radius1, std::array<double, 2> domain = {0, 1},
                     std::array<bool, 2> extend = {});
  int GetType() const override { return kRadial; }
  bool Equals(const Paint& other) const override;
  std::shared_ptr<const ShadingPaint> Transformed(const Vexl::Transformation& t) const override;
  Vexl::Point GetCentre0() const { return centre0_; }
  Vexl::Point GetCentre1() const { return centre1_; }
  double GetRadius0() const { return radius0_; }
  double GetRadius1() const { return radius1_; }
  std::array<double, 2> GetDomain() const { return domain_; }
  std::array<bool, 2> GetExtend() const { return extend_; }

 private:
  Vexl::Point centre0_;
  double radius0_;
  Vexl::Point centre1_;
  double radius1_;
  std::array<double, 2> domain_;
  std::array<bool, 2> extend_;
};

// A mesh vertex: its place and its colour (one value per channel, or one t for the function).
struct MeshVertex {
  Vexl::Point point;
  std::vector<float> color;
  friend bool operator==(const MeshVertex&, const MeshVertex&) = default;
};

// The other shadings (types 4 to 8). Function-based shadings (4) evaluate the function at
// (x, y) of `domain` mapped by the transformation; triangle meshes (5, 6) list triangles of
// three vertices; patch meshes (7, 8) list patches of 12 (Coons) or 16 (tensor) control
// points with four corner colours.
class MeshShadingPaint final : public ShadingPaint {
 public:
  struct Triangle {
    std::array<MeshVertex, 3> vertices;
    friend bool operator==(const Triangle&, const Triangle&) = default;
  };
  struct Patch {
    std::vector<Vexl::Point> controlPoints;
    std::array<std::vector<float>, 4> cornerColors;
    friend bool operator==(const Patch&, const Patch&) = default;
  };

  MeshShadingPaint(int type, ShadingCommon common, std::array<double, 4> domain,
                   std::vector<Triangle> triangles, std::vector<Patch> patches);
  int GetType() const override { return type_; }
  bool Equals(const Paint& other) const override;
  std::shared_ptr<const ShadingPaint> Transformed(const Vexl::Transformation& t) const override;
  std::array<double, 4> GetDomain() const { return domain_; }
  const std::vector<Triangle>& GetTriangles() const { return triangles_; }
  const std::vector<Patch>& GetPatches() const { return patches_; }

 private:
  int type_;
  std::array<double, 4> domain_;
  std::vector<Triangle> triangles_;
  std::vector<Patch> patches_;
};

// The paint as seen after its object is transformed by `t`: flat paints are returned as they
// are, shadings with `t` appended to their transformation.
std::shared_ptr<const Paint> Transform(const std::shared_ptr<const Paint>& paint,
                                       const Vexl::Transformation& t);

}  // namespace MavPaint
