#include <tools/catalogue/TransparencyCheck.h>

#include <qpdf/QPDF.hh>

#include <stdexcept>

namespace CorvelCatalogue {

namespace {

// Looks at one dictionary's own keys.
void CheckDictionary(QPDFObjectHandle dictionary, const std::string& where, std::vector<std::string>& found) {
  for (const char* key : {"/CA", "/ca"}) {
    auto value = dictionary.getKey(key);
    if (value.isNumber() && value.getNumericValue() < 1) {
      found.push_back(where + ": " + key + " " + value.unparse());
    }
  }
  auto mode = dictionary.getKey("/BM");
  if (mode.isArray() && mode.getArrayNItems() > 0) mode = mode.getArrayItem(0);
  if (mode.isName() && mode.getName() != "/Normal" && mode.getName() != "/Compatible") {
    found.push_back(where + ": /BM " + mode.getName());
  }
  auto mask = dictionary.getKey("/SMask");
  if (mask.isDictionary() || mask.isStream()) found.push_back(where + ": /SMask");
  // A transparency group alone (a page group, an isolated or knockout form) composites nothing:
  // holding only opaque Normal paint, it prints as plain painting does. Flattening leaves such
  // groups where nothing transparent was in them.
}

// Walks an object and its direct children; indirect children are visited on their own.
void Walk(QPDFObjectHandle object, const std::string& where, std::vector<std::string>& found, int depth) {
  if (depth > 64) throw std::runtime_error(where + ": objects nest too deeply");
  if (object.isStream()) object = object.getDict();
  if (object.isDictionary()) {
    CheckDictionary(object, where, found);
    for (auto& [key, child] : object.ditems()) {
      if (!child.isIndirect()) Walk(child, where, found, depth + 1);
    }
  } else if (object.isArray()) {
    for (auto& child : object.aitems()) {
      if (!child.isIndirect()) Walk(child, where, found, depth + 1);
    }
  }
}

}  // namespace

std::vector<std::string> FindTransparency(const std::string& pdfBytes) {
  QPDF pdf;
  try {
    pdf.processMemoryFile("checked.pdf", pdfBytes.data(), pdfBytes.size());
  } catch (const std::exception& e) {
    throw std::runtime_error(std::string("not a readable PDF: ") + e.what());
  }
  std::vector<std::string> found;
  for (auto& object : pdf.getAllObjects()) {
    Walk(object, "object " + std::to_string(object.getObjectID()), found, 0);
  }
  return found;
}

}  // namespace CorvelCatalogue
