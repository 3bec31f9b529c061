#pragma once
// Where a new object of a flattening goes: the place of its stack's bottom object, climbed up
// through selected groups.

#include <functional>
#include <memory>

#include <docedit/DocumentEdit.h>
#include <mavdoc/Layer.h>
#include <tessel/Fill.h>

namespace Corvel {

// Whether `object` counts as selected when climbing: chosen by the object predicate itself or
// through an enclosing group (not a layer), and visible by the nearest layer passed on the way
// up (`selectionFlag` while none is passed). A chosen group reached while the nearest layer
// below it is visible answers at once.
bool IsSelected(const MavDoc::ContentObject& object, const MavDoc::LayerPredicate& layerPredicate,
                bool selectionFlag,
                const std::function<bool(const MavDoc::ContentObject&)>& objectPredicate);

// The insert record for `object`, the new object of `fill`: the anchor is the fill's bottom
// object, climbed up while its parent is selected; the record names the anchor's lower
// neighbour and parent, and the object's transformation is re-expressed in the group that will
// hold it so that its page placement stays as made. Throws std::invalid_argument when that
// group's transformation cannot be inverted.
DocumentEdit::ObjectAndPosContainer PlaceNewObject(
    std::unique_ptr<MavDoc::ContentObject> object, const Tessel::TFill* fill,
    const MavDoc::LayerPredicate& layerPredicate, bool selectionFlag,
    const std::function<bool(const MavDoc::ContentObject&)>& objectPredicate);

// The outermost content of the tree `content` belongs to: where an insert record without a
// container places its object. The climb may leave a flattened group content, and an anchor
// without a parent group sits at the top of that tree, so the edit is made on this content.
MavDoc::Content& OutermostContent(MavDoc::Content& content);

// The last steps of an in-place action: the removable collector (with `strictSelection`) lists
// what the new objects replace, and one document edit inserts `inserts` and deletes those.
// Returns the inserted objects in record order.
std::vector<MavDoc::ContentObject*> ReplaceSelected(
    MavDoc::Content& content, std::vector<DocumentEdit::ObjectAndPosContainer> inserts,
    const MavDoc::LayerPredicate& layerPredicate, bool selectionFlag,
    const std::function<bool(const MavDoc::ContentObject&)>& objectPredicate, bool strictSelection);

}  // namespace Corvel
