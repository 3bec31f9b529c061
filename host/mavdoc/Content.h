#pragma once
// Contents (ordered lists of objects, bottom first), pages and the document.

#include <map>
#include <unordered_map>
#include <unordered_set>
#include <memory>
#include <vector>

#include <boost/iterator/indirect_iterator.hpp>
#include <boost/range/iterator_range.hpp>

#include <mavdoc/Separation.h>
#include <mavdoc/Visitor.h>
#include <vexl/Geometry.h>

namespace MavDoc {

class ContentObject;
class Document;
class Group;
class Page;

// An ordered list of objects, bottom (painted first) to top, that it owns. Type 0 is a page's
// content (a PageContent), type 1 a group's members, type 2 a soft mask's artwork.
class Content : public Visitable {
 public:
  static constexpr int kPageContent = 0;
  static constexpr int kGroupContent = 1;
  static constexpr int kSoftMaskContent = 2;

  using Children = std::vector<std::unique_ptr<ContentObject>>;
  using ChildRange = boost::iterator_range<boost::indirect_iterator<Children::const_iterator>>;

  // A soft-mask content of `document` (which must outlive it).
  static std::shared_ptr<Content> MakeSoftMaskContent(const Document* document);

  ~Content() override;
  Content(const Content&) = delete;
  Content& operator=(const Content&) = delete;

  int GetType() const { return type_; }
  // The document this content belongs to, through its owning group when it has one; null for
  // the content of a group that is in no document yet.
  const Document* GetDocument() const;
  // The group that owns this content (type 1), else null.
  Group* GetOwner() const { return owner_; }
  Separations& GetSeparations() { return separations_; }
  const Separations& GetSeparations() const { return separations_; }

  ChildRange GetChildren() const;
  std::size_t Size() const { return children_.size(); }
  bool Contains(const ContentObject& object) const;
  // Makes room for `count` members so that the next insertions cannot fail for memory.
  void Reserve(std::size_t count);

  // Takes `object` and puts it on top. Throws std::invalid_argument for null or an object that
  // is already in a content.
  ContentObject& AddOnTop(std::unique_ptr<ContentObject> object);
  // Takes `object` and puts it just above `below` (a member of this content), or at the
  // bottom when `below` is null.
  ContentObject& InsertAbove(const ContentObject* below, std::unique_ptr<ContentObject> object);
  // Takes `object` out of this content and hands it back.
  std::unique_ptr<ContentObject> Remove(const ContentObject& object);
  // Many insertions in one pass: each object goes just above its `below` member (null: at the
  // bottom); objects naming the same place keep their order with the first highest. Every
  // `below` must be a member; on failure (memory) the content is unchanged.
  using Insertion = std::pair<const ContentObject*, std::unique_ptr<ContentObject>>;
  void InsertBatch(std::vector<Insertion> insertions);
  // Removes and destroys the given members in one pass (others are ignored).
  void RemoveBatch(const std::unordered_set<const ContentObject*>& members);

  void Accept(VisitorBase& visitor) override;
  void AcceptChildren(VisitorBase& visitor);

 protected:
  Content(int type, const Document* document, Group* owner);

 private:
  friend class Group;
  Children::iterator Position(const ContentObject& object);
  void Relink(std::size_t from);

  int type_;
  const Document* document_;
  Group* owner_;
  Separations separations_;
  Children children_;
};

class PageContent final : public Content {
 public:
  PageContent(const Document* document, Page& page) : Content(kPageContent, document, nullptr), page_(page) {}
  Page& GetPage() const { return page_; }
  void Accept(VisitorBase& visitor) override;

 private:
  Page& page_;
};

// Page boxes: 0 media box, 1 crop box, 2 bleed box, 3 trim box, 4 art box. A missing crop box
// is the media box; a missing bleed, trim or art box is the crop box.
enum PageBox { kMediaBox = 0, kCropBox = 1, kBleedBox = 2, kTrimBox = 3, kArtBox = 4 };

class Page : public Visitable {
 public:
  Page(const Document* document, const Vexl::Rectangle& mediaBox);
  const Vexl::Rectangle& GetPageBox(PageBox box) const;
  void SetPageBox(PageBox box, const Vexl::Rectangle& rectangle);
  bool HasPageBox(PageBox box) const { return boxes_.count(box) != 0; }
  // Clockwise rotation for display, a multiple of 90 degrees.
  int GetRotation() const { return rotation_; }
  void SetRotation(int degrees);
  PageContent& GetContent() { return *content_; }
  const PageContent& GetContent() const { return *content_; }
  void Accept(VisitorBase& visitor) override;

 private:
  std::map<PageBox, Vexl::Rectangle> boxes_;
  int rotation_ = 0;
  std::unique_ptr<PageContent> content_;
};

// A run of pages (a section of a document).
class Part : public Visitable {
 public:
  explicit Part(const Document* document) : document_(document) {}
  Page& AddPage(const Vexl::Rectangle& mediaBox);
  const std::vector<std::unique_ptr<Page>>& GetPages() const { return pages_; }
  void Accept(VisitorBase& visitor) override;

 private:
  const Document* document_;
  std::vector<std::unique_ptr<Page>> pages_;
};

class Parts : public Visitable {
 public:
  explicit Parts(const Document* document) : document_(document) {}
  Part& AddPart();
  const std::vector<std::unique_ptr<Part>>& GetList() const { return parts_; }
  void Accept(VisitorBase& visitor) override;

 private:
  const Document* document_;
  std::vector<std::unique_ptr<Part>> parts_;
};

// A document: its inks (separation info, in print order) and its parts and pages.
class Document : public Visitable {
 public:
  explicit Document(Separation::Entries separationInfo = Separation::ProcessEntries());
  Document(const Document&) = delete;
  Document& operator=(const Document&) = delete;

  const Separation::Entries& GetSeparationInfo() const { return separationInfo_; }
  // Adds an ink at the end of the print order unless one of that name exists; returns it.
  const Separation::Entry& AddSeparation(Separation::Entry entry);
  Parts& GetParts() { return parts_; }
  const Parts& GetParts() const { return parts_; }
  // A page appended to the last part (a first part is made when there is none).
  Page& AddPage(const Vexl::Rectangle& mediaBox);
  std::vector<Page*> GetPages() const;
  void Accept(VisitorBase& visitor) override;

 private:
  Separation::Entries separationInfo_;
  Parts parts_;
};

}  // namespace MavDoc
