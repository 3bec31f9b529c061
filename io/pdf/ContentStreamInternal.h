#pragma once
// Content streams: the operators that paint a content (page, group or soft-mask artwork) and the
// form XObjects that hold transparency groups and soft masks.

#include <io/pdf/WriterStateInternal.h>
#include <mavdoc/Objects.h>

#include <qpdf/QPDFObjectHandle.hh>
#include <string>
#include <vector>

namespace CorvelPdf::Detail {

// Writes one content stream and collects its resources. Every object is bracketed by q … Q, so
// the graphics state between objects is always the initial one. Coordinates inside the stream
// are the content's own space in points; `contentToStream` (millipoints) is only needed for
// shading patterns, whose matrix refers to the stream's base space.
class ContentStreamWriter {
 public:
  ContentStreamWriter(WriterState& state, std::string where);

  // Paints the content's members bottom to top, clipped by its clipping members.
  void WriteContent(const MavDoc::Content& content, const Vexl::Transformation& contentToStream);

  const std::string& Operators() const { return out_; }
  QPDFObjectHandle ResourceDictionary() const { return resources_.Dictionary(); }

 private:
  void WriteMembers(const MavDoc::Content& content, const Vexl::Transformation& contentToStream);
  void WriteClip(const MavDoc::Content& content);
  void WriteObject(const MavDoc::ContentObject& object,
                   const Vexl::Transformation& contentToStream);
  // Writes the object as its source file painted it; false when it has no usable record.
  bool WriteFromSource(const MavDoc::ContentObject& object);
  std::string LayerMembershipName(const MavDoc::Layer& layer);
  void WriteGroup(const MavDoc::Group& group, const Vexl::Transformation& contentToStream);
  void WritePath(const MavDoc::Path& path, const Vexl::Transformation& objectToStream);
  void WriteText(const MavDoc::Text& text, const Vexl::Transformation& objectToStream);
  void WriteOutline(const Vexl::Compound& outline, bool evenOdd, const MavDoc::Fillable* fill,
                    const MavDoc::Strokable* stroke, const Vexl::Transformation& objectToStream);
  void WriteImage(const MavDoc::Image& image);
  void WriteImageMask(const MavDoc::ImageMask& mask, const Vexl::Transformation& objectToStream);

  // q, the object's transformation and its ExtGState.
  void Begin(const MavDoc::Transformable& object, const MavDoc::Blendable& blendable);
  void SetPaint(const std::shared_ptr<const MavPaint::Paint>& paint, bool stroke,
                const Vexl::Transformation& objectToStream);
  void SetStrokeStyle(const MavDoc::StrokeStyle& style);
  void FillWithShading(const std::string& pathOperators, bool evenOdd,
                       const MavPaint::ShadingPaint& shading);
  std::string Where() const;

  WriterState& state_;
  std::string where_;
  std::vector<std::size_t> position_;
  Resources resources_;
  std::string out_;
};

// A form XObject painting `content` (its own space), with bounding box `box` in that space
// (millipoints), /Matrix `matrix`, and the given /Group dictionary when initialised.
QPDFObjectHandle WriteForm(WriterState& state, const MavDoc::Content& content,
                           const Vexl::Rectangle& box, const Vexl::Transformation& matrix,
                           QPDFObjectHandle group, const std::string& where);

}  // namespace CorvelPdf::Detail
