#include <io/pdf/reader/ReaderInterpreterInternal.h>

namespace CorvelPdf::Detail {

namespace {

// Collects operands until their operator; folds BI ... ID <data> EI into one "BI" operation.
class Collector final : public QPDFObjectHandle::ParserCallbacks {
 public:
  explicit Collector(std::vector<Operation>& out) : out_(out) {}

  void handleObject(QPDFObjectHandle object) override {
    if (object.isInlineImage()) {
      inlineData_ = object.getInlineImageValue();
      return;
    }
    if (!object.isOperator()) {
      operands_.push_back(object);
      return;
    }
    const std::string op = object.getOperatorValue();
    if (op == "BI") {
      operands_.clear();
    } else if (op == "ID") {
      inlineDict_ = QPDFObjectHandle::newDictionary();
      for (std::size_t i = 0; i + 1 < operands_.size(); i += 2) {
        if (operands_[i].isName()) inlineDict_.replaceKey(operands_[i].getName(), operands_[i + 1]);
      }
      operands_.clear();
    } else if (op == "EI") {
      out_.push_back({"BI", {inlineDict_, QPDFObjectHandle::newString(inlineData_)}});
      operands_.clear();
    } else {
      out_.push_back({op, std::move(operands_)});
      operands_.clear();
    }
  }
  void handleEOF() override {}

 private:
  std::vector<Operation>& out_;
  std::vector<QPDFObjectHandle> operands_;
  QPDFObjectHandle inlineDict_ = QPDFObjectHandle::newDictionary();
  std::string inlineData_;
};

}  // namespace

std::vector<Operation> ParseContent(ReaderContext& context, QPDFObjectHandle content) {
  std::vector<Operation> operations;
  if (content.isNull()) return operations;
  if (content.isArray()) {
    // Damaged files put non-streams in content arrays; qpdf refuses the whole array then.
    auto streams = QPDFObjectHandle::newArray();
    for (auto& item : content.aitems()) {
      if (item.isStream()) streams.appendItem(item);
    }
    content = streams;
  } else if (!content.isStream()) {
    context.Warn("content that is not a stream ignored");
    return operations;
  }
  Collector collector(operations);
  QPDFObjectHandle::parseContentStream(content, &collector);
  context.CollectPdfWarnings();
  return operations;
}

}  // namespace CorvelPdf::Detail
