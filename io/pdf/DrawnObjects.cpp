// The drawn objects of a content stream: paths, text outlines, images and image masks, with
// their colours, shadings and stroke styles.
#include <io/pdf/ColorSpacesInternal.h>
#include <io/pdf/ContentStreamInternal.h>
#include <io/pdf/ImagesInternal.h>
#include <io/pdf/PdfSyntaxInternal.h>
#include <io/pdf/ShadingsInternal.h>

#include <stdexcept>

namespace CorvelPdf::Detail {

namespace {

std::string ColorOperands(const std::vector<double>& values) {
  std::string text;
  for (double v : values) text += FormatNumber(v) + " ";
  return text;
}

const MavPaint::ShadingPaint* AsShading(const std::shared_ptr<const MavPaint::Paint>& paint) {
  return dynamic_cast<const MavPaint::ShadingPaint*>(paint.get());
}

}  // namespace

void ContentStreamWriter::WritePath(const MavDoc::Path& path,
                                    const Vexl::Transformation& objectToStream) {
  if (!path.GetFillPaint() && !path.GetStrokePaint()) return;
  if (!path.GetOutline() || path.GetOutline()->IsEmpty()) return;
  Begin(path, path);
  WriteOutline(*path.GetOutline(), path.GetFillRule() == Vexl::FillRule::EvenOdd, &path, &path,
               objectToStream);
  out_ += "Q\n";
}

// Text is written as its glyph outlines (no fonts are embedded); rendering modes 0–2 and 4–6
// fill, stroke or both, 3 and 7 paint nothing.
void ContentStreamWriter::WriteText(const MavDoc::Text& text,
                                    const Vexl::Transformation& objectToStream) {
  const int mode = text.GetRenderingMode() % 4;
  const MavDoc::Fillable* fill = (mode == 0 || mode == 2) && text.GetFillPaint() ? &text : nullptr;
  const MavDoc::Strokable* stroke =
      (mode == 1 || mode == 2) && text.GetStrokePaint() ? &text : nullptr;
  if ((!fill && !stroke) || !text.GetGlyphs() || text.GetGlyphs()->IsEmpty()) return;
  Begin(text, text);
  WriteOutline(*text.GetGlyphs(), false, fill, stroke, objectToStream);
  out_ += "Q\n";
}

// The fill and the stroke are two elements, the stroke composited over the fill, so they are
// painted by two operators: a combined B would composite the stroke over the fill's backdrop
// instead, as if both sat in a knockout group (ISO 32000-1 §11.7.4.4), which changes a
// transparent stroke. A shading fill is painted with sh inside the outline as clip; one with a
// background needs a pattern, since sh ignores /Background.
void ContentStreamWriter::WriteOutline(const Vexl::Compound& outline, bool evenOdd,
                                       const MavDoc::Fillable* fill,
                                       const MavDoc::Strokable* stroke,
                                       const Vexl::Transformation& objectToStream) {
  const auto fillPaint = fill ? fill->GetFillPaint() : nullptr;
  const auto strokePaint = stroke ? stroke->GetStrokePaint() : nullptr;
  const std::string path = FormatPath(outline);
  const std::string rule = evenOdd ? "*" : "";
  const auto* fillShading = AsShading(fillPaint);
  if (fillShading && !fillShading->GetBackground()) {
    FillWithShading(path, evenOdd, *fillShading);
  } else if (fillPaint) {
    SetPaint(fillPaint, false, objectToStream);
    out_ += path + "f" + rule + "\n";
  }
  if (strokePaint) {
    SetPaint(strokePaint, true, objectToStream);
    SetStrokeStyle(stroke->GetStrokeStyle());
    out_ += path + "S\n";
  }
}

void ContentStreamWriter::FillWithShading(const std::string& pathOperators, bool evenOdd,
                                          const MavPaint::ShadingPaint& shading) {
  const auto shadingObject = WriteShading(state_, shading, Where());
  if (shading.GetTransformation().Determinant() == 0) return;  // collapsed: covers no area
  out_ += "q\n" + pathOperators + (evenOdd ? "W* n\n" : "W n\n");
  if (!shading.GetTransformation().IsIdentity()) {
    out_ += FormatMatrix(shading.GetTransformation()) + " cm\n";
  }
  out_ += "/" + resources_.NameFor("Shading", shadingObject) + " sh\nQ\n";
}

void ContentStreamWriter::SetPaint(const std::shared_ptr<const MavPaint::Paint>& paint, bool stroke,
                                   const Vexl::Transformation& objectToStream) {
  const std::string space = stroke ? " CS " : " cs ";
  const std::string select = stroke ? "SCN\n" : "scn\n";
  if (const auto* flat = dynamic_cast<const MavPaint::FlatPaint*>(paint.get())) {
    const PdfColor color = FlatColor(state_, flat->GetColor());
    const std::string name = color.space.IsDevice()
                                 ? QPDFObjectHandle(color.space.space).getName()
                                 : "/" + resources_.NameFor("ColorSpace", color.space.space);
    out_ += name + space + ColorOperands(color.values) + select;
    return;
  }
  const auto* shading = AsShading(paint);
  if (!shading) throw std::invalid_argument(Where() + ": unknown kind of paint");
  const auto pattern = WriteShadingPattern(state_, *shading, objectToStream, Where());
  out_ += "/Pattern" + space + "/" + resources_.NameFor("Pattern", pattern) + " " + select;
}

void ContentStreamWriter::SetStrokeStyle(const MavDoc::StrokeStyle& style) {
  const int cap = style.cap == MavDoc::LineCap::Butt    ? 0
                  : style.cap == MavDoc::LineCap::Round ? 1
                                                        : 2;
  const int join = style.join == MavDoc::LineJoin::Miter   ? 0
                   : style.join == MavDoc::LineJoin::Round ? 1
                                                           : 2;
  out_ += FormatLength(style.width) + " w " + std::to_string(cap) + " J " +
          std::to_string(join) + " j " + FormatNumber(style.miterLimit) + " M [";
  for (std::size_t i = 0; i < style.dashes.size(); ++i) {
    out_ += (i ? " " : "") + FormatLength(style.dashes[i]);
  }
  out_ += "] " + FormatLength(style.dashPhase) + " d\n";
}

void ContentStreamWriter::WriteImage(const MavDoc::Image& image) {
  if (!image.GetPaintedPicture()) throw std::invalid_argument(Where() + ": image without picture");
  const auto& picture = *image.GetPaintedPicture();
  const auto xobject = Detail::WriteImage(state_, picture, Where());
  const auto& source = BufferedSource(picture, Where());
  Begin(image, image);
  if (source.GetClip()) out_ += FormatPath(*source.GetClip()) + "W n\n";
  if (!source.GetTransformation().IsIdentity()) {
    out_ += FormatMatrix(source.GetTransformation()) + " cm\n";
  }
  // The object's space in points holds the picture on [0, 1]², PDF's image square.
  out_ += "/" + resources_.NameFor("XObject", xobject) + " Do\nQ\n";
}

void ContentStreamWriter::WriteImageMask(const MavDoc::ImageMask& mask,
                                         const Vexl::Transformation& objectToStream) {
  if (!mask.GetFillPaint()) return;
  if (!mask.GetStencil()) throw std::invalid_argument(Where() + ": image mask without picture");
  const auto xobject =
      Detail::WriteImageMask(state_, *mask.GetStencil(), mask.IsInverted(), Where());
  Begin(mask, mask);
  SetPaint(mask.GetFillPaint(), false, objectToStream);
  out_ += "/" + resources_.NameFor("XObject", xobject) + " Do\nQ\n";
}

}  // namespace CorvelPdf::Detail
