#include <io/pdf/reader/ReaderInterpreterInternal.h>
#include <io/pdf/reader/ReaderPageInternal.h>
#include <io/pdf/reader/TransparencyScan.h>

#include <cmath>
#include <qpdf/QPDFPageObjectHelper.hh>

namespace CorvelPdf::Detail {

namespace {

// US Letter, the usual default of readers for a page without a usable /MediaBox.
constexpr Vexl::Rectangle kDefaultMediaBox{0, 0, 612000, 792000};

Vexl::Rectangle Scaled(const Vexl::Rectangle& box, double unit) {
  return {box.x * unit, box.y * unit, box.width * unit, box.height * unit};
}

void ReadBoxes(ReaderContext& context, QPDFPageObjectHelper& helper, MavDoc::Page& page,
               double unit) {
  const std::pair<const char*, MavDoc::PageBox> boxes[] = {{"/CropBox", MavDoc::kCropBox},
                                                           {"/BleedBox", MavDoc::kBleedBox},
                                                           {"/TrimBox", MavDoc::kTrimBox},
                                                           {"/ArtBox", MavDoc::kArtBox}};
  for (const auto& [key, kind] : boxes) {
    auto value = helper.getAttribute(key, false);
    if (value.isNull()) continue;
    const auto box = RectangleOf(value);
    if (box.IsNull())
      context.Warn(std::string("malformed ") + (key + 1) + " ignored");
    else
      page.SetPageBox(kind, Scaled(box, unit));
  }
  const double rotate = NumberOr(helper.getAttribute("/Rotate", false), 0);
  const long quarter = std::lround(rotate / 90);
  if (quarter * 90 != rotate) context.Warn("/Rotate not a multiple of 90 rounded");
  page.SetRotation(static_cast<int>(((quarter % 4) + 4) % 4 * 90));
}

// Maps the appearance's transformed bounding box onto the annotation's rectangle.
std::optional<Vexl::Transformation> AppearancePlacement(QPDFObjectHandle form,
                                                        const Vexl::Rectangle& rect) {
  const auto box = Vexl::TransformBox(RectangleOf(form.getDict().getKey("/BBox")),
                                      MatrixOf(form.getDict().getKey("/Matrix")));
  if (box.IsEmpty() || rect.IsNull()) return std::nullopt;
  return Vexl::Transformation::Translation(-box.x, -box.y) *
         Vexl::Transformation::Scaling(rect.width / box.width, rect.height / box.height) *
         Vexl::Transformation::Translation(rect.x, rect.y);
}

void DrawAnnotations(ReaderContext& context, QPDFObjectHandle page, Interpreter& interpreter,
                     double unit, bool onlyTransparent) {
  for (auto& annotation : DrawnAnnotations(page, onlyTransparent)) {
    auto form = PrintedAppearance(annotation);
    const auto placement =
        AppearancePlacement(form, Scaled(RectangleOf(annotation.getKey("/Rect")), unit));
    if (!placement) continue;
    context.Warn("printable annotation appearances read as page content");
    interpreter.RunAppearance(form, *placement);
  }
}

}  // namespace

void ReadPage(ReaderContext& context, QPDFObjectHandle page, bool onlyTransparentAnnotations) {
  QPDFPageObjectHelper helper(page);
  auto mediaBox = RectangleOf(helper.getAttribute("/MediaBox", false));
  if (mediaBox.IsNull() || mediaBox.IsEmpty()) {
    context.Warn("page without a usable /MediaBox read as US Letter");
    mediaBox = kDefaultMediaBox;
  }
  const double unit = std::clamp(NumberOr(page.getKey("/UserUnit"), 1), 1e-3, 1e3);
  auto& modelPage = context.Document().AddPage(Scaled(mediaBox, unit));
  ReadBoxes(context, helper, modelPage, unit);
  auto group = page.getKey("/Group");
  if (group.isDictionary() && group.hasKey("/CS")) {
    context.Warn("page group colour space not kept: pages blend in the document's process space");
  }
  Interpreter interpreter(context, modelPage.GetContent(), helper.getAttribute("/Resources", false),
                          Vexl::Transformation::Scaling(unit, unit), Scaled(mediaBox, unit));
  interpreter.Run(page.getKey("/Contents"));
  DrawAnnotations(context, page, interpreter, unit, onlyTransparentAnnotations);
}

}  // namespace CorvelPdf::Detail
