#pragma once
// What the reader remembers of an object so that the writer can paint it again exactly as the
// source file did: the operators, in the object's own user space, with the resources they name.
// Fonts, images, shadings, patterns and forms are then referenced, never re-encoded: text stays
// text in its own font, images keep their compression, overprint and rendering intent stay set.

#include <mavdoc/Objects.h>
#include <vexl/Geometry.h>

#include <qpdf/QPDFObjectHandle.hh>
#include <string>
#include <vector>

namespace CorvelPdf {

// One operator with its operands. An inline image is one "BI" operation whose operands are its
// dictionary and its raw data (a string).
struct PdfOperation {
  std::string op;
  mutable std::vector<QPDFObjectHandle> operands;  // mutable: qpdf's accessors are not const
  // The resource the operation names (index into PdfSource::resources), or -1.
  int resource = -1;
};

// A resource of the source file, always an indirect object so that it can be shared.
struct PdfResource {
  std::string category;  // "Font", "XObject", "Shading", "Pattern", "ColorSpace", "ExtGState"
  QPDFObjectHandle object;
};

// A painted object (path, text run, image, stencil, shading) or a whole form as the source file
// painted it. `operations` run in a space that `userToLevel` (millipoints, as the model's
// transformations) maps into the space of the content holding the object.
class PdfSource final : public MavDoc::SourceRecord {
 public:
  Vexl::Transformation userToLevel;
  std::vector<PdfOperation> operations;
  std::vector<PdfResource> resources;
  // For a form: how many objects its group held when read. A form whose group has lost or
  // gained members since is written member by member instead.
  std::size_t members = 0;
  bool isForm = false;
  // Why the model object only stands in for what the file paints (a colour, pattern or image the
  // reader cannot represent), or empty. Such an object may be written back from its source but
  // never flattened.
  std::string unreadable;
};

// Objects under a content, groups and their members included: a form's record compares it.
inline std::size_t CountMembers(const MavDoc::Content& content) {
  std::size_t count = 0;
  for (const MavDoc::ContentObject& member : content.GetChildren()) {
    ++count;
    if (const auto* group = dynamic_cast<const MavDoc::Group*>(&member))
      count += CountMembers(group->GetContent());
  }
  return count;
}

// The optional-content group or membership dictionary a layer came from.
class PdfLayerSource final : public MavDoc::SourceRecord {
 public:
  QPDFObjectHandle membership;
};

}  // namespace CorvelPdf
