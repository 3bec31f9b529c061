#include <io/pdf/reader/ReaderFunctionsInternal.h>
#include <io/pdf/reader/ReaderInterpreterInternal.h>
#include <io/pdf/reader/ReaderOperandsInternal.h>

#include <algorithm>
#include <set>

namespace CorvelPdf::Detail {

namespace {

std::optional<MavBlend::BlendMode> BlendModeNamed(const std::string& name) {
  if (name == "Compatible") return MavBlend::BlendMode::Normal;
  for (int i = 0; i < MavBlend::kBlendModeCount; ++i) {
    const auto mode = static_cast<MavBlend::BlendMode>(i);
    if (name == MavBlend::BlendModeName(mode)) return mode;
  }
  return std::nullopt;
}

// /BM is a name or an array of names of which the first known one counts.
std::optional<MavBlend::BlendMode> BlendModeOf(QPDFObjectHandle value) {
  if (value.isName()) return BlendModeNamed(NameOf(value));
  if (value.isArray()) {
    for (auto& item : value.aitems()) {
      if (auto mode = BlendModeNamed(NameOf(item))) return mode;
    }
  }
  return std::nullopt;
}

bool IsIdentityOrDefault(QPDFObjectHandle value) {
  return value.isNameAndEquals("/Identity") || value.isNameAndEquals("/Default");
}

float AlphaOf(QPDFObjectHandle value) {
  return static_cast<float>(std::clamp(NumberOr(value, 1), 0.0, 1.0));
}

}  // namespace

void Interpreter::OpExtGState(const Operation& operation) {
  const std::string name = NameOperand(operation);
  auto dict = Resource("/ExtGState", name);
  if (!dict.isDictionary()) {
    context_.Warn("graphics state missing from the resources: gs ignored");
    return;
  }
  WithinObject("graphics state /" + name, QPDFObjectHandle::newNull(), [&] {
    for (auto [key, value] : dict.ditems()) ApplyExtGStateKey(key, value);
    // A dictionary that sets OP alone sets the fill's overprint too (ISO 32000-1 Table 58).
    if (dict.hasKey("/OP") && !dict.hasKey("/op")) {
      State().overprint.fill = State().overprint.stroke;
      State().passedKeys["/op"] = dict.getKey("/OP");
    }
  });
}

void Interpreter::ApplyExtGStateKey(const std::string& key, QPDFObjectHandle value) {
  auto& s = State();
  // Parameters that are not transparency, line style or font: written again as they were.
  static const std::set<std::string> kPassed{"/OP", "/op",  "/OPM", "/RI",   "/FL",
                                             "/SM", "/SA",  "/BG",  "/BG2",  "/UCR",
                                             "/UCR2", "/TR", "/TR2", "/HT", "/UseBlackPtComp"};
  if (kPassed.contains(key)) s.passedKeys[key] = value;
  if (key == "/CA")
    s.strokeAlpha = AlphaOf(value);
  else if (key == "/ca")
    s.fillAlpha = AlphaOf(value);
  else if (key == "/AIS")
    s.alphaIsShape = value.isBool() && value.getBoolValue();
  else if (key == "/SMask")
    SetSoftMask(value);
  else if (key == "/BM") {
    if (auto mode = BlendModeOf(value))
      s.blendMode = *mode;
    else
      context_.Warn("unknown blend mode read as Normal");
  } else if (key == "/LW")
    s.strokeStyle.width = std::fabs(NumberOr(value, 1)) * 1000;
  else if (key == "/LC")
    Apply({"J", {value}});
  else if (key == "/LJ")
    Apply({"j", {value}});
  else if (key == "/ML")
    Apply({"M", {value}});
  else if (key == "/D" && value.isArray() && value.getArrayNItems() == 2) {
    Apply({"d", {value.getArrayItem(0), value.getArrayItem(1)}});
  } else if (key == "/Font" && value.isArray() && value.getArrayNItems() == 2) {
    s.text.font = context_.Fonts().Get(context_, value.getArrayItem(0));
    s.text.size = NumberOr(value.getArrayItem(1), 0);
    s.text.fontOp.reset();  // no Tf names it: text in it is written as outlines
  } else if (key == "/OP" && value.isBool()) {
    s.overprint.stroke = value.getBoolValue();
  } else if (key == "/op" && value.isBool()) {
    s.overprint.fill = value.getBoolValue();
  } else if (key == "/OPM" && value.isNumber()) {
    s.overprint.nonzeroMode = NumberOr(value, 0) == 1;
  } else if (key == "/RI") {
    s.intent = RenderingIntentOf(value);
    s.renderingOps.erase("ri");
  } else if (key == "/TK" && value.isBool()) {
    s.textKnockout = value.getBoolValue();
  } else if (key == "/HT" && !value.isNameAndEquals("/Default")) {
    context_.Warn("halftones not supported yet (HT ignored)");
  } else if ((key == "/TR" || key == "/TR2") && !IsIdentityOrDefault(value)) {
    context_.Warn("transfer functions not supported yet (TR, TR2 ignored)");
  } else if (key == "/BG" || key == "/BG2" || key == "/UCR" || key == "/UCR2") {
    context_.Warn("black generation and undercolour removal not supported yet (ignored)");
  }
  // SA, SM, FL and UseBlackPtComp only tune rendering; Type names the dictionary.
}

void Interpreter::SetSoftMask(QPDFObjectHandle mask) {
  if (mask.isNameAndEquals("/None")) {
    State().softMask.reset();
    return;
  }
  // A mask that names no artwork masks nothing: viewers and RIPs paint as if it were /None.
  auto group = mask.isDictionary() ? mask.getKey("/G") : QPDFObjectHandle::newNull();
  if (!group.isStream()) {
    context_.Warn(mask.isDictionary() ? "soft mask without its group /G read as /None"
                                      : "soft mask that is neither /None nor a dictionary read as /None");
    State().softMask.reset();
    return;
  }
  auto state = std::make_shared<SoftMaskState>();
  state->alpha = mask.getKey("/S").isNameAndEquals("/Alpha");
  if (mask.hasKey("/BC")) {
    for (double v : NumbersOf(mask.getKey("/BC"), "/BC"))
      state->backdrop.push_back(static_cast<float>(v));
  }
  auto transfer = mask.getKey("/TR");
  if (transfer.isDictionary() || transfer.isStream())
    state->transfer = ReadFunction(context_, transfer, 1);
  state->absolute = State().ctm * CurrentLevel().absolute;
  auto attributes = group.getDict().getKey("/Group");
  if (attributes.isDictionary() && attributes.hasKey("/CS")) {
    state->space = GroupSpaceOf(
        context_, *ReadColorSpace(context_, attributes.getKey("/CS"), CurrentLevel().resources));
  }
  state->content = SoftMaskContent(group);  // runs the mask's content: states_ may move
  State().softMask = std::move(state);
}

std::shared_ptr<MavDoc::Content> Interpreter::SoftMaskContent(QPDFObjectHandle form) {
  auto& cache = context_.SoftMaskContents();
  if (auto found = cache.find(form.getObjGen()); found != cache.end()) return found->second;
  auto content = MavDoc::Content::MakeSoftMaskContent(&context_.Document());
  // The mask's artwork lives in mask space: user space when the mask was set.
  PushLevel(*content, State().ctm * CurrentLevel().absolute, CurrentLevel().resources);
  State().blendMode = MavBlend::BlendMode::Normal;
  State().fillAlpha = State().strokeAlpha = 1;
  State().alphaIsShape = false;
  State().softMask.reset();
  State().overprint = {};  // a mask yields coverage, not inks
  WithinObject("soft mask group", QPDFObjectHandle::newNull(), [&] { RunForm(form, "G"); });
  PopLevel();
  cache[form.getObjGen()] = content;
  return content;
}

}  // namespace CorvelPdf::Detail
