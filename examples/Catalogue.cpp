#include <examples/Catalogue.h>

#include <examples/CatalogueCases.h>

#include <stdexcept>

namespace Corvel::Examples {

const std::vector<CatalogueCase>& Catalogue() {
  using namespace Detail;
  static const std::vector<CatalogueCase> cases{
      {"blend-modes-process", "all 16 blend modes at .8 over two process bars", BlendModesProcess, ""},
      {"blend-modes-spot", "all 16 blend modes at .9 with two spots in backdrop and source", BlendModesSpot, ""},
      {"alpha-and-shape", "constant alpha, alpha-is-shape, alpha 0 and .004, a non-isolated group at .5",
       AlphaAndShape, ""},
      {"soft-mask-alpha", "alpha soft masks with identity, x² and zero transfer; a masked group", AlphaSoftMasks,
       ""},
      {"soft-mask-luminosity", "black-only luminosity masks with backdrops and transfer; a ramp mask",
       LuminositySoftMasks, ""},
      {"groups", "non-isolated, isolated, knockout and nested groups with alpha and blend mode", Groups, ""},
      {"knockout-shape", "a knockout group whose top member has alpha-is-shape (partial knockout)",
       KnockoutWithShape,
       "Ghostscript ignores the shape of an alpha-is-shape member of a knockout group and knocks out "
       "fully; the model knocks out by the member's shape"},
      {"overprint", "overprint (nonzero mode, spot varnish, in groups, under Screen) under transparency",
       OverprintUnderTransparency, ""},
      {"device-independent-colour",
       "RGB, calibrated RGB, Lab and ICC-tagged colours under blend modes and alpha, converted to the inks",
       DeviceIndependentColor, ""},
      {"shadings", "axial and radial shadings under Multiply, alpha, Screen and Darken", Shadings, ""},
      {"pictures", "process-and-spot pictures under Multiply, alpha and an isolated group", Pictures, ""},
      {"masked-pictures", "a picture with a coverage channel over a fill; a stencil at alpha .5", MaskedPictures,
       ""},
      {"clipping", "a curved clip and nested even-odd and rectangular clips around transparency", Clipping, ""},
      {"layers", "transparency on layers, one hidden", Layers, ""},
      {"strokes", "transparent, dashed, curved, mitered and elliptical-pen strokes; fill and stroke", Strokes, ""},
      {"text", "text under a Multiply shadow, stroked text at alpha .5, clipping text", TextUnderShadow, ""},
      {"busy-page", "layers, blend modes, knockout, a masked picture, text and a dashed stroke together",
       BusyPage, ""},
  };
  return cases;
}

const CatalogueCase& FindCase(const std::string& name) {
  std::string known;
  for (const auto& c : Catalogue()) {
    if (c.name == name) return c;
    known += (known.empty() ? "" : ", ") + c.name;
  }
  throw std::invalid_argument("no catalogue case '" + name + "' (cases: " + known + ")");
}

}  // namespace Corvel::Examples
