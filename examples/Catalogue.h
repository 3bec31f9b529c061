#pragma once
// The catalogue: small one-page documents, each exercising one part of the transparency model
// (blend modes, alpha, soft masks, groups, spots, shadings, pictures, clips, layers, strokes,
// text), built in code so that tests and the demonstration flatten the very same artwork.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <mavdoc/Objects.h>

namespace Corvel::Examples {

struct CatalogueCase {
  std::string name;  // short, usable as a file name
  std::string description;
  std::function<std::unique_ptr<MavDoc::Document>()> make;
  // Empty when Ghostscript renders the case as our transparency model does. Otherwise why it
  // does not: such a case is judged against the model's values instead of Ghostscript's.
  std::string ghostscriptDiffers;
};

// Every case, in a fixed order.
const std::vector<CatalogueCase>& Catalogue();

// The case of that name; throws std::invalid_argument naming the known cases when none has it.
const CatalogueCase& FindCase(const std::string& name);

// Block letters C, E, L, O, R, V and space, built from straight segments and cubic arcs as a
// font's glyphs would come (holes reversed, overlapping strokes left to the nonzero rule): one
// compound per run, letters `size` points tall, starting at the origin. Throws
// std::invalid_argument for any other character.
std::shared_ptr<const Vexl::Compound> Lettering(const std::string& letters, double size);

}  // namespace Corvel::Examples
