#pragma once
// The component tree that a composite program is built from: painted elements, transparency
// groups and soft masks (ISO 32000-1 §11.3–11.6).

#include <compositing/BlendMode.h>
#include <compositing/SeparationSpace.h>

#include <functional>
#include <memory>
#include <utility>
#include <variant>
#include <vector>

namespace Composite {

struct SoftMask;
struct Node;

// `Element::input` of an element whose colour and shape are the same at every point.
inline constexpr int kFlat = -1;

// One painted object covering the point. Its colour has one tint per separation of the
// enclosing space (0 = no ink, 1 = full ink); a separation the paint does not name is tint 0,
// which is how a spot or a process paint erases the other plates under Normal (ISO 32000-1
// §11.7.3). All values lie in [0, 1].
//
// A varying element (shading, picture) sets `input` to the index of its per-pixel values
// (tints and a shape plane) and leaves `tints` empty; its per-pixel shape multiplies `shape`.
// A shading point that it leaves unpainted has per-pixel shape 0.
struct Element {
  std::vector<float> tints;
  float shape = 1;          // f_j, the object's own shape
  float opacity = 1;        // q_j, the object's own opacity
  float constantAlpha = 1;  // ca (or CA for a stroke)
  bool alphaIsShape = false;
  BlendMode blendMode = BlendMode::Normal;
  std::shared_ptr<const SoftMask> softMask;
  int input = kFlat;
  // Overprint (ISO 32000-1 §8.6.7, §11.7.4.5): per separation, true where the element does not
  // paint the ink, so that it keeps the backdrop's (B = backdrop under Normal; a separable mode
  // blends the backdrop with itself, B(t_b, t_b)); empty: it paints every separation. Under a
  // non-separable mode C, M and Y keep the backdrop only all together; a partial choice among
  // them is painted as if none kept it.
  std::vector<bool> keepsBackdrop;
};

// A transparency group: its elements (bottom to top) are composited on their own and the
// result is painted as one object with the group's own alpha, blend mode and soft mask.
struct Group {
  std::vector<Node> elements;
  bool isolated = false;
  bool knockout = false;
  float constantAlpha = 1;
  bool alphaIsShape = false;
  BlendMode blendMode = BlendMode::Normal;
  std::shared_ptr<const SoftMask> softMask;
};

// A soft mask: a group of its own, in its own colour space, that yields one value m in [0, 1]
// per point (ISO 32000-1 §11.5). Alpha masks take the group's alpha; luminosity masks
// composite the group over an opaque backdrop colour and take the luminosity of the result,
// Y = [0.30 (1 − C) + 0.59 (1 − M) + 0.11 (1 − Y)] (1 − K) on the space's process roles,
// which gives gray for DeviceGray and 0.30 R + 0.59 G + 0.11 B for DeviceRGB.
// The group itself is painted with Normal, alpha 1 and no soft mask.
struct SoftMask {
  enum class Kind { Alpha, Luminosity };
  Kind kind = Kind::Luminosity;
  // The group's colour space: the tints of its elements and of `backdrop` are in it. A
  // luminosity mask's space may hold process roles only (spots are unavailable in masks).
  SeparationSpace space = SeparationSpace::DeviceCmyk();
  std::vector<Node> elements;
  bool isolated = false;
  bool knockout = false;
  // BC, tints in `space`; empty means the space's black (K = 1, or all of C, M, Y = 1 when
  // the space has no black role). Only luminosity masks read it.
  std::vector<float> backdrop;
  // TR applied to the alpha or luminosity; empty means identity. Its result is clamped to
  // [0, 1]; a result that is not a number is an error.
  std::function<double(double)> transfer;
};

// An element or a group.
struct Node {
  // Implicit, so that a list of nodes can be written as a list of elements and groups.
  Node(Element element) : content(std::move(element)) {}
  Node(Group group) : content(std::move(group)) {}
  std::variant<Element, Group> content;
};

}  // namespace Composite
