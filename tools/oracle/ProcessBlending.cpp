#include <tools/oracle/ProcessBlendingInternal.h>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <set>

namespace CorvelOracle::Detail {

namespace {

bool IsTransparencyGroup(QPDFObjectHandle dictionary) {
  auto group = dictionary.getKey("/Group");
  return group.isDictionary() && group.getKey("/S").isNameAndEquals("/Transparency");
}

// Forms that draw soft masks: their colour space decides the mask's luminosity, so it stays.
std::set<QPDFObjGen> MaskForms(QPDF& pdf) {
  std::set<QPDFObjGen> forms;
  for (auto& object : pdf.getAllObjects()) {
    auto dictionary = object.isStream() ? object.getDict() : object;
    if (!dictionary.isDictionary()) continue;
    auto mask = dictionary.getKey("/SMask");
    if (mask.isDictionary() && mask.getKey("/G").isIndirect()) forms.insert(mask.getKey("/G").getObjGen());
  }
  return forms;
}

}  // namespace

void BlendInProcessSpace(const std::string& inputPath, const std::string& outputPath,
                         bool perceptualByDefault) {
  QPDF pdf;
  pdf.processFile(inputPath.c_str());
  const auto maskForms = MaskForms(pdf);
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
