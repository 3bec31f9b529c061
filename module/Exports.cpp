#include <module/Exports.h>

#include <stdexcept>

namespace Corvel {

namespace {

[[noreturn]] void NotYetAvailable(const char* operation) {
  throw std::logic_error(std::string(operation) + " is not available in this build");
}

}  // namespace

std::vector<MavDoc::ContentObject*> OptimizeForOutlineViewAction(MavDoc::Content&,
                                                                 const LayerPredicate&, bool,
                                                                 const ObjectPredicate&) {
  NotYetAvailable("OptimizeForOutlineViewAction");
}

}  // namespace Corvel
