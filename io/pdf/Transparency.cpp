#include <io/pdf/ColorSpacesInternal.h>
#include <io/pdf/ContentStreamInternal.h>
#include <io/pdf/FunctionsInternal.h>
#include <io/pdf/PdfSyntaxInternal.h>
#include <io/pdf/TransparencyInternal.h>
#include <mavdoc/Placement.h>

#include <stdexcept>

namespace CorvelPdf::Detail {

namespace {

bool SetsNothing(const MavBlend::Transparency& t) {
  return t.GetBlendMode() == MavBlend::BlendMode::Normal && t.GetFillAlpha() == 1 &&
         t.GetStrokeAlpha() == 1 && !t.IsAlphaIsShape() && !t.GetSoftMask();
}

// The blending space of a soft-mask group: its own when set, else the device space the
// backdrop colour's length implies (CMYK unless it has one or three values).
QPDFObjectHandle MaskColorSpace(WriterState& state, const MavBlend::SoftMask& mask) {
  if (auto space = GroupColorSpace(state, mask.GetColorSpace()); space.isInitialized())
    return space;
  switch (mask.GetBackdropColor().size()) {
    case 1:
      return PdfName("DeviceGray");
    case 3:
      return PdfName("DeviceRGB");
    default:
      return PdfName("DeviceCMYK");
  }
}

QPDFObjectHandle TransferFunction(WriterState& state, const MavBlend::TransferFunction& transfer) {
  if (const bool* identity = std::get_if<bool>(&transfer)) {
    return *identity ? QPDFObjectHandle() : ZeroFunction();
  }
  const auto& function = std::get<std::shared_ptr<const MavPaint::Function>>(transfer);
  if (!function) return {};
  return WriteFunction(state, *function);
}

// The mask group's form, written once per mask however many objects use it.
QPDFObjectHandle SoftMaskForm(WriterState& state, const MavBlend::SoftMask& mask,
                              const std::string& where) {
  const std::string key = AddressKey("soft mask", &mask);
  if (auto found = state.Find(key); found.isInitialized()) return found;
  if (!mask.GetContent()) throw std::invalid_argument(where + ": soft mask without artwork");
  const MavDoc::Content& content = *mask.GetContent();
  Vexl::Rectangle box = MavDoc::GetBoundingBox(content, MavDoc::kStrokes);
  if (box.IsNull()) box = {0, 0, 0, 0, false};
  auto group = QPDFObjectHandle::newDictionary();
  group.replaceKey("/Type", PdfName("Group"));
  group.replaceKey("/S", PdfName("Transparency"));
  group.replaceKey("/CS", MaskColorSpace(state, mask));
  return state.Remember(
      key, WriteForm(state, content, box, mask.GetTransformation(), group, where + ", soft mask"));
}

QPDFObjectHandle SoftMaskDictionary(WriterState& state, const MavBlend::SoftMask& mask,
                                    const std::string& where) {
  auto dictionary = QPDFObjectHandle::newDictionary();
  dictionary.replaceKey("/Type", PdfName("Mask"));
  dictionary.replaceKey("/S", PdfName(mask.IsAlpha() ? "Alpha" : "Luminosity"));
  dictionary.replaceKey("/G", SoftMaskForm(state, mask, where));
  const auto& backdrop = mask.GetBackdropColor();
  if (!mask.IsAlpha() && !backdrop.empty()) {
    dictionary.replaceKey("/BC",
                          NumberArray(std::vector<double>(backdrop.begin(), backdrop.end())));
  }
  if (auto transfer = TransferFunction(state, mask.GetTransferFunction());
      transfer.isInitialized()) {
    dictionary.replaceKey("/TR", transfer);
  }
  return dictionary;
}

// PDF has one alpha-is-shape flag for the constant alpha and the soft mask together
// (ISO 32000-1 §11.6.4.3); a mask that defines shape over an alpha that does not cannot be
// said in one ExtGState.
bool AlphaIsShape(const MavBlend::Transparency& t, const std::string& where) {
  const auto& mask = t.GetSoftMask();
  if (!mask || mask->DefinesShape() == t.IsAlphaIsShape()) return t.IsAlphaIsShape();
  if (t.GetFillAlpha() != 1 || t.GetStrokeAlpha() != 1) {
    throw std::invalid_argument(where +
                                ": a soft mask and an alpha that differ in alpha-is-shape cannot "
                                "be written to PDF");
  }
  return mask->DefinesShape();
}

}  // namespace

bool NeedsTransparencyGroup(const MavDoc::Group& group) {
  const auto& t = *group.GetTransparency();
  return !SetsNothing(t) || t.IsIsolated() || t.IsKnockout() ||
         !std::holds_alternative<std::monostate>(group.GetGroupColorSpace());
}

QPDFObjectHandle TransparencyGroupDictionary(WriterState& state,
                                             const MavBlend::Transparency& transparency,
                                             const MavColor::GroupColorSpace& space) {
  auto group = QPDFObjectHandle::newDictionary();
  group.replaceKey("/Type", PdfName("Group"));
  group.replaceKey("/S", PdfName("Transparency"));
  if (auto cs = GroupColorSpace(state, space); cs.isInitialized()) group.replaceKey("/CS", cs);
  if (transparency.IsIsolated()) group.replaceKey("/I", QPDFObjectHandle::newBool(true));
  if (transparency.IsKnockout()) group.replaceKey("/K", QPDFObjectHandle::newBool(true));
  return group;
}

QPDFObjectHandle WriteExtGState(WriterState& state, const MavBlend::Transparency& transparency,
                                const MavDoc::Overprint& overprint,
                                const std::optional<MavColor::RenderingIntent>& intent,
                                const std::string& where) {
  if (SetsNothing(transparency) && !overprint.Any() && !intent) return {};
  auto dictionary = QPDFObjectHandle::newDictionary();
  dictionary.replaceKey("/Type", PdfName("ExtGState"));
  if (overprint.Any()) {
    dictionary.replaceKey("/OP", QPDFObjectHandle::newBool(overprint.stroke));
    dictionary.replaceKey("/op", QPDFObjectHandle::newBool(overprint.fill));
    dictionary.replaceKey("/OPM", QPDFObjectHandle::newInteger(overprint.nonzeroMode ? 1 : 0));
  }
  if (intent) {
    static const char* const kNames[] = {"Perceptual", "RelativeColorimetric", "Saturation",
                                         "AbsoluteColorimetric"};
    dictionary.replaceKey("/RI", PdfName(kNames[static_cast<int>(*intent)]));
  }
  if (transparency.GetBlendMode() != MavBlend::BlendMode::Normal) {
    dictionary.replaceKey("/BM", PdfName(MavBlend::BlendModeName(transparency.GetBlendMode())));
  }
  if (transparency.GetFillAlpha() != 1) {
    dictionary.replaceKey("/ca", NumberObject(transparency.GetFillAlpha()));
  }
  if (transparency.GetStrokeAlpha() != 1) {
    dictionary.replaceKey("/CA", NumberObject(transparency.GetStrokeAlpha()));
  }
  if (AlphaIsShape(transparency, where)) {
    dictionary.replaceKey("/AIS", QPDFObjectHandle::newBool(true));
  }
  if (const auto& mask = transparency.GetSoftMask()) {
    dictionary.replaceKey("/SMask", SoftMaskDictionary(state, *mask, where));
  }
  const std::string key = "extgstate " + dictionary.unparse();
  if (auto found = state.Find(key); found.isInitialized()) return found;
  return state.Remember(key, state.MakeIndirect(dictionary));
}

}  // namespace CorvelPdf::Detail
