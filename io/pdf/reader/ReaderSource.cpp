// Source records: the operators that paint an object as the file painted it, so that an object
// no transparency touches can be written back unchanged (see io/pdf/PdfSource.h).

#include <io/pdf/reader/ReaderInterpreterInternal.h>
#include <io/pdf/reader/ReaderOperandsInternal.h>

#include <cctype>
#include <map>
#include <set>

namespace CorvelPdf::Detail {

namespace {

QPDFObjectHandle Number(double value) { return QPDFObjectHandle::newReal(value, 6, true); }

Operation Numbers(const std::string& op, std::initializer_list<double> values) {
  Operation operation{op, {}};
  for (double v : values) operation.operands.push_back(Number(v));
  return operation;
}

void AddStrokeStyle(PdfSource& source, const MavDoc::StrokeStyle& style) {
  const int cap = static_cast<int>(style.cap), join = static_cast<int>(style.join);
  source.operations.push_back(Numbers("w", {style.width / 1000}));
  source.operations.push_back(Numbers("J", {double(cap)}));
  source.operations.push_back(Numbers("j", {double(join)}));
  source.operations.push_back(Numbers("M", {style.miterLimit}));
  Operation dash{"d", {QPDFObjectHandle::newArray(), Number(style.dashPhase / 1000)}};
  for (double d : style.dashes) dash.operands[0].appendItem(Number(d / 1000));
  source.operations.push_back(std::move(dash));
}

}  // namespace

bool IsDeviceSpaceName(const std::string& name) {
  static const std::set<std::string> kNames{"/DeviceGray", "/DeviceRGB", "/DeviceCMYK",
                                            "/Pattern",    "/G",         "/RGB",
                                            "/CMYK",       "/I",         "/Indexed"};
  return kNames.contains(name);
}

void Interpreter::AddOperation(PdfSource& source, const RecordedOp& recorded) {
  Operation operation = recorded.operation;
  QPDFObjectHandle resource = recorded.resource;  // qpdf's accessors are not const
  if (resource.isInitialized() && !resource.isNull()) {
    operation.resource = static_cast<int>(source.resources.size());
    source.resources.push_back({recorded.category, context_.Indirect(resource)});
  }
  source.operations.push_back(std::move(operation));
}

std::shared_ptr<PdfSource> Interpreter::StateSource(bool fill, bool stroke) {
  auto source = std::make_shared<PdfSource>();
  const GraphicsState& s = State();
  source->userToLevel = s.ctm;
  source->unreadable = std::move(unreadable_);
  unreadable_.clear();
  if (!s.passedKeys.empty()) {
    auto dict = QPDFObjectHandle::newDictionary();
    for (const auto& [key, value] : s.passedKeys) dict.replaceKey(key, value);
    AddOperation(*source, {{"gs", {QPDFObjectHandle::newName("/GS")}}, "ExtGState", dict});
  }
  for (const auto& [op, operation] : s.renderingOps) AddOperation(*source, {operation, "", {}});
  if (stroke) {
    AddStrokeStyle(*source, s.strokeStyle);
    for (const auto& recorded : s.stroke.setting) AddOperation(*source, recorded);
  }
  if (fill) {
    for (const auto& recorded : s.fill.setting) AddOperation(*source, recorded);
  }
  return source;
}

// A shading pattern's matrix maps onto the default space of the content that uses it: the
// page's only at the page's own level. Written again from its operators inside a form that is
// written member by member, such a pattern would land in the page's space, so objects painted
// with one there are written from what was read instead.
bool Interpreter::PaintsAFormsShadingPattern(bool fill, bool stroke) {
  return levels_.size() > 1 && ((fill && State().fill.shading) || (stroke && State().stroke.shading));
}

// The default colour space the resources give a device space, or null (see RecordColor).
QPDFObjectHandle Interpreter::DefaultSpaceFor(const std::string& op, QPDFObjectHandle operand) {
  static const std::map<std::string, std::string> kByOperator{
      {"g", "/DefaultGray"}, {"G", "/DefaultGray"}, {"rg", "/DefaultRGB"}, {"RG", "/DefaultRGB"},
      {"k", "/DefaultCMYK"}, {"K", "/DefaultCMYK"}};
  static const std::map<std::string, std::string> kByName{
      {"/DeviceGray", "/DefaultGray"}, {"/DeviceRGB", "/DefaultRGB"}, {"/DeviceCMYK", "/DefaultCMYK"}};
  std::string key;
  if (auto found = kByOperator.find(op); found != kByOperator.end()) key = found->second;
  if ((op == "cs" || op == "CS") && operand.isName()) {
    if (auto found = kByName.find(operand.getName()); found != kByName.end()) key = found->second;
  }
  auto resources = CurrentLevel().resources;
  auto spaces = resources.isDictionary() ? resources.getKey("/ColorSpace") : QPDFObjectHandle::newNull();
  if (key.empty() || !spaces.isDictionary() || !spaces.getKey(key).isArray()) return QPDFObjectHandle::newNull();
  return spaces.getKey(key);
}

// cs and the one-step colour operators start a colour afresh; sc and scn keep the space set
// before them. A device colour that the resources' default colour space remaps is recorded in
// that space, named explicitly, so that it means the same wherever it is written again.
void Interpreter::RecordColor(const Operation& operation, bool replace) {
  const std::string& op = operation.op;
  auto& paint = std::isupper(static_cast<unsigned char>(op[0])) ? State().stroke : State().fill;
  auto& setting = paint.setting;
  const bool stroke = std::isupper(static_cast<unsigned char>(op[0]));
  QPDFObjectHandle lastOperand =
      operation.operands.empty() ? QPDFObjectHandle::newNull() : operation.operands.back();
  if (auto remapped = DefaultSpaceFor(op, lastOperand); !remapped.isNull()) {
    setting.clear();
    setting.push_back({{stroke ? "CS" : "cs", {QPDFObjectHandle::newName("/Default")}}, "ColorSpace", remapped});
    if (op != "cs" && op != "CS") setting.push_back({{stroke ? "SC" : "sc", operation.operands}, "", {}});
    return;
  }
  if (replace) {
    setting.clear();
  } else {
    const bool keepSpace = !setting.empty() && (setting[0].operation.op == "cs" ||
                                                setting[0].operation.op == "CS");
    setting.resize(keepSpace ? 1 : 0);
  }
  RecordedOp recorded{operation, "", {}};
  QPDFObjectHandle last =
      operation.operands.empty() ? QPDFObjectHandle::newNull() : operation.operands.back();
  if ((op == "cs" || op == "CS") && last.isName() && !IsDeviceSpaceName(last.getName())) {
    recorded.category = "ColorSpace";
    recorded.resource = Resource("/ColorSpace", NameOf(last));
  } else if ((op == "scn" || op == "SCN") && last.isName()) {
    recorded.category = "Pattern";
    recorded.resource = Resource("/Pattern", NameOf(last));
  }
  setting.push_back(std::move(recorded));
}

void Interpreter::AddTextOperations(PdfSource& source, const Operation& show,
                                    const Vexl::Transformation& tm) {
  const TextState& text = State().text;
  source.operations.push_back({"BT", {}});
  AddOperation(source, *text.fontOp);
  source.operations.push_back(Numbers("Tc", {text.charSpacing}));
  source.operations.push_back(Numbers("Tw", {text.wordSpacing}));
  source.operations.push_back(Numbers("Tz", {text.horizontalScaling * 100}));
  source.operations.push_back(Numbers("Ts", {text.rise}));
  source.operations.push_back(Numbers("Tr", {double(text.renderingMode % 4)}));
  source.operations.push_back(Numbers("Tm", {tm.a, tm.b, tm.c, tm.d, tm.tx, tm.ty}));
  // ' and " moved to the next line and set spacing before showing: that is in Tm, Tc and Tw.
  Operation painted{show.op == "TJ" ? "TJ" : "Tj", {show.operands.back()}};
  source.operations.push_back(std::move(painted));
  source.operations.push_back({"ET", {}});
}

std::shared_ptr<PdfSource> Interpreter::TakeTextSource(int paintMode) {
  if (!showing_ || showing_->operands.empty() || !State().text.fontOp) {
    unreadable_.clear();
    return nullptr;
  }
  const bool fill = paintMode == 0 || paintMode == 2, stroke = paintMode == 1 || paintMode == 2;
  auto source = StateSource(fill, stroke);
  if (source->unreadable.empty() && PaintsAFormsShadingPattern(fill, stroke)) return nullptr;
  AddTextOperations(*source, *showing_, showMatrix_);
  return source;
}

}  // namespace CorvelPdf::Detail
