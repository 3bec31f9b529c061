#pragma once
// Fills of the planar map: one per distinct set of input elements covering an area.

#include <cstdint>
#include <span>
#include <vector>

#include <tessel/Attributes.h>
#include <tessel/Input.h>

namespace Tessel {

struct FillAccess;

// The stack of input elements that cover one or more regions, and the part of the input tree
// above them. Invariants: elements are listed bottom first (drawing order, the artwork of a soft
// mask before the element or group it masks); the component tree holds exactly the covering
// elements, the groups enclosing them and the soft masks attached to those; the uncovered fill
// has no elements and the lowest number (0). Fills belong to their `TesselFixed::Graph`.
class TFill {
 public:
  class TComponent;
  class TElement;
  class TGroup;
  class TSoftMask;
  class TGraphicsComponentIterator;
  class TMaskComponentIterator;
  using TGraphicsComponent = TComponent;

  // An element or a group of the fill's component tree, with the soft mask attached to it.
  class TComponent {
   public:
    const TElement* Element() const;
    const TGroup* Group() const;
    // The soft mask attached to this component, or null.
    const TSoftMask* SoftMask() const { return softMask_; }
    // Index of the input node (`Input::GetNodes()`); Input::kNone for the top group.
    std::uint32_t InputIndex() const { return node_; }

   protected:
    friend struct FillAccess;
    Input::TObject::Kind kind_ = Input::TObject::Kind::Group;
    std::uint32_t node_ = Input::kNone;
    const TSoftMask* softMask_ = nullptr;
  };

  class TElement : public TComponent {
   public:
    // Exactly the pointer given to `Input::AddElement`.
    const TElementAttribute* Attribute() const { return attribute_; }

   private:
    friend struct FillAccess;
    const TElementAttribute* attribute_ = nullptr;
  };

  // A group, or the fill's top group (no attribute, no input node).
  class TGroup : public TComponent {
   public:
    const TGroupAttribute* GroupAttribute() const { return attribute_; }

   private:
    friend struct FillAccess;
    friend class TGraphicsComponentIterator;
    friend class TMaskComponentIterator;
    const TGroupAttribute* attribute_ = nullptr;
    const TComponent* const* childBegin_ = nullptr;
    const TComponent* const* childEnd_ = nullptr;
  };

  // A soft mask attached to a component; its artwork is a list of graphics components.
  class TSoftMask {
   public:
    const TSoftMaskAttribute* SoftMaskAttribute() const { return attribute_; }
    std::uint32_t InputIndex() const { return node_; }

   private:
    friend struct FillAccess;
    friend class TGraphicsComponentIterator;
    friend class TMaskComponentIterator;
    const TSoftMaskAttribute* attribute_ = nullptr;
    std::uint32_t node_ = Input::kNone;
    const TComponent* const* childBegin_ = nullptr;
    const TComponent* const* childEnd_ = nullptr;
  };

  // The graphics components of a group or soft mask, bottom first; `Next()` returns null after
  // the last. Select modes are described at `Input::TObject::TSelectMode`; other values throw
  // std::invalid_argument. `expandPlainGroups` (kCovering only): a member group without
  // attribute and without soft mask is replaced by its own components, recursively; with false
  // every member group is returned as it is. kCoveringElements ignores the flag.
  class TGraphicsComponentIterator {
   public:
    TGraphicsComponentIterator(const TGroup& group, Input::TObject::TSelectMode mode,
                               bool expandPlainGroups);
    TGraphicsComponentIterator(const TSoftMask& mask, Input::TObject::TSelectMode mode,
                               bool expandPlainGroups);
    const TComponent* Next();

   private:
    struct Range {
      const TComponent* const* next;
      const TComponent* const* end;
    };
    void Start(Range range, int mode);
    std::vector<Range> stack_;
    bool flatten_ = false;
    bool expandPlain_ = false;
  };

  // The soft masks of a component: its own first. With `includeNested`, also the soft masks
  // attached to components of that mask's artwork, depth first, bottom first. `Next()` returns
  // null after the last.
  class TMaskComponentIterator {
   public:
    TMaskComponentIterator(const TComponent& component, bool includeNested);
    const TSoftMask* Next();

   private:
    void PushArtwork(const TSoftMask& mask);
    std::vector<const TSoftMask*> pending_;
    std::vector<const TComponent*> artwork_;
    bool includeNested_ = false;
  };

  TFill() = default;
  TFill(const TFill&) = delete;
  TFill& operator=(const TFill&) = delete;
  TFill(TFill&&) = default;
  TFill& operator=(TFill&&) = default;

  // Position in stacking order: of two fills, the one whose topmost element is painted later is
  // higher (ties decided by the next element down); the uncovered fill is 0.
  int GetNumber() const { return number_; }
  // Number of covering elements (soft-mask artwork included); 0 for uncovered area.
  int NElements() const { return static_cast<int>(elements_.size()); }
  // The i-th covering element, bottom first; 0 <= i < NElements().
  const TElement& GetElement(int i) const { return elements_.at(static_cast<std::size_t>(i)); }
  // True when some covering element is opaque (TElementAttribute::IsOpaque), has no soft mask,
  // lies outside soft-mask artwork, and every group around it keeps opacity (no attribute or
  // TGroupAttribute::KeepsOpacity) and has no soft mask.
  bool IsOpaque() const { return opaque_; }
  const TGroup& GetTopGroup() const { return groups_.front(); }
  const TComponent& GetRootComponent() const { return groups_.front(); }

 private:
  friend struct FillAccess;
  int number_ = 0;
  bool opaque_ = false;
  std::vector<TElement> elements_;
  std::vector<TGroup> groups_;  // groups_[0] is the top group
  std::vector<TSoftMask> masks_;
  std::vector<const TComponent*> children_;
};

// The fill a map would give an area covered by exactly `elements` (input node indices,
// ascending), made without a map: for rendering artwork whose coverage comes from elsewhere.
// Soft-mask artwork elements may be listed only together with an element their mask applies to.
TFill MakeFillOfElements(const Input& input, std::span<const std::uint32_t> elements);

}  // namespace Tessel
