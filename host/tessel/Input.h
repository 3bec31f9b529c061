#pragma once
// The artwork a planar map is built from: a tree of groups, soft masks and elements in drawing
// order, plus optional bounds. Coordinates are millipoints, y up.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <tessel/Attributes.h>
#include <vexl/Compound.h>

namespace Tessel {

// An area: a compound read with a fill rule. Open subpaths count as closed by a straight line,
// as when filled.
struct Outline {
  std::shared_ptr<const Vexl::Compound> compound;
  Vexl::FillRule rule = Vexl::FillRule::NonZero;
};

// Options of one input element.
struct ElementOptions {
  bool isStroke = false;
  std::vector<Outline> clips;
  std::string name;  // for error messages; the element's index is used when empty
};

// Builder and read-only description of the input tree.
//
// Building: calls nest like drawing. `BeginGroup` ... `EndGroup` encloses a group; its clips
// apply to every element inside it. `BeginSoftMask` ... `EndSoftMask` encloses the artwork of a
// soft mask, which masks the very next element or group added at the same level (so the mask's
// artwork always comes before what it masks). Mask artwork is clipped by the clips of the
// enclosing groups, not by the clips of the group it masks. `AddElement` adds one painted object:
// its shape (for a stroke, the already outlined stroke area) and its own clips; the element is
// present where its shape, all its clips, all clips of its enclosing groups and the bounds cover.
//
// Invariants: nodes are stored in drawing order (pre-order, a soft mask before its target);
// attribute pointers are kept as given (null is allowed for groups and soft masks, not for
// elements). Misuse (unbalanced calls, a soft mask that masks nothing, a null compound) throws
// std::logic_error naming the object.
class Input {
 public:
  static constexpr std::uint32_t kNone = 0xFFFFFFFFu;

  // Names the kinds of input objects and the ways the component iterators select them.
  struct TObject {
    enum class Kind : std::uint8_t { Element, Group, SoftMask };
    // Selection of `TFill::TGraphicsComponentIterator`.
    //  kCovering (2): the direct graphics components of a group or soft mask that take part in
    //    the fill: elements that cover it and groups holding such an element. Empty groups never
    //    appear, so descending always ends at an element.
    //  kCoveringElements (3): every element covering the fill anywhere below the group or soft
    //    mask, depth first, without soft-mask artwork: the painted elements in painting order.
    enum TSelectMode : int { kCovering = 2, kCoveringElements = 3 };
  };

  struct Node {
    TObject::Kind kind = TObject::Kind::Element;
    std::uint32_t parent = kNone;      // enclosing group or soft mask
    std::uint32_t softMask = kNone;    // soft mask attached to this element or group
    std::uint32_t maskTarget = kNone;  // for a soft mask: the element or group it masks
    const TElementAttribute* element = nullptr;
    const TGroupAttribute* group = nullptr;
    const TSoftMaskAttribute* mask = nullptr;
    Outline shape;               // elements only
    bool isStroke = false;       // elements only
    std::vector<Outline> clips;  // own clips of an element or group
    std::string name;
  };

  Input() = default;

  void SetBounds(const Vexl::Rectangle& bounds) { bounds_ = bounds; }
  void BeginGroup(const TGroupAttribute* attribute, std::vector<Outline> clips = {},
                  std::string name = {});
  void EndGroup();
  void BeginSoftMask(const TSoftMaskAttribute* attribute, std::string name = {});
  void EndSoftMask();
  // Returns the node index of the new element.
  std::uint32_t AddElement(const TElementAttribute* attribute, Outline shape,
                           ElementOptions options = {});

  const std::optional<Vexl::Rectangle>& GetBounds() const { return bounds_; }
  const std::vector<Node>& GetNodes() const { return nodes_; }
  // A name for messages: "element 3 'logo'".
  std::string Describe(std::uint32_t node) const;
  // Throws std::logic_error when a group or soft mask is still open or a soft mask masks nothing.
  void CheckComplete() const;

 private:
  std::uint32_t AddNode(Node node);
  void AttachPendingMask(std::uint32_t target);

  std::vector<Node> nodes_;
  std::vector<std::uint32_t> open_;  // open groups and soft masks, innermost last
  std::uint32_t pendingMask_ = kNone;
  std::optional<Vexl::Rectangle> bounds_;
};

}  // namespace Tessel
