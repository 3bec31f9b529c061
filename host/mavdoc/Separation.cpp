#include <mavdoc/Separation.h>

#include <algorithm>

#include <mavdoc/Content.h>

namespace MavDoc {

namespace Separation {

Entries::const_iterator Find(const Entries& info, const std::string& name) {
  return std::find_if(info.begin(), info.end(),
                      [&name](const Entry& e) { return e.GetName() == name; });
}

Entries ProcessEntries() {
  return {Entry("Cyan", kNormalInk, {{1, 0, 0, 0}}), Entry("Magenta", kNormalInk, {{0, 1, 0, 0}}),
          Entry("Yellow", kNormalInk, {{0, 0, 1, 0}}), Entry("Black", kNormalInk, {{0, 0, 0, 1}})};
}

void OrderSeparations(const Entries& info, std::vector<Separations::List::Entry>& entries) {
  std::stable_sort(entries.begin(), entries.end(), [&info](const auto& a, const auto& b) {
    return Find(info, a.name) - info.begin() < Find(info, b.name) - info.begin();
  });
}

}  // namespace Separation

Separations::List Separations::GetList(bool ownOnly) const {
  if (hasOwn_ || ownOnly) return list_;
  List list;
  if (const Document* document = owner_.GetDocument()) {
    for (const auto& entry : document->GetSeparationInfo()) {
      list.entries.push_back({entry.GetName(), {kPrint, 0, 0}});
    }
  }
  return list;
}

void Separations::SetList(List list) {
  list_ = std::move(list);
  hasOwn_ = true;
}

}  // namespace MavDoc
