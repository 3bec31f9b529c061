#pragma once
// What outline view draws of a content: the measure of how tangled its outlines look.

#include <cstddef>

#include <mavdoc/Objects.h>

namespace CorvelCli {

// Objects (groups included) and the subpaths outline view draws: every path's and text's
// subpaths and every picture's frame; all of them, and those in distinct places (outlines drawn
// exactly over one another look like one).
struct Drawn {
  std::size_t objects = 0;
  std::size_t subpaths = 0;
  std::size_t distinctSubpaths = 0;
};

Drawn CountDrawn(const MavDoc::Content& content);

}  // namespace CorvelCli
