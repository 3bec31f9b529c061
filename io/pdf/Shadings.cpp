#include <io/pdf/ColorSpacesInternal.h>
#include <io/pdf/FunctionsInternal.h>
#include <io/pdf/MeshShadingsInternal.h>
#include <io/pdf/PdfSyntaxInternal.h>
#include <io/pdf/ShadingsInternal.h>

#include <stdexcept>

namespace CorvelPdf::Detail {

namespace {


// The separation names of the function's outputs, by output index.
std::vector<std::string> OutputInks(const MavPaint::ShadingPaint& shading, int outputs,
                                    const std::string& where) {
  std::vector<std::string> names(static_cast<std::size_t>(outputs));
  for (const auto& entry : shading.GetSeparationMapping().GetEntries()) {
    if (entry.IsMapped() && entry.channel < names.size()) names[entry.channel] = entry.name;
  }
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (names[i].empty()) {
      throw std::invalid_argument(where + ": output " + std::to_string(i) +
                                  " of the shading function is mapped to no separation");
    }
  }
  return names;
}

// The shading's colour space: the process space of its mapping when the function's outputs are
// that space's components in order (an RGB or gray shading stays one), else its inks.
PdfColorSpace ShadingSpace(WriterState& state, const MavPaint::ShadingPaint& shading, int outputs,
                           const std::string& where) {
  const auto& mapping = shading.GetSeparationMapping();
  bool inOrder = mapping.NamedCount() == 0 && mapping.Size() == mapping.ProcessCount() &&
                 mapping.Size() == static_cast<std::size_t>(outputs);
  for (std::size_t i = 0; inOrder && i < mapping.Size(); ++i) inOrder = mapping.GetEntries()[i].channel == i;
  if (inOrder) {
    if (auto own = ProcessSpaceObject(state, mapping.GetColorSpace()); own.isInitialized()) return {own, outputs};
  }
  return InkColorSpace(state, OutputInks(shading, outputs, where));
}

QPDFObjectHandle Extend(std::array<bool, 2> extend) {
  return QPDFObjectHandle::newArray(
      {QPDFObjectHandle::newBool(extend[0]), QPDFObjectHandle::newBool(extend[1])});
}

void AddGeometry(QPDFObjectHandle& dictionary, const MavPaint::ShadingPaint& shading) {
  if (const auto* axial = dynamic_cast<const MavPaint::AxialShadingPaint*>(&shading)) {
    const auto start = axial->GetStart(), end = axial->GetEnd();
    dictionary.replaceKey("/ShadingType", QPDFObjectHandle::newInteger(2));
    dictionary.replaceKey("/Coords", NumberArray({start.x / kMilliPointsPerPoint, start.y / kMilliPointsPerPoint,
                                                  end.x / kMilliPointsPerPoint, end.y / kMilliPointsPerPoint}));
    dictionary.replaceKey("/Domain", NumberArray({axial->GetDomain()[0], axial->GetDomain()[1]}));
    dictionary.replaceKey("/Extend", Extend(axial->GetExtend()));
    return;
  }
  const auto& radial = dynamic_cast<const MavPaint::RadialShadingPaint&>(shading);
  const auto c0 = radial.GetCentre0(), c1 = radial.GetCentre1();
  dictionary.replaceKey("/ShadingType", QPDFObjectHandle::newInteger(3));
  dictionary.replaceKey("/Coords",
                        NumberArray({c0.x / kMilliPointsPerPoint, c0.y / kMilliPointsPerPoint, radial.GetRadius0() / kMilliPointsPerPoint,
                                     c1.x / kMilliPointsPerPoint, c1.y / kMilliPointsPerPoint, radial.GetRadius1() / kMilliPointsPerPoint}));
  dictionary.replaceKey("/Domain", NumberArray({radial.GetDomain()[0], radial.GetDomain()[1]}));
  dictionary.replaceKey("/Extend", Extend(radial.GetExtend()));
}

}  // namespace

QPDFObjectHandle WriteShading(WriterState& state, const MavPaint::ShadingPaint& shading,
                              const std::string& where) {
  const auto* mesh = dynamic_cast<const MavPaint::MeshShadingPaint*>(&shading);
  const int type = shading.GetType();
  if (!mesh && type != MavPaint::Paint::kAxial && type != MavPaint::Paint::kRadial) {
    throw std::invalid_argument(where + ": shading type " + std::to_string(type) +
                                " is not supported by the PDF writer");
  }
  const std::string key = AddressKey("shading", &shading);
  if (auto found = state.Find(key); found.isInitialized()) return found;
  const auto& function = shading.GetFunction();
  if (!function && !mesh) throw std::invalid_argument(where + ": shading without a function");
  // Mesh vertices without a function carry one value per component of the space.
  const int components = function ? function->OutputCount() : static_cast<int>(MeshColorComponents(*mesh));
  const PdfColorSpace space = ShadingSpace(state, shading, components, where);
  auto dictionary = QPDFObjectHandle::newDictionary();
  dictionary.replaceKey("/ColorSpace", space.space);
  if (function) dictionary.replaceKey("/Function", WriteFunction(state, *function));
  if (const auto& box = shading.GetBox(); !box.IsNull()) {
    dictionary.replaceKey("/BBox", NumberArray({box.x / kMilliPointsPerPoint, box.y / kMilliPointsPerPoint, box.Right() / kMilliPointsPerPoint,
                                                box.Top() / kMilliPointsPerPoint}));
  }
  if (const auto& background = shading.GetBackground()) {
    if (background->size() != static_cast<std::size_t>(space.components)) {
      throw std::invalid_argument(where + ": shading background has the wrong number of values");
    }
    dictionary.replaceKey("/Background",
                          NumberArray(std::vector<double>(background->begin(), background->end())));
  }
  if (mesh) return state.Remember(key, WriteMeshShadingObject(state, *mesh, dictionary));
  AddGeometry(dictionary, shading);
  return state.Remember(key, state.MakeIndirect(dictionary));
}

QPDFObjectHandle WriteShadingPattern(WriterState& state, const MavPaint::ShadingPaint& shading,
                                     const Vexl::Transformation& objectToStream,
                                     const std::string& where) {
  auto pattern = QPDFObjectHandle::newDictionary();
  pattern.replaceKey("/Type", QPDFObjectHandle::newName("/Pattern"));
  pattern.replaceKey("/PatternType", QPDFObjectHandle::newInteger(2));
  pattern.replaceKey("/Shading", WriteShading(state, shading, where));
  pattern.replaceKey("/Matrix", MatrixObject(shading.GetTransformation() * objectToStream));
  return state.MakeIndirect(pattern);
}

}  // namespace CorvelPdf::Detail
