#include <mavdoc/Content.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include <mavdoc/Objects.h>

namespace MavDoc {

Content::Content(int type, const Document* document, Group* owner)
    : type_(type), document_(document), owner_(owner), separations_(*this) {}

Content::~Content() {
  // Destroy from the top down so that links never point at destroyed neighbours.
  while (!children_.empty()) children_.pop_back();
}

std::shared_ptr<Content> Content::MakeSoftMaskContent(const Document* document) {
  return std::shared_ptr<Content>(new Content(kSoftMaskContent, document, nullptr));
}

const Document* Content::GetDocument() const {
  if (document_) return document_;
  for (const Group* group = owner_; group; group = group->GetParent()) {
    const Content* container = group->GetContainer();
    if (!container) return nullptr;
    if (container->document_) return container->document_;
    if (!container->owner_) return nullptr;
  }
  return nullptr;
}

Content::ChildRange Content::GetChildren() const {
  return {boost::make_indirect_iterator(children_.cbegin()),
          boost::make_indirect_iterator(children_.cend())};
}

bool Content::Contains(const ContentObject& object) const { return object.container_ == this; }

void Content::Reserve(std::size_t count) { children_.reserve(count); }

Content::Children::iterator Content::Position(const ContentObject& object) {
  auto it = std::find_if(children_.begin(), children_.end(),
                         [&object](const auto& child) { return child.get() == &object; });
  if (it == children_.end()) throw std::invalid_argument("Object is not in this content");
  return it;
}

void Content::Relink(std::size_t from) {
  for (std::size_t i = from; i < children_.size(); ++i) {
    children_[i]->below_ = i == 0 ? nullptr : children_[i - 1].get();
  }
}

ContentObject& Content::AddOnTop(std::unique_ptr<ContentObject> object) {
  const ContentObject* top = children_.empty() ? nullptr : children_.back().get();
  return InsertAbove(top, std::move(object));
}

ContentObject& Content::InsertAbove(const ContentObject* below,
                                    std::unique_ptr<ContentObject> object) {
  if (!object) throw std::invalid_argument("Cannot insert a null object");
  if (object->container_) throw std::invalid_argument("Object is already in a content");
  if (const auto* group = dynamic_cast<const Group*>(object.get())) {
    for (const Group* g = owner_; g; g = g->GetParent()) {
      if (g == group) throw std::invalid_argument("A group cannot contain itself");
    }
  }
  const auto at = below ? Position(*below) + 1 : children_.begin();
  const auto index = static_cast<std::size_t>(at - children_.begin());
  object->container_ = this;
  ContentObject& inserted = **children_.insert(at, std::move(object));
  Relink(index);
  return inserted;
}

std::unique_ptr<ContentObject> Content::Remove(const ContentObject& object) {
  const auto at = Position(object);
  const auto index = static_cast<std::size_t>(at - children_.begin());
  std::unique_ptr<ContentObject> taken = std::move(*at);
  children_.erase(at);
  taken->container_ = nullptr;
  taken->below_ = nullptr;
  Relink(index);
  return taken;
}

void Content::InsertBatch(std::vector<Insertion> insertions) {
  // Places by the member below, each list top-down: the first record ends highest.
  std::unordered_map<const ContentObject*, std::vector<std::unique_ptr<ContentObject>*>> above;
  for (auto it = insertions.rbegin(); it != insertions.rend(); ++it) {
    if (!it->second) throw std::invalid_argument("Cannot insert a null object");
    if (it->second->container_) throw std::invalid_argument("Object is already in a content");
    if (it->first && it->first->container_ != this) {
      throw std::invalid_argument("Object is not in this content");
    }
    above[it->first].push_back(&it->second);
  }
  Children merged;
  merged.reserve(children_.size() + insertions.size());
  auto place = [&](const ContentObject* below) {
    if (auto found = above.find(below); found != above.end()) {
      for (auto* object : found->second) merged.push_back(std::move(*object));
    }
  };
  place(nullptr);
  for (auto& child : children_) {
    const ContentObject* member = child.get();
    merged.push_back(std::move(child));
    place(member);
  }
  children_ = std::move(merged);
  for (auto& child : children_) child->container_ = this;
  Relink(0);
}

void Content::RemoveBatch(const std::unordered_set<const ContentObject*>& members) {
  Children kept;
  kept.reserve(children_.size());
  Children removed;
  for (auto& child : children_) {
    (members.count(child.get()) ? removed : kept).push_back(std::move(child));
  }
  children_ = std::move(kept);
  Relink(0);
  for (auto& object : removed) object->container_ = nullptr;
}

void Content::AcceptChildren(VisitorBase& visitor) {
  // Index-based: a visitor may only read, but must not see a moved vector mid-walk.
  for (std::size_t i = 0; i < children_.size(); ++i) children_[i]->Accept(visitor);
}

void Content::Accept(VisitorBase& visitor) {
  if (visitor.Visit(*this)) AcceptChildren(visitor);
  visitor.EndVisit(*this);
}

void PageContent::Accept(VisitorBase& visitor) {
  if (visitor.Visit(*this)) AcceptChildren(visitor);
  visitor.EndVisit(*this);
}

Page::Page(const Document* document, const Vexl::Rectangle& mediaBox)
    : content_(std::make_unique<PageContent>(document, *this)) {
  SetPageBox(kMediaBox, mediaBox);
}

const Vexl::Rectangle& Page::GetPageBox(PageBox box) const {
  if (auto it = boxes_.find(box); it != boxes_.end()) return it->second;
  if (box == kMediaBox) throw std::logic_error("Page without media box");
  return GetPageBox(box == kCropBox ? kMediaBox : kCropBox);
}

void Page::SetPageBox(PageBox box, const Vexl::Rectangle& rectangle) {
  if (box < kMediaBox || box > kArtBox) throw std::invalid_argument("Unknown page box");
  if (!(rectangle.width >= 0) || !(rectangle.height >= 0) || !std::isfinite(rectangle.x) ||
      !std::isfinite(rectangle.y) || !std::isfinite(rectangle.width) ||
      !std::isfinite(rectangle.height)) {
    throw std::invalid_argument("Page box must be finite with non-negative size");
  }
  boxes_[box] = rectangle;
}

void Page::SetRotation(int degrees) {
  if (degrees % 90 != 0) throw std::invalid_argument("Page rotation must be a multiple of 90");
  rotation_ = ((degrees % 360) + 360) % 360;
}

void Page::Accept(VisitorBase& visitor) {
  if (visitor.Visit(*this)) content_->Accept(visitor);
  visitor.EndVisit(*this);
}

Page& Part::AddPage(const Vexl::Rectangle& mediaBox) {
  pages_.push_back(std::make_unique<Page>(document_, mediaBox));
  return *pages_.back();
}

void Part::Accept(VisitorBase& visitor) {
  if (visitor.Visit(*this)) {
    for (auto& page : pages_) page->Accept(visitor);
  }
  visitor.EndVisit(*this);
}

Part& Parts::AddPart() {
  parts_.push_back(std::make_unique<Part>(document_));
  return *parts_.back();
}

void Parts::Accept(VisitorBase& visitor) {
  if (visitor.Visit(*this)) {
    for (auto& part : parts_) part->Accept(visitor);
  }
  visitor.EndVisit(*this);
}

Document::Document(Separation::Entries separationInfo)
    : separationInfo_(std::move(separationInfo)), parts_(this) {}

const Separation::Entry& Document::AddSeparation(Separation::Entry entry) {
  auto it = Separation::Find(separationInfo_, entry.GetName());
  if (it != separationInfo_.end()) return *it;
  separationInfo_.push_back(std::move(entry));
  return separationInfo_.back();
}

Page& Document::AddPage(const Vexl::Rectangle& mediaBox) {
  if (parts_.GetList().empty()) parts_.AddPart();
  return parts_.GetList().back()->AddPage(mediaBox);
}

std::vector<Page*> Document::GetPages() const {
  std::vector<Page*> pages;
  for (const auto& part : parts_.GetList()) {
    for (const auto& page : part->GetPages()) pages.push_back(page.get());
  }
  return pages;
}

void Document::Accept(VisitorBase& visitor) {
  if (visitor.Visit(*this)) parts_.Accept(visitor);
  visitor.EndVisit(*this);
}

}  // namespace MavDoc
