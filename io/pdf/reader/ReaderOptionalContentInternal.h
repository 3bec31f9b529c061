#pragma once
// Optional content (ISO 32000-1 §8.11) read into layers of the document model.

#include <mavdoc/Layer.h>

#include <map>
#include <memory>
#include <optional>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <set>

namespace CorvelPdf::Detail {

// What a layer group needs: the properties it shows and its visibility expression.
struct LayerDefinition {
  std::shared_ptr<MavDoc::LayerProperties> properties;
  MavDoc::LayerExpression expression;
  QPDFObjectHandle membership;  // the OCG or OCMD it was read from
};

// The optional-content groups of one file with their default visibility (from the default
// configuration /OCProperties /D). Each OCG gets one LayerProperties shared by every layer
// that refers to it.
class OptionalContent {
 public:
  explicit OptionalContent(QPDF& pdf);
  // The layer of an OCG or an OCMD; nullopt when `object` is neither (the content is then
  // always visible, ISO 32000-1 §8.11.2).
  std::optional<LayerDefinition> LayerOf(QPDFObjectHandle object);

 private:
  std::shared_ptr<MavDoc::LayerProperties> PropertiesOf(QPDFObjectHandle ocg);
  std::optional<MavDoc::LayerExpression> ExpressionOf(QPDFObjectHandle visibility, int depth);
  std::optional<MavDoc::LayerExpression> MembershipOf(QPDFObjectHandle ocmd);

  bool baseVisible_ = true;
  std::set<QPDFObjGen> on_;
  std::set<QPDFObjGen> off_;
  std::map<QPDFObjGen, std::shared_ptr<MavDoc::LayerProperties>> layers_;
};

}  // namespace CorvelPdf::Detail
