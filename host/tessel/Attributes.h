#pragma once
// Attribute bases of the planar map. A front end derives its element, group and soft-mask
// attributes from these classes and hands the map plain pointers; the map stores and returns
// exactly those pointers and never owns, copies or compares the objects behind them. The
// attributes must outlive every map built from them.

namespace Tessel {

// What one painted input object (an element) carries into the map.
class TElementAttribute {
 public:
  virtual ~TElementAttribute() = default;

  // True when the element paints its whole shape at full alpha without a soft mask, so that
  // nothing below it shows through. `TFill::IsOpaque()` relies on it; the default is the
  // conservative answer.
  virtual bool IsOpaque() const { return false; }
};

// What a group of the input tree carries into the map.
class TGroupAttribute {
 public:
  virtual ~TGroupAttribute() = default;

  // True when an opaque member stays opaque through this group: group alpha 1, no soft mask,
  // no knockout. `TFill::IsOpaque()` relies on it; the default is the conservative answer.
  virtual bool KeepsOpacity() const { return false; }
};

// What a soft mask of the input tree carries into the map.
class TSoftMaskAttribute {
 public:
  virtual ~TSoftMaskAttribute() = default;
};

}  // namespace Tessel
