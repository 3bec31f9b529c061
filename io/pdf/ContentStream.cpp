#include <io/pdf/ContentStreamInternal.h>
#include <io/pdf/OptionalContentInternal.h>
#include <io/pdf/PdfSyntaxInternal.h>
#include <io/pdf/TransparencyInternal.h>
#include <mavdoc/Placement.h>

#include <stdexcept>

namespace CorvelPdf::Detail {

namespace {

// Transparency group XObjects get this margin around their content's bounds, so that a bound
// computed from outlines never trims a pixel that the rasteriser's pixel rule paints.
constexpr double kGroupMarginInMillipoints = 1000;

const Vexl::Compound kUnitSquare(
    Vexl::MakeRectangle({0, 0, MavDoc::Image::kUnit, MavDoc::Image::kUnit, false})->GetSubpaths());

Vexl::Rectangle Grow(const Vexl::Rectangle& box, double by) {
  return {box.x - by, box.y - by, box.width + 2 * by, box.height + 2 * by, false};
}

void AppendSubpaths(std::vector<Vexl::Subpath>& into, const Vexl::Compound& compound) {
  into.insert(into.end(), compound.GetSubpaths().begin(), compound.GetSubpaths().end());
}

// The glyph and path outlines of a clipping text group, in the space of the group's content.
void CollectTextClip(const MavDoc::Group& group, const Vexl::Transformation& toContent,
                     std::vector<Vexl::Subpath>& into) {
  const Vexl::Transformation groupToContent = group.GetTransformation() * toContent;
  for (const MavDoc::ContentObject& child : group.GetContent().GetChildren()) {
    if (const auto* text = dynamic_cast<const MavDoc::Text*>(&child)) {
      AppendSubpaths(into, *text->GetGlyphs() * (text->GetTransformation() * groupToContent));
    } else if (const auto* path = dynamic_cast<const MavDoc::Path*>(&child)) {
      AppendSubpaths(into, *path->GetOutline() * (path->GetTransformation() * groupToContent));
    } else if (const auto* inner = dynamic_cast<const MavDoc::Group*>(&child)) {
      CollectTextClip(*inner, groupToContent, into);
    }
  }
}

std::string KindOf(const MavDoc::ContentObject& object) {
  if (dynamic_cast<const MavDoc::Layer*>(&object)) return "layer";
  if (dynamic_cast<const MavDoc::TextGroup*>(&object)) return "text group";
  if (dynamic_cast<const MavDoc::Group*>(&object)) return "group";
  if (dynamic_cast<const MavDoc::Path*>(&object)) return "path";
  if (dynamic_cast<const MavDoc::Text*>(&object)) return "text";
  if (dynamic_cast<const MavDoc::Image*>(&object)) return "image";
  if (dynamic_cast<const MavDoc::ImageMask*>(&object)) return "image mask";
  return "object";
}

}  // namespace

ContentStreamWriter::ContentStreamWriter(WriterState& state, std::string where)
    : state_(state), where_(std::move(where)) {}

std::string ContentStreamWriter::Where() const {
  std::string text = where_;
  for (std::size_t i = 0; i < position_.size(); ++i) {
    text += (i == 0 ? ", object " : ".") + std::to_string(position_[i] + 1);
  }
  return text;
}

void ContentStreamWriter::WriteContent(const MavDoc::Content& content,
                                       const Vexl::Transformation& contentToStream) {
  out_ += "q\n";
  WriteMembers(content, contentToStream);
  out_ += "Q\n";
}

void ContentStreamWriter::WriteMembers(const MavDoc::Content& content,
                                       const Vexl::Transformation& contentToStream) {
  WriteClip(content);
  position_.push_back(0);
  for (const MavDoc::ContentObject& child : content.GetChildren()) {
    if (!child.IsClippingObject()) WriteObject(child, contentToStream);
    ++position_.back();
  }
  position_.pop_back();
}

// Clipping members intersect (ISO 32000-1 §8.5.4: each W narrows the current clip).
void ContentStreamWriter::WriteClip(const MavDoc::Content& content) {
  position_.push_back(0);
  for (const MavDoc::ContentObject& child : content.GetChildren()) {
    if (child.IsClippingObject()) {
      std::vector<Vexl::Subpath> outline;
      bool evenOdd = false;
      if (const auto* path = dynamic_cast<const MavDoc::Path*>(&child)) {
        AppendSubpaths(outline, *path->GetOutline() * path->GetTransformation());
        evenOdd = path->GetFillRule() == Vexl::FillRule::EvenOdd;
      } else if (const auto* text = dynamic_cast<const MavDoc::Text*>(&child)) {
        AppendSubpaths(outline, *text->GetGlyphs() * text->GetTransformation());
      } else if (const auto* group = dynamic_cast<const MavDoc::TextGroup*>(&child)) {
        CollectTextClip(*group, Vexl::Transformation::Identity(), outline);
      } else if (const auto* image = dynamic_cast<const MavDoc::Image*>(&child)) {
        AppendSubpaths(outline, kUnitSquare * image->GetTransformation());
      } else {
        throw std::invalid_argument(Where() + ": a clipping " + KindOf(child) +
                                    " cannot be written to PDF");
      }
      // An empty outline clips everything away: a lone moveto encloses no area.
      out_ += outline.empty() ? "0 0 m\n" : FormatPath(Vexl::Compound(std::move(outline)));
      out_ += evenOdd ? "W* n\n" : "W n\n";
    }
    ++position_.back();
  }
  position_.pop_back();
}

void ContentStreamWriter::WriteObject(const MavDoc::ContentObject& object,
                                      const Vexl::Transformation& contentToStream) {
  const auto* layer = dynamic_cast<const MavDoc::Layer*>(&object);
  if (layer) out_ += "/OC /" + LayerMembershipName(*layer) + " BDC\n";
  if (WriteFromSource(object)) {
    // written as the file had it
  } else if (const auto* group = dynamic_cast<const MavDoc::Group*>(&object)) {
    WriteGroup(*group, contentToStream);
  } else if (const auto* path = dynamic_cast<const MavDoc::Path*>(&object)) {
    WritePath(*path, path->GetTransformation() * contentToStream);
  } else if (const auto* text = dynamic_cast<const MavDoc::Text*>(&object)) {
    WriteText(*text, text->GetTransformation() * contentToStream);
  } else if (const auto* image = dynamic_cast<const MavDoc::Image*>(&object)) {
    WriteImage(*image);
  } else if (const auto* mask = dynamic_cast<const MavDoc::ImageMask*>(&object)) {
    WriteImageMask(*mask, mask->GetTransformation() * contentToStream);
  } else {
    throw std::invalid_argument(Where() + ": unknown kind of object");
  }
  if (layer) out_ += "EMC\n";
}

void ContentStreamWriter::WriteGroup(const MavDoc::Group& group,
                                     const Vexl::Transformation& contentToStream) {
  // In a knockout group every member knocks out as one element, so a member group must stay a
  // group even when it sets nothing itself; elsewhere such a group is just q … Q.
  const MavDoc::Group* parent = group.GetParent();
  const bool inKnockout = parent && parent->GetTransparency()->IsKnockout();
  if (!NeedsTransparencyGroup(group) && !inKnockout) {
    out_ += "q\n";
    if (!group.GetTransformation().IsIdentity()) {
      out_ += FormatMatrix(group.GetTransformation()) + " cm\n";
    }
    WriteMembers(group.GetContent(), group.GetTransformation() * contentToStream);
    out_ += "Q\n";
    return;
  }
  const Vexl::Rectangle box = MavDoc::GetBoundingBox(group.GetContent(), MavDoc::kStrokes);
  if (box.IsNull()) return;  // paints nothing, so composites nothing
  const auto& transparency = *group.GetTransparency();
  const auto form = WriteForm(
      state_, group.GetContent(), Grow(box, kGroupMarginInMillipoints),
      Vexl::Transformation::Identity(),
      TransparencyGroupDictionary(state_, transparency, group.GetGroupColorSpace()), Where());
  Begin(group, group);
  out_ += "/" + resources_.NameFor("XObject", form) + " Do\nQ\n";
}

void ContentStreamWriter::Begin(const MavDoc::Transformable& object,
                                const MavDoc::Blendable& blendable) {
  out_ += "q\n";
  // Set before cm: a soft mask is placed in the space current when its ExtGState is set, and
  // it lies in the space the object sits in, not in the object's own.
  if (auto state =
          WriteExtGState(state_, *blendable.GetTransparency(), blendable.GetOverprint(),
                         blendable.GetRenderingIntent(), Where());
      state.isInitialized()) {
    out_ += "/" + resources_.NameFor("ExtGState", state) + " gs\n";
  }
  if (!object.GetTransformation().IsIdentity()) {
    out_ += FormatMatrix(object.GetTransformation()) + " cm\n";
  }
}

QPDFObjectHandle WriteForm(WriterState& state, const MavDoc::Content& content,
                           const Vexl::Rectangle& box, const Vexl::Transformation& matrix,
                           QPDFObjectHandle group, const std::string& where) {
  const WriterState::FormNesting nesting(state, where);
  ContentStreamWriter writer(state, where);
  writer.WriteContent(content, Vexl::Transformation::Identity());
  auto dictionary = QPDFObjectHandle::newDictionary();
  dictionary.replaceKey("/Type", QPDFObjectHandle::newName("/XObject"));
  dictionary.replaceKey("/Subtype", QPDFObjectHandle::newName("/Form"));
  dictionary.replaceKey("/BBox", RectangleObject(box));
  if (!matrix.IsIdentity()) dictionary.replaceKey("/Matrix", MatrixObject(matrix));
  if (group.isInitialized()) dictionary.replaceKey("/Group", group);
  dictionary.replaceKey("/Resources", writer.ResourceDictionary());
  return state.NewStream(writer.Operators(), dictionary);
}

}  // namespace CorvelPdf::Detail
