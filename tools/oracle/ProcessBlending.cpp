#include <tools/oracle/ProcessBlendingInternal.h>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <qpdf/Pl_Buffer.hh>
#include <qpdf/Pl_QPDFTokenizer.hh>
#include <qpdf/QPDFTokenizer.hh>

#include <cstdio>
#include <set>
#include <vector>

namespace CorvelOracle::Detail {

namespace {

bool IsTransparencyGroup(QPDFObjectHandle dictionary) {
  auto group = dictionary.getKey("/Group");
  return group.isDictionary() && group.getKey("/S").isNameAndEquals("/Transparency");
}

// Adds the forms of every soft mask held in `object` or in the dictionaries and arrays written
// inside it (graphics states usually sit directly in a page's or form's resources).
void CollectMaskForms(QPDFObjectHandle object, int depth, std::set<QPDFObjGen>& forms) {
  if (depth > 8) return;
  if (object.isStream()) object = object.getDict();
  if (object.isArray()) {
    for (auto& item : object.aitems())
      if (!item.isIndirect()) CollectMaskForms(item, depth + 1, forms);
    return;
  }
  if (!object.isDictionary()) return;
  auto mask = object.getKey("/SMask");
  if (mask.isDictionary() && mask.getKey("/G").isIndirect()) forms.insert(mask.getKey("/G").getObjGen());
  for (auto& [key, value] : object.ditems())
    if (!value.isIndirect()) CollectMaskForms(value, depth + 1, forms);
}

// Forms that draw soft masks: their colour space decides the mask's luminosity, so it stays.
std::set<QPDFObjGen> MaskForms(QPDF& pdf) {
  std::set<QPDFObjGen> forms;
  for (auto& object : pdf.getAllObjects()) CollectMaskForms(object, 0, forms);
  return forms;
}

// Rewrites gray paints (`v g`, `v G`) as black ink (`0 0 0 1-v k`). Inside a luminosity soft
// mask, Ghostscript's colour management takes a gray paint's value through its gray profile to
// linear luminance (.35 g masks to .098, while .35 .35 .35 rg and 0 0 0 .65 k mask to .35), so
// it cannot judge gray masks; black ink gives it the same luminosity as the gray value.
class GrayAsBlackFilter : public QPDFObjectHandle::TokenFilter {
 public:
  void handleToken(const QPDFTokenizer::Token& token) override {
    if (token.getType() != QPDFTokenizer::tt_word) {
      pending_.push_back(token);
      return;
    }
    const std::string& op = token.getValue();
    const QPDFTokenizer::Token* operand = nullptr;
    for (const auto& t : pending_) {
      if (t.getType() == QPDFTokenizer::tt_space || t.getType() == QPDFTokenizer::tt_comment) continue;
      operand = (operand == nullptr && IsNumber(t)) ? &t : nullptr;
      if (operand == nullptr) break;
    }
    if ((op == "g" || op == "G") && operand != nullptr) {
      char text[64];
      std::snprintf(text, sizeof text, " 0 0 0 %.6f %s ", 1 - std::stod(operand->getValue()),
                    op == "g" ? "k" : "K");
      write(text);
    } else {
      for (const auto& t : pending_) writeToken(t);
      writeToken(token);
    }
    pending_.clear();
  }
  void handleEOF() override {
    for (const auto& t : pending_) writeToken(t);
    pending_.clear();
  }

 private:
  static bool IsNumber(const QPDFTokenizer::Token& t) {
    return t.getType() == QPDFTokenizer::tt_integer || t.getType() == QPDFTokenizer::tt_real;
  }
  std::vector<QPDFTokenizer::Token> pending_;
};

void PaintMaskGraysAsBlack(QPDF& pdf, const std::set<QPDFObjGen>& maskForms) {
  for (const auto& id : maskForms) {
    auto form = pdf.getObjectByObjGen(id);
    if (!form.isStream()) continue;
    GrayAsBlackFilter filter;
    Pl_Buffer rewritten("rewritten mask content");
    Pl_QPDFTokenizer tokenizer("mask content", &filter, &rewritten);
    form.pipeStreamData(&tokenizer, 0, qpdf_dl_generalized);
    auto result = rewritten.getBufferSharedPointer();
    form.replaceStreamData(
        std::string(reinterpret_cast<const char*>(result->getBuffer()), result->getSize()),
        QPDFObjectHandle::newNull(), QPDFObjectHandle::newNull());
  }
}

}  // namespace

void BlendInProcessSpace(const std::string& inputPath, const std::string& outputPath,
                         bool perceptualByDefault) {
  QPDF pdf;
  pdf.processFile(inputPath.c_str());
  const auto maskForms = MaskForms(pdf);
  PaintMaskGraysAsBlack(pdf, maskForms);
  ReadLabImagesAsGhostscriptCan(pdf);
  for (auto& object : pdf.getAllObjects()) {
    if (maskForms.count(object.getObjGen())) continue;
    auto dictionary = object.isStream() ? object.getDict() : object;
    if (!dictionary.isDictionary() || !IsTransparencyGroup(dictionary)) continue;
    auto group = dictionary.getKey("/Group");
    if (group.hasKey("/CS")) group.replaceKey("/CS", QPDFObjectHandle::newName("/DeviceCMYK"));
  }
  if (perceptualByDefault) {
    for (auto& page : QPDFPageDocumentHelper(pdf).getAllPages())
      page.addPageContents(QPDFObjectHandle::newStream(&pdf, "/Perceptual ri\n"), true);
  }
  QPDFWriter writer(pdf, outputPath.c_str());
  writer.setStaticID(true);
  writer.write();
}

std::string OutputIntentCmykProfile(const std::string& pdfPath) {
  QPDF pdf;
  pdf.processFile(pdfPath.c_str());
  auto intents = pdf.getRoot().getKey("/OutputIntents");
  if (!intents.isArray()) return {};
  for (auto& intent : intents.aitems()) {
    auto profile = intent.isDictionary() ? intent.getKey("/DestOutputProfile") : QPDFObjectHandle();
    if (!profile.isStream()) continue;
    try {
      const auto data = profile.getStreamData(qpdf_dl_generalized);
      std::string bytes(reinterpret_cast<const char*>(data->getBuffer()), data->getSize());
      // The ICC header names the data colour space at byte 16.
      if (bytes.size() >= 128 && bytes.compare(16, 4, "CMYK") == 0) return bytes;
    } catch (const std::exception&) {
      // A damaged profile: the next one.
    }
  }
  return {};
}

}  // namespace CorvelOracle::Detail
