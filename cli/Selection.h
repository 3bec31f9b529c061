#pragma once
// Which objects the command flattens: everything the planar map can represent. Objects it
// cannot represent yet stay in place, unselected, and are counted for the report.

#include <functional>
#include <vector>

#include <mavdoc/Objects.h>

namespace CorvelCli {

// True for objects the flattener can replace, and for groups holding only such objects.
bool IsRepresentable(const MavDoc::ContentObject& object);

// Drawn objects of a content that cannot be represented yet (they are left in place).
std::vector<const MavDoc::ContentObject*> Unrepresentable(const MavDoc::Content& content);

// Objects under a content, groups included, recursively.
std::size_t CountObjects(const MavDoc::Content& content);

}  // namespace CorvelCli
