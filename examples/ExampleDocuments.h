#pragma once
// Small documents with transparency, bundled for demonstrations and tests.

#include <memory>

#include <mavdoc/Objects.h>

namespace Corvel::Examples {

// One Letter page: a cyan rectangle, a magenta circle multiplied over it at 60 %, and a spot
// ("PANTONE 123 C") rectangle in an isolated group at 50 % on a layer, with a clipped yellow
// band.
std::unique_ptr<MavDoc::Document> MakeOverlapExample();

}  // namespace Corvel::Examples
