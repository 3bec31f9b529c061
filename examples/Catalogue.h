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

}  // namespace Corvel::Examples
