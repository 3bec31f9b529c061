#include <io/pdf/reader/ReaderColorSpacesInternal.h>
#include <io/pdf/reader/ReaderFunctionsInternal.h>
#include <io/pdf/reader/ReaderMeshesInternal.h>
#include <io/pdf/reader/ReaderShadingsInternal.h>

namespace CorvelPdf::Detail {

namespace {

std::array<double, 2> DomainOf(QPDFObjectHandle dict) {
  if (!dict.hasKey("/Domain")) return {0, 1};
  const auto v = NumbersOf(dict.getKey("/Domain"), "/Domain");
  if (v.size() != 2) throw ReadError("", "shading /Domain needs 2 numbers");
  return {v[0], v[1]};
}

std::array<bool, 2> ExtendOf(QPDFObjectHandle dict) {
  auto extend = dict.getKey("/Extend");
  if (!extend.isArray() || extend.getArrayNItems() != 2) return {false, false};
  auto flag = [&](int i) {
    auto item = extend.getArrayItem(i);
    return item.isBool() && item.getBoolValue();
  };
  return {flag(0), flag(1)};
}

std::shared_ptr<const MavPaint::ShadingPaint> MakeAxialOrRadial(int type,
                                                                MavPaint::ShadingCommon common,
                                                                QPDFObjectHandle dict) {
  const auto coords = NumbersOf(dict.getKey("/Coords"), "/Coords");
  if (type == 2) {
    if (coords.size() != 4) throw ReadError("", "axial shading /Coords needs 4 numbers");
    return std::make_shared<MavPaint::AxialShadingPaint>(
        std::move(common), Vexl::Point{coords[0] * 1000, coords[1] * 1000},
        Vexl::Point{coords[2] * 1000, coords[3] * 1000}, DomainOf(dict), ExtendOf(dict));
  }
  if (coords.size() != 6 || coords[2] < 0 || coords[5] < 0) {
    throw ReadError("", "radial shading /Coords needs 6 numbers with radii not negative");
  }
  return std::make_shared<MavPaint::RadialShadingPaint>(
      std::move(common), Vexl::Point{coords[0] * 1000, coords[1] * 1000}, coords[2] * 1000,
      Vexl::Point{coords[3] * 1000, coords[4] * 1000}, coords[5] * 1000, DomainOf(dict),
      ExtendOf(dict));
}

// A function-based shading's paint lives in its domain: its box is the /BBox seen from there,
// a rectangle as long as /Matrix neither rotates nor skews.
Vexl::Rectangle DomainBox(ReaderContext& context, const Vexl::Rectangle& box,
                          const Vexl::Transformation& domainToShading) {
  if (box.IsNull()) return box;
  if (domainToShading.b != 0 || domainToShading.c != 0 || domainToShading.Determinant() == 0) {
    context.Warn("/BBox of a rotated or skewed function-based shading ignored");
    return Vexl::Rectangle::Null();
  }
  return Vexl::TransformBox(box, domainToShading.Inverse());
}

// Function-based shading: the function takes (x, y) of /Domain, which /Matrix maps into
// shading space; the transformation adds the × 1000 of millipoints.
std::shared_ptr<const MavPaint::ShadingPaint> MakeFunctionBased(ReaderContext& context,
                                                                MavPaint::ShadingCommon common,
                                                                QPDFObjectHandle dict) {
  std::array<double, 4> domain{0, 1, 0, 1};
  if (dict.hasKey("/Domain")) {
    const auto v = NumbersOf(dict.getKey("/Domain"), "/Domain");
    if (v.size() != 4) throw ReadError("", "function-based shading /Domain needs 4 numbers");
    std::copy(v.begin(), v.end(), domain.begin());
  }
  auto matrix = MatrixOf(dict.getKey("/Matrix"));
  matrix.tx /= 1000;
  matrix.ty /= 1000;
  common.transformation = matrix * Vexl::Transformation::Scaling(1000, 1000);
  common.box = DomainBox(context, common.box, common.transformation);
  return std::make_shared<MavPaint::MeshShadingPaint>(
      MavPaint::Paint::kFunctionBased, std::move(common), domain,
      std::vector<MavPaint::MeshShadingPaint::Triangle>{},
      std::vector<MavPaint::MeshShadingPaint::Patch>{});
}

}  // namespace

ShadingRead ReadShadingPaint(ReaderContext& context, QPDFObjectHandle shading,
                             QPDFObjectHandle resources, bool withBackground) {
  auto dict = shading.isStream() ? shading.getDict() : shading;
  if (!dict.isDictionary()) throw ReadError("", "shading is not a dictionary");
  const int type = static_cast<int>(NumberOr(dict.getKey("/ShadingType"), 0));
  auto space = ReadColorSpace(context, dict.getKey("/ColorSpace"), resources);
  if (space->family == ReaderColorSpace::Family::Pattern)
    throw ReadError("", "shading in a Pattern colour space");
  ShadingRead result;
  result.box = RectangleOf(dict.getKey("/BBox"));
  if (space->paintsNothing) return result;

  MavPaint::ShadingCommon common;
  const bool meshType = type >= 4 && type <= 7;
  if (dict.hasKey("/Function")) {
    common.function = ReadFunction(context, dict.getKey("/Function"), type == 1 ? 2 : 1);
  } else if (!meshType) {
    throw ReadError("", "shading type " + std::to_string(type) + " without /Function");
  }
  const auto& colors = space->family == ReaderColorSpace::Family::Indexed ? *space->base : *space;
  common.mapping = MakeMapping(colors);
  common.box = result.box;
  if (withBackground && dict.hasKey("/Background")) {
    std::vector<float> background;
    for (double v : NumbersOf(dict.getKey("/Background"), "/Background"))
      background.push_back(static_cast<float>(v));
    common.background = std::move(background);
  }
  switch (type) {
    case 1:
      result.paint = MakeFunctionBased(context, std::move(common), dict);
      break;
    case 2:
    case 3:
      result.paint = MakeAxialOrRadial(type, std::move(common), dict);
      break;
    case 4:
    case 5:
    case 6:
    case 7:
      if (!shading.isStream()) throw ReadError("", "mesh shading is not a stream");
      result.paint = ReadMeshShading(context, shading, *space, std::move(common));
      break;
    default:
      throw ReadError("", "unknown shading type " + std::to_string(type));
  }
  return result;
}

}  // namespace CorvelPdf::Detail
