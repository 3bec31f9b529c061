#include <io/pdf/reader/ReaderOptionalContentInternal.h>

namespace CorvelPdf::Detail {

namespace {

// Visibility expressions nested deeper than this are cut off as damaged (or cyclic).
constexpr int kMaxExpressionDepth = 16;

std::set<QPDFObjGen> ObjectsOf(QPDFObjectHandle array) {
  std::set<QPDFObjGen> objects;
  if (array.isArray()) {
    for (auto& item : array.aitems()) {
      if (item.isIndirect()) objects.insert(item.getObjGen());
    }
  }
  return objects;
}

bool IsType(QPDFObjectHandle object, const char* type) {
  return object.isDictionary() && object.getKey("/Type").isNameAndEquals(type);
}

}  // namespace

OptionalContent::OptionalContent(QPDF& pdf) {
  auto properties = pdf.getRoot().getKey("/OCProperties");
  if (!properties.isDictionary()) return;
  auto defaults = properties.getKey("/D");
  if (!defaults.isDictionary()) return;
  baseVisible_ = !defaults.getKey("/BaseState").isNameAndEquals("/OFF");
  on_ = ObjectsOf(defaults.getKey("/ON"));
  off_ = ObjectsOf(defaults.getKey("/OFF"));
}

std::shared_ptr<MavDoc::LayerProperties> OptionalContent::PropertiesOf(QPDFObjectHandle ocg) {
  const QPDFObjGen id = ocg.getObjGen();
  if (auto found = layers_.find(id); ocg.isIndirect() && found != layers_.end())
    return found->second;
  auto properties = std::make_shared<MavDoc::LayerProperties>();
  auto name = ocg.getKey("/Name");
  properties->name = name.isString() ? name.getUTF8Value() : "";
  properties->visible = on_.count(id) ? true : off_.count(id) ? false : baseVisible_;
  if (ocg.isIndirect()) layers_[id] = properties;
  return properties;
}

std::optional<MavDoc::LayerExpression> OptionalContent::ExpressionOf(QPDFObjectHandle visibility,
                                                                     int depth) {
  if (depth > kMaxExpressionDepth) return std::nullopt;
  if (IsType(visibility, "/OCG")) return MavDoc::LayerExpression::Of(PropertiesOf(visibility));
  if (!visibility.isArray() || visibility.getArrayNItems() < 2) return std::nullopt;
  auto op = visibility.getArrayItem(0);
  MavDoc::LayerExpression expression;
  expression.kind = op.isNameAndEquals("/And")   ? MavDoc::LayerExpression::Kind::And
                    : op.isNameAndEquals("/Or")  ? MavDoc::LayerExpression::Kind::Or
                    : op.isNameAndEquals("/Not") ? MavDoc::LayerExpression::Kind::Not
                                                 : MavDoc::LayerExpression::Kind::Layer;
  if (expression.kind == MavDoc::LayerExpression::Kind::Layer) return std::nullopt;
  for (int i = 1; i < visibility.getArrayNItems(); ++i) {
    if (auto operand = ExpressionOf(visibility.getArrayItem(i), depth + 1)) {
      expression.operands.push_back(std::move(*operand));
    }
  }
  const std::size_t count = expression.operands.size();
  if (count == 0 || (expression.kind == MavDoc::LayerExpression::Kind::Not && count != 1)) {
    return std::nullopt;
  }
  return expression;
}

// ISO 32000-1 Table 99: /P over /OCGs when there is no /VE.
std::optional<MavDoc::LayerExpression> OptionalContent::MembershipOf(QPDFObjectHandle ocmd) {
  if (auto ve = ocmd.getKey("/VE"); ve.isArray()) {
    if (auto expression = ExpressionOf(ve, 0)) return expression;
  }
  auto groups = ocmd.getKey("/OCGs");
  std::vector<MavDoc::LayerExpression> leaves;
  if (IsType(groups, "/OCG")) leaves.push_back(MavDoc::LayerExpression::Of(PropertiesOf(groups)));
  if (groups.isArray()) {
    for (auto& item : groups.aitems()) {
      if (IsType(item, "/OCG")) leaves.push_back(MavDoc::LayerExpression::Of(PropertiesOf(item)));
    }
  }
  if (leaves.empty()) return std::nullopt;
  auto policy = ocmd.getKey("/P");
  const bool negate = policy.isNameAndEquals("/AnyOff") || policy.isNameAndEquals("/AllOff");
  const bool useAnd = policy.isNameAndEquals("/AllOn") || policy.isNameAndEquals("/AllOff");
  if (negate) {
    for (auto& leaf : leaves) {
      leaf =
          MavDoc::LayerExpression{MavDoc::LayerExpression::Kind::Not, nullptr, {std::move(leaf)}};
    }
  }
  // AnyOff is an Or of Nots, AllOff an And of Nots.
  return MavDoc::LayerExpression{
      useAnd ? MavDoc::LayerExpression::Kind::And : MavDoc::LayerExpression::Kind::Or, nullptr,
      std::move(leaves)};
}

std::optional<LayerDefinition> OptionalContent::LayerOf(QPDFObjectHandle object) {
  if (IsType(object, "/OCG")) {
    auto properties = PropertiesOf(object);
    return LayerDefinition{properties, MavDoc::LayerExpression::Of(properties), object};
  }
  if (!IsType(object, "/OCMD")) return std::nullopt;
  auto expression = MembershipOf(object);
  if (!expression) return std::nullopt;
  auto properties = std::make_shared<MavDoc::LayerProperties>();
  properties->name = "optional content membership";
  properties->visible = MavDoc::Evaluate(
      *expression,
      [](const std::shared_ptr<MavDoc::LayerProperties>& p) { return p && p->visible; });
  return LayerDefinition{properties, std::move(*expression), object};
}

}  // namespace CorvelPdf::Detail
