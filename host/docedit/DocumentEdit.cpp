#include <docedit/DocumentEdit.h>

#include <algorithm>
#include <map>
#include <set>
#include <unordered_set>
#include <stdexcept>

namespace DocumentEdit {

namespace {

using MavDoc::Content;
using MavDoc::ContentObject;

// The outermost content above `content` (a page or soft-mask content, or a detached group's).
const Content& Root(const Content& content) {
  const Content* c = &content;
  while (c->GetOwner() && c->GetOwner()->GetContainer()) c = c->GetOwner()->GetContainer();
  return *c;
}

bool InTree(const Content& list, const Content& root) { return &Root(list) == &root; }

// True when `object` or a group around it is among `deleted`.
bool IsDeletedOrInside(const ContentObject* object, const std::set<const ContentObject*>& deleted) {
  for (const ContentObject* o = object; o; o = o->GetParent()) {
    if (deleted.count(o)) return true;
  }
  return false;
}

std::set<const ContentObject*> CheckDeletes(const std::vector<ObjectAndPosContainer>& deletes,
                                            const Content& root) {
  std::set<const ContentObject*> deleted;
  for (const auto& record : deletes) {
    const ContentObject* object = record.object.get();
    if (!object) throw std::invalid_argument("Delete record without an object");
    if (record.object.get_deleter().owning) {
      throw std::invalid_argument("Delete record must not own its object");
    }
    if (!object->GetContainer() || !InTree(*object->GetContainer(), root)) {
      throw std::invalid_argument("Object to delete is not in this content");
    }
    if (!deleted.insert(object).second) {
      throw std::invalid_argument("Object to delete is named twice");
    }
  }
  return deleted;
}

Content& TargetList(Content& content, const ObjectAndPosContainer& record) {
  return record.container ? record.container->GetContent() : content;
}

void CheckInserts(Content& content, const std::vector<ObjectAndPosContainer>& inserts,
                  const std::set<const ContentObject*>& deleted) {
  const Content& root = Root(content);
  for (const auto& record : inserts) {
    if (!record.object) throw std::invalid_argument("Insert record without a new object");
    if (!record.object.get_deleter().owning) {
      throw std::invalid_argument("Insert record does not own its new object");
    }
    if (record.object->GetContainer()) {
      throw std::invalid_argument("New object is already in a content");
    }
    const Content& list = TargetList(content, record);
    if (!InTree(list, root)) throw std::invalid_argument("Insert container is not in this content");
    if (record.container && IsDeletedOrInside(record.container, deleted)) {
      throw std::invalid_argument("Insert container is deleted by the same edit");
    }
    if (record.position && !list.Contains(*record.position)) {
      throw std::invalid_argument("Insert position is not in its container");
    }
  }
}

}  // namespace

ObjectAndPosContainer ObjectAndPosContainer::Insert(std::unique_ptr<ContentObject> object,
                                                    ContentObject* position,
                                                    MavDoc::Group* container) {
  return {ObjectPtr(object.release(), ObjectDisposer{true}), position, container};
}

ObjectAndPosContainer ObjectAndPosContainer::Delete(ContentObject& object) {
  return {ObjectPtr(&object, ObjectDisposer{false}), nullptr, nullptr};
}

void InsertAndDeleteObjects(Content& content, std::vector<ObjectAndPosContainer> inserts,
                            std::vector<ObjectAndPosContainer> deletes) {
  const auto deleted = CheckDeletes(deletes, Root(content));
  CheckInserts(content, inserts, deleted);

  // One pass per list, so that an edit of many objects costs time in proportion to the lists.
  std::map<Content*, std::vector<Content::Insertion>> byList;
  for (auto& record : inserts) {
    byList[&TargetList(content, record)].emplace_back(
        record.position, std::unique_ptr<ContentObject>(record.object.release()));
  }
  std::map<Content*, std::unordered_set<const ContentObject*>> removals;
  for (const auto& record : deletes) {
    const ContentObject* object = record.object.get();
    // Members of a deleted group go with it.
    if (IsDeletedOrInside(object->GetParent(), deleted)) continue;
    removals[object->GetContainer()].insert(object);
  }
  for (auto& [list, insertions] : byList) list->InsertBatch(std::move(insertions));
  for (auto& [list, members] : removals) list->RemoveBatch(members);
}

}  // namespace DocumentEdit
