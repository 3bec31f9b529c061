#include <io/pdf/reader/ReaderInterpreterInternal.h>
#include <io/pdf/reader/ReaderOperandsInternal.h>

#include <cmath>
#include <set>

namespace CorvelPdf::Detail {

std::vector<double> NumberOperands(const Operation& operation, std::size_t count) {
  if (operation.operands.size() < count) throw BadOperands{};
  std::vector<double> numbers;
  for (std::size_t i = operation.operands.size() - count; i < operation.operands.size(); ++i) {
    auto operand = operation.operands[i];
    if (!operand.isNumber() || !std::isfinite(operand.getNumericValue())) throw BadOperands{};
    numbers.push_back(operand.getNumericValue());
  }
  return numbers;
}

std::string NameOperand(const Operation& operation) {
  if (operation.operands.empty() || !operation.operands.back().isName()) throw BadOperands{};
  return NameOf(operation.operands.back());
}

std::vector<double> AllNumberOperands(const Operation& operation) {
  return NumberOperands(operation, operation.operands.size());
}

QPDFObjectHandle LastOperand(const Operation& operation) {
  if (operation.operands.empty()) throw BadOperands{};
  return operation.operands.back();
}

Interpreter::Interpreter(ReaderContext& context, MavDoc::Content& root, QPDFObjectHandle resources,
                         const Vexl::Transformation& initialCtm, const Vexl::Rectangle& area)
    : context_(context), area_(area) {
  GraphicsState initial;
  initial.ctm = initialCtm;
  SetColor(initial.fill, DeviceGraySpace(), {0});
  SetColor(initial.stroke, DeviceGraySpace(), {0});
  states_.push_back(std::move(initial));
  levels_.push_back(
      {&root, Vexl::Transformation{}, resources, states_.size(), {}, {}, initialCtm, false});
}

Interpreter::~Interpreter() = default;

void Interpreter::Run(QPDFObjectHandle content) { Execute(ParseContent(context_, content)); }

void Interpreter::Execute(const std::vector<Operation>& operations) {
  for (const auto& operation : operations) Apply(operation);
}

void Interpreter::Apply(const Operation& operation) {
  context_.CountOperator();
  const auto found = Handlers().find(operation.op);
  if (found == Handlers().end()) {
    context_.Warn("unknown operator " + operation.op + " ignored");
    return;
  }
  static const std::set<std::string> kPathConstruction{"m", "l", "c", "v", "y", "h", "re"};
  if (kPathConstruction.contains(operation.op)) pathOps_.push_back(operation);
  try {
    (this->*found->second)(operation);
  } catch (const BadOperands&) {
    context_.Warn("operator " + operation.op + " with bad operands ignored");
  }
}

QPDFObjectHandle Interpreter::Resource(const char* category, const std::string& name) {
  auto resources = CurrentLevel().resources;
  if (!resources.isDictionary()) return QPDFObjectHandle::newNull();
  auto dict = resources.getKey(category);
  if (!dict.isDictionary()) return QPDFObjectHandle::newNull();
  return dict.getKey("/" + name);
}

const std::unordered_map<std::string, Interpreter::Handler>& Interpreter::Handlers() {
  static const std::unordered_map<std::string, Handler> table{
      {"q", &Interpreter::OpSave},          {"Q", &Interpreter::OpRestore},
      {"cm", &Interpreter::OpConcat},       {"w", &Interpreter::OpLineWidth},
      {"J", &Interpreter::OpLineCap},       {"j", &Interpreter::OpLineJoin},
      {"M", &Interpreter::OpMiterLimit},    {"d", &Interpreter::OpDash},
      {"ri", &Interpreter::OpRendering},    {"i", &Interpreter::OpRendering},
      {"gs", &Interpreter::OpExtGState},    {"m", &Interpreter::OpMoveTo},
      {"l", &Interpreter::OpLineTo},        {"c", &Interpreter::OpCurveTo},
      {"v", &Interpreter::OpCurveToV},      {"y", &Interpreter::OpCurveToY},
      {"h", &Interpreter::OpClosePath},     {"re", &Interpreter::OpRectangle},
      {"S", &Interpreter::OpPaint},         {"s", &Interpreter::OpPaint},
      {"f", &Interpreter::OpPaint},         {"F", &Interpreter::OpPaint},
      {"f*", &Interpreter::OpPaint},        {"B", &Interpreter::OpPaint},
      {"B*", &Interpreter::OpPaint},        {"b", &Interpreter::OpPaint},
      {"b*", &Interpreter::OpPaint},        {"n", &Interpreter::OpPaint},
      {"W", &Interpreter::OpClip},          {"W*", &Interpreter::OpClip},
      {"CS", &Interpreter::OpSetSpace},     {"cs", &Interpreter::OpSetSpace},
      {"SC", &Interpreter::OpSetColor},     {"SCN", &Interpreter::OpSetColor},
      {"sc", &Interpreter::OpSetColor},     {"scn", &Interpreter::OpSetColor},
      {"G", &Interpreter::OpSetGray},       {"g", &Interpreter::OpSetGray},
      {"RG", &Interpreter::OpSetRGB},       {"rg", &Interpreter::OpSetRGB},
      {"K", &Interpreter::OpSetCMYK},       {"k", &Interpreter::OpSetCMYK},
      {"sh", &Interpreter::OpShade},        {"Do", &Interpreter::OpDo},
      {"BI", &Interpreter::OpInlineImage},  {"BT", &Interpreter::OpBeginText},
      {"ET", &Interpreter::OpEndText},      {"Tc", &Interpreter::OpTextState},
      {"Tw", &Interpreter::OpTextState},    {"Tz", &Interpreter::OpTextState},
      {"TL", &Interpreter::OpTextState},    {"Tr", &Interpreter::OpTextState},
      {"Ts", &Interpreter::OpTextState},    {"Tf", &Interpreter::OpFont},
      {"Td", &Interpreter::OpTextMove},     {"TD", &Interpreter::OpTextMove},
      {"Tm", &Interpreter::OpTextMatrix},   {"T*", &Interpreter::OpNextLine},
      {"Tj", &Interpreter::OpShowText},     {"TJ", &Interpreter::OpShowSpaced},
      {"'", &Interpreter::OpShowNextLine},  {"\"", &Interpreter::OpShowNextLine},
      {"d0", &Interpreter::OpIgnore},       {"d1", &Interpreter::OpIgnore},
      {"BMC", &Interpreter::OpBeginMarked}, {"BDC", &Interpreter::OpBeginMarkedProperties},
      {"EMC", &Interpreter::OpEndMarked},   {"MP", &Interpreter::OpIgnore},
      {"DP", &Interpreter::OpIgnore},       {"BX", &Interpreter::OpIgnore},
      {"EX", &Interpreter::OpIgnore}};
  return table;
}

void Interpreter::OpIgnore(const Operation&) {}

MavColor::RenderingIntent RenderingIntentOf(QPDFObjectHandle name) {
  const std::string text = NameOf(name);
  if (text == "Perceptual") return MavColor::RenderingIntent::Perceptual;
  if (text == "Saturation") return MavColor::RenderingIntent::Saturation;
  if (text == "AbsoluteColorimetric") return MavColor::RenderingIntent::AbsoluteColorimetric;
  return MavColor::RenderingIntent::RelativeColorimetric;
}

// The rendering intent converts the colours of the objects painted after it; flatness changes
// nothing the model shows. Objects written again from their source keep both. The intent last
// set is the one kept: ri replaces an ExtGState's /RI, and /RI an ri.
void Interpreter::OpRendering(const Operation& operation) {
  if (operation.op == "ri") {
    State().intent = RenderingIntentOf(LastOperand(operation));
    State().passedKeys.erase("/RI");
  }
  State().renderingOps[operation.op] = operation;
}

void Interpreter::OpUnsupported(const Operation& operation) {
  context_.Warn("operator " + operation.op + " not supported yet");
}

void Interpreter::OpSave(const Operation&) {
  const auto depth = static_cast<int>(states_.size() - CurrentLevel().stateBase);
  if (depth >= context_.Limits().maxStateDepth) {
    throw ReadError("", "q nested deeper than " + std::to_string(context_.Limits().maxStateDepth));
  }
  states_.push_back(State());
}

void Interpreter::OpRestore(const Operation&) {
  if (states_.size() <= CurrentLevel().stateBase) {
    context_.Warn("Q without its q ignored");
    return;
  }
  states_.pop_back();
}

void Interpreter::OpConcat(const Operation& operation) {
  const auto m = NumberOperands(operation, 6);
  State().ctm =
      Vexl::Transformation{m[0], m[1], m[2], m[3], m[4] * 1000, m[5] * 1000} * State().ctm;
}

void Interpreter::OpLineWidth(const Operation& operation) {
  State().strokeStyle.width = std::fabs(NumberOperands(operation, 1)[0]) * 1000;
}

void Interpreter::OpLineCap(const Operation& operation) {
  const int cap = static_cast<int>(NumberOperands(operation, 1)[0]);
  State().strokeStyle.cap = cap == 1   ? MavDoc::LineCap::Round
                            : cap == 2 ? MavDoc::LineCap::Square
                                       : MavDoc::LineCap::Butt;
}

void Interpreter::OpLineJoin(const Operation& operation) {
  const int join = static_cast<int>(NumberOperands(operation, 1)[0]);
  State().strokeStyle.join = join == 1   ? MavDoc::LineJoin::Round
                             : join == 2 ? MavDoc::LineJoin::Bevel
                                         : MavDoc::LineJoin::Miter;
}

void Interpreter::OpMiterLimit(const Operation& operation) {
  State().strokeStyle.miterLimit = std::max(1.0, NumberOperands(operation, 1)[0]);
}

void Interpreter::OpDash(const Operation& operation) {
  if (operation.operands.size() < 2 || !operation.operands[0].isArray()) throw BadOperands{};
  std::vector<double> dashes;
  bool anyPositive = false;
  for (auto& item : operation.operands[0].aitems()) {
    if (!item.isNumber() || !(item.getNumericValue() >= 0)) throw BadOperands{};
    dashes.push_back(item.getNumericValue() * 1000);
    anyPositive = anyPositive || dashes.back() > 0;
  }
  // An all-zero dash array draws nothing in some renderers and solid in others; solid is
  // the common reading (ISO 32000-1 §8.4.3.6 asks for a non-zero sum).
  State().strokeStyle.dashes = anyPositive ? dashes : std::vector<double>{};
  State().strokeStyle.dashPhase = NumberOperands(operation, 1)[0] * 1000;
}

}  // namespace CorvelPdf::Detail
