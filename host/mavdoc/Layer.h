#pragma once
// Layer visibility: layer properties and the expressions over them that decide visibility.

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace MavDoc {

// A layer as the user sees it (an optional-content group): its name and default visibility.
struct LayerProperties {
  std::string name;
  bool visible = true;
};

using LayerPredicate = std::function<bool(const std::shared_ptr<LayerProperties>&)>;

// A visibility expression: one layer, or And / Or / Not over sub-expressions.
struct LayerExpression {
  enum class Kind { Layer, And, Or, Not };
  Kind kind = Kind::Layer;
  std::shared_ptr<LayerProperties> layer;
  std::vector<LayerExpression> operands;

  static LayerExpression Of(std::shared_ptr<LayerProperties> layer) {
    return {Kind::Layer, std::move(layer), {}};
  }
};

// Whether the expression holds when each layer's visibility is given by `predicate`.
// Throws std::bad_function_call for an empty predicate and std::invalid_argument for a
// malformed expression (Not without exactly one operand, a layer leaf without layer).
bool Evaluate(const LayerExpression& expression, const LayerPredicate& predicate);

}  // namespace MavDoc
