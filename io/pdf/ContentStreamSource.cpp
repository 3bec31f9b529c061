// Objects written back as their source file painted them: the recorded operators, under fresh
// resource names, inside q … Q with the object's transformation.

#include <io/pdf/ContentStreamInternal.h>
#include <io/pdf/OptionalContentInternal.h>
#include <io/pdf/PdfSource.h>
#include <io/pdf/PdfSyntaxInternal.h>

namespace CorvelPdf::Detail {

namespace {

// The resource a Tf names is its first operand; every other operator names it last.
std::size_t ResourceOperand(const PdfOperation& operation) {
  return operation.op == "Tf" ? 0 : operation.operands.size() - 1;
}

std::string InlineImage(const PdfOperation& operation, const std::string& spaceName) {
  std::string out = "BI\n";
  for (auto& [key, value] : operation.operands[0].getDictAsMap()) {
    const bool renamed = !spaceName.empty() && (key == "/CS" || key == "/ColorSpace") &&
                         value.isName();
    out += key + " " + (renamed ? "/" + spaceName : value.unparse()) + "\n";
  }
  return out + "ID " + operation.operands[1].getStringValue() + "\nEI\n";
}

std::string Operator(const PdfOperation& operation, const std::string& resourceName) {
  if (operation.op == "BI") return InlineImage(operation, resourceName);
  std::string out;
  const std::size_t named = resourceName.empty() ? operation.operands.size()
                                                 : ResourceOperand(operation);
  for (std::size_t i = 0; i < operation.operands.size(); ++i) {
    out += (i == named ? "/" + resourceName : operation.operands[i].unparse()) + " ";
  }
  return out + operation.op + "\n";
}

bool IsLeaf(const MavDoc::ContentObject& object) {
  return dynamic_cast<const MavDoc::Group*>(&object) == nullptr;
}

// True when every drawn object under the content still comes from the file: nothing new was
// put in by flattening.
bool AllFromSource(const MavDoc::Content& content) {
  for (const MavDoc::ContentObject& member : content.GetChildren()) {
    if (const auto* group = dynamic_cast<const MavDoc::Group*>(&member)) {
      if (!AllFromSource(group->GetContent())) return false;
    } else if (!member.IsClippingObject() && !member.GetSource()) {
      return false;
    }
  }
  return true;
}

}  // namespace

bool ContentStreamWriter::WriteFromSource(const MavDoc::ContentObject& object) {
  if (!state_.PassThrough()) return false;
  const auto* source = dynamic_cast<const PdfSource*>(object.GetSource().get());
  if (!source) return false;
  Vexl::Transformation placement = source->userToLevel;
  if (source->isForm) {
    // A form is painted whole only while it holds exactly what the file put in it.
    const auto& group = dynamic_cast<const MavDoc::Group&>(object);
    if (CountMembers(group.GetContent()) != source->members || !AllFromSource(group.GetContent()))
      return false;
  } else if (!IsLeaf(object)) {
    return false;
  } else if (const auto* transformable = dynamic_cast<const MavDoc::Transformable*>(&object)) {
    placement = transformable->GetTransformation();
  }
  std::vector<std::string> names;
  for (const auto& resource : source->resources) {
    names.push_back(resources_.NameFor(resource.category, resource.object));
  }
  out_ += "q\n";
  if (!placement.IsIdentity()) out_ += FormatMatrix(placement) + " cm\n";
  for (const auto& operation : source->operations) {
    out_ += Operator(operation, operation.resource >= 0 ? names[operation.resource] : "");
  }
  out_ += "Q\n";
  return true;
}

std::string ContentStreamWriter::LayerMembershipName(const MavDoc::Layer& layer) {
  const auto* source = dynamic_cast<const PdfLayerSource*>(layer.GetSource().get());
  if (state_.PassThrough() && source && source->membership.isInitialized()) {
    // The file's own OCG or OCMD, so that its visibility stays governed by the file's
    // configurations; a direct one becomes an object of its own, once.
    QPDFObjectHandle membership = source->membership;
    if (!membership.isIndirect()) {
      const std::string key = "membership " + membership.unparse();
      if (auto found = state_.Find(key); found.isInitialized()) {
        membership = found;
      } else {
        membership = state_.Remember(key, state_.MakeIndirect(membership));
      }
    }
    return resources_.NameFor("Properties", membership);
  }
  return resources_.NameFor("Properties", LayerMembership(state_, layer, Where()));
}

}  // namespace CorvelPdf::Detail
