#include <mavdoc/Layer.h>

#include <stdexcept>

namespace MavDoc {

bool Evaluate(const LayerExpression& expression, const LayerPredicate& predicate) {
  using Kind = LayerExpression::Kind;
  switch (expression.kind) {
    case Kind::Layer:
      if (!expression.layer) throw std::invalid_argument("Layer expression without a layer");
      return predicate(expression.layer);
    case Kind::Not:
      if (expression.operands.size() != 1) {
        throw std::invalid_argument("A Not layer expression needs exactly one operand");
      }
      return !Evaluate(expression.operands.front(), predicate);
    case Kind::And:
      for (const auto& operand : expression.operands) {
        if (!Evaluate(operand, predicate)) return false;
      }
      return true;
    case Kind::Or:
      for (const auto& operand : expression.operands) {
        if (Evaluate(operand, predicate)) return true;
      }
      return false;
  }
  throw std::invalid_argument("Unknown layer expression");
}

}  // namespace MavDoc
