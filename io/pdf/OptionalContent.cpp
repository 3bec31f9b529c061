#include <io/pdf/OptionalContentInternal.h>
#include <io/pdf/PdfSyntaxInternal.h>

#include <algorithm>
#include <stdexcept>

namespace CorvelPdf::Detail {

namespace {

using Kind = MavDoc::LayerExpression::Kind;

QPDFObjectHandle GroupOf(WriterState& state, const std::shared_ptr<MavDoc::LayerProperties>& layer,
                         const std::string& where) {
  if (!layer) throw std::invalid_argument(where + ": layer expression without a layer");
  const std::string key = AddressKey("ocg", layer.get());
  if (auto found = state.Find(key); found.isInitialized()) return found;
  auto dictionary = QPDFObjectHandle::newDictionary();
  dictionary.replaceKey("/Type", PdfName("OCG"));
  dictionary.replaceKey("/Name", QPDFObjectHandle::newUnicodeString(layer->name));
  auto group = state.Remember(key, state.MakeIndirect(dictionary));
  state.Layers().push_back({layer, group});
  return group;
}

QPDFObjectHandle VisibilityExpression(WriterState& state, const MavDoc::LayerExpression& e,
                                      const std::string& where) {
  if (e.kind == Kind::Layer) return GroupOf(state, e.layer, where);
  if (e.kind == Kind::Not && e.operands.size() != 1) {
    throw std::invalid_argument(where + ": a Not layer expression needs exactly one operand");
  }
  auto array = QPDFObjectHandle::newArray();
  array.appendItem(PdfName(e.kind == Kind::And ? "And" : e.kind == Kind::Or ? "Or" : "Not"));
  for (const auto& operand : e.operands)
    array.appendItem(VisibilityExpression(state, operand, where));
  return array;
}

bool AllLeaves(const MavDoc::LayerExpression& e) {
  return std::all_of(e.operands.begin(), e.operands.end(),
                     [](const auto& operand) { return operand.kind == Kind::Layer; });
}

// The /P policy equivalent to a flat expression (ISO 32000-1 Table 99), or "" when the
// expression nests deeper than /P can say.
std::string Policy(const MavDoc::LayerExpression& e, const MavDoc::LayerExpression*& leaves) {
  leaves = &e;
  if (e.kind == Kind::And && AllLeaves(e)) return "AllOn";
  if (e.kind == Kind::Or && AllLeaves(e)) return "AnyOn";
  if (e.kind != Kind::Not || e.operands.size() != 1) return "";
  const auto& inner = e.operands.front();
  if (inner.kind == Kind::Layer) return "AllOff";
  leaves = &inner;
  if (inner.kind == Kind::Or && AllLeaves(inner)) return "AllOff";
  if (inner.kind == Kind::And && AllLeaves(inner)) return "AnyOff";
  return "";
}

}  // namespace

QPDFObjectHandle LayerMembership(WriterState& state, const MavDoc::Layer& layer,
                                 const std::string& where) {
  const auto& expression = layer.GetExpression();
  if (expression.kind == Kind::Layer) return GroupOf(state, expression.layer, where);
  auto dictionary = QPDFObjectHandle::newDictionary();
  dictionary.replaceKey("/Type", PdfName("OCMD"));
  const MavDoc::LayerExpression* leaves = nullptr;
  if (const std::string policy = Policy(expression, leaves); !policy.empty()) {
    auto groups = QPDFObjectHandle::newArray();
    for (const auto& leaf : leaves->operands) groups.appendItem(GroupOf(state, leaf.layer, where));
    dictionary.replaceKey("/OCGs", groups);
    dictionary.replaceKey("/P", PdfName(policy));
  } else {
    dictionary.replaceKey("/VE", VisibilityExpression(state, expression, where));
  }
  return state.MakeIndirect(dictionary);
}

QPDFObjectHandle OptionalContentProperties(WriterState& state) {
  if (state.Layers().empty()) return {};
  auto all = QPDFObjectHandle::newArray();
  auto off = QPDFObjectHandle::newArray();
  for (const auto& entry : state.Layers()) {
    all.appendItem(entry.group);
    if (!entry.properties->visible) off.appendItem(entry.group);
  }
  auto defaults = QPDFObjectHandle::newDictionary();
  defaults.replaceKey("/BaseState", PdfName("ON"));
  defaults.replaceKey("/Order", all.shallowCopy());
  defaults.replaceKey("/OFF", off);
  auto properties = QPDFObjectHandle::newDictionary();
  properties.replaceKey("/OCGs", all);
  properties.replaceKey("/D", defaults);
  return properties;
}

}  // namespace CorvelPdf::Detail
