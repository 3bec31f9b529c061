#pragma once
// Chooses the objects a flattening replaces: a document visitor that lists them for deletion,
// whole groups where a group consists of removable objects only.

#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include <docedit/DocumentEdit.h>
#include <mavdoc/Layer.h>
#include <mavdoc/Visitor.h>

namespace Corvel {

// Walks a content once, top-down: the nearest layer above an object decides its visibility
// (`selectionFlag` where no layer does), and an object counts as chosen when it or an enclosing
// group (not a layer) is accepted by the object predicate. A container whose members are all
// removable goes as a whole, unless a new object goes into it; a container that stays keeps
// its parent. Clipping objects that are not removed never keep their container.
//
// The delete list and both predicates must outlive the collector.
class RemovableCollector : public MavDoc::VisitorBase {
 public:
  RemovableCollector(std::vector<DocumentEdit::ObjectAndPosContainer>& deleteList,
                     const std::vector<DocumentEdit::ObjectAndPosContainer>& insertList,
                     const MavDoc::LayerPredicate& layerPredicate, bool selectionFlag,
                     const std::function<bool(const MavDoc::ContentObject&)>& objectPredicate,
                     bool strictSelection);
  ~RemovableCollector() override;

  bool Visit(MavDoc::TextGroup& group) override;
  bool Visit(MavDoc::Layer& layer) override;
  bool Visit(MavDoc::Group& group) override;
  bool Visit(MavDoc::Blendable& object) override;
  bool Visit(MavDoc::Content& content) override;
  void EndVisit(MavDoc::TextGroup& group) override;
  void EndVisit(MavDoc::Layer& layer) override;
  void EndVisit(MavDoc::Group& group) override;
  void EndVisit(MavDoc::Content& content) override;

 private:
  struct Frame {
    std::vector<MavDoc::ContentObject*> objects;
    bool removable = true;
  };

  void Open(const MavDoc::Content& children, bool force);
  void Close(MavDoc::ContentObject* container);
  void AddDrawn(MavDoc::ContentObject& object);
  bool IsKept(const MavDoc::ContentObject* container) const;

  std::vector<DocumentEdit::ObjectAndPosContainer>* deleteList_;
  std::vector<MavDoc::Group*> keptGroups_;
  const MavDoc::LayerPredicate* layerPredicate_;
  const std::function<bool(const MavDoc::ContentObject&)>* objectPredicate_;
  bool strictSelection_;
  std::deque<bool> layerVisible_;
  std::deque<bool> selectedAbove_;
  std::deque<Frame> frames_;
};

}  // namespace Corvel
