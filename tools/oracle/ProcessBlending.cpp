#include <tools/oracle/ProcessBlendingInternal.h>

#include <qpdf/QPDF.hh>
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

void BlendInProcessSpace(const std::string& inputPath, const std::string& outputPath) {
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
  QPDFWriter writer(pdf, outputPath.c_str());
  writer.setStaticID(true);
  writer.write();
}

}  // namespace CorvelOracle::Detail
