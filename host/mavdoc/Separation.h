#pragma once
// Separations (inks): the document's separation info and the separation lists of contents.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace MavDoc {

class Content;

namespace Separation {

// Ink types: how an ink lays down. Opaque inks hide what is printed before them.
inline constexpr int kNormalInk = 0;
inline constexpr int kOpaqueInk = 1;
inline constexpr int kTransparentInk = 2;

// How an ink looks: its process (CMYK) equivalent at full tint, used for previews and as the
// alternate colour when the ink is written to a file.
struct Representation {
  std::array<float, 4> cmyk{0, 0, 0, 1};
  friend bool operator==(const Representation&, const Representation&) = default;
};

// One ink of a document.
class Entry {
 public:
  Entry(std::string name, int inkType, Representation representation)
      : name_(std::move(name)), inkType_(inkType), representation_(representation) {}
  const std::string& GetName() const { return name_; }
  int GetInkType() const { return inkType_; }
  const Representation& GetRepresentation() const { return representation_; }
  friend bool operator==(const Entry&, const Entry&) = default;

 private:
  std::string name_;
  int inkType_;
  Representation representation_;
};

using Entries = std::vector<Entry>;

// The entry of that name (exact bytes), or info.end().
Entries::const_iterator Find(const Entries& info, const std::string& name);

// The process inks "Cyan", "Magenta", "Yellow", "Black" with their usual appearance.
Entries ProcessEntries();

}  // namespace Separation

// The separation list of a content: the plates it prints on, with three 32-bit settings for the
// list and for each entry. Settings word 0 holds output bits (kPrint, kPreviewOnly); words 1
// and 2 are free for the application. A setting counts for output when it has a bit other than
// kPreviewOnly; a list whose own settings count makes every entry output.
class Separations {
 public:
  static constexpr std::uint32_t kPrint = 1;
  static constexpr std::uint32_t kPreviewOnly = 2;

  struct List {
    struct Entry {
      std::string name;
      std::array<std::uint32_t, 3> settings{kPrint, 0, 0};
      friend bool operator==(const Entry&, const Entry&) = default;
    };
    std::array<std::uint32_t, 3> settings{0, 0, 0};
    std::vector<Entry> entries;
    friend bool operator==(const List&, const List&) = default;
  };

  explicit Separations(const Content& owner) : owner_(owner) {}

  // The content's list. With `ownOnly` false, a content that has no list of its own gets one
  // entry (printing) per ink of its document's separation info; with `ownOnly` true it gets
  // its own list, possibly empty.
  List GetList(bool ownOnly) const;
  void SetList(List list);
  bool HasOwnList() const { return hasOwn_; }

 private:
  const Content& owner_;
  List list_;
  bool hasOwn_ = false;
};

namespace Separation {
// Puts list entries in the order of the separation info (print order); entries missing from
// the info go last, keeping their order.
void OrderSeparations(const Entries& info, std::vector<Separations::List::Entry>& entries);
}  // namespace Separation

}  // namespace MavDoc
