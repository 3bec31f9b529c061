#pragma once
// One edit of a content: insert new objects at given places and delete old ones, all or nothing.

#include <memory>
#include <vector>

#include <mavdoc/Objects.h>

namespace DocumentEdit {

// Disposes of a record's object: an owning record destroys it; a borrowed one (an object that
// a content still owns, named for deletion) never does, whatever path the record dies on.
struct ObjectDisposer {
  bool owning = true;
  void operator()(MavDoc::ContentObject* object) const {
    if (owning) std::default_delete<MavDoc::ContentObject>()(object);
  }
};

using ObjectPtr = std::unique_ptr<MavDoc::ContentObject, ObjectDisposer>;

// An insert record (object owned, to go into `container` just above `position`), or a delete
// record (object borrowed from its content; position and container unused).
struct ObjectAndPosContainer {
  ObjectPtr object;
  // The neighbour below the new object's place (a member of the container's list); null puts
  // the object at the bottom of that list.
  MavDoc::ContentObject* position = nullptr;
  // The group whose list receives the object; null for the edited content's own list.
  MavDoc::Group* container = nullptr;

  static ObjectAndPosContainer Insert(std::unique_ptr<MavDoc::ContentObject> object,
                                      MavDoc::ContentObject* position, MavDoc::Group* container);
  static ObjectAndPosContainer Delete(MavDoc::ContentObject& object);
};

// Inserts every record's object into its container just above its position, then removes and
// destroys the objects of the delete records. Records naming the same position keep their
// order with the first record's object highest. A deleted object's members go with it.
//
// Everything is checked before anything changes; on a refused edit the document is unchanged
// and std::invalid_argument names the problem: a null or borrowed new object, a new object
// already in a content, a container or position outside the content's document tree (or a
// position not in its container's list), a container that is itself deleted, an object to
// delete that is not in the tree or is named twice, or a delete record that owns its object.
void InsertAndDeleteObjects(MavDoc::Content& content, std::vector<ObjectAndPosContainer> inserts,
                            std::vector<ObjectAndPosContainer> deletes);

}  // namespace DocumentEdit
