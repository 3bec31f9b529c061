#include <io/pdf/reader/TransparencyScan.h>

#include <qpdf/QPDFPageObjectHelper.hh>
#include <set>
#include <string>

namespace CorvelPdf {

namespace {

// Annotation flags (ISO 32000-1 Table 165).
constexpr int kHiddenFlag = 2;
constexpr int kPrintFlag = 4;
// Deeper nesting than this is read as transparent: the reading then decides.
constexpr int kMaxDepth = 32;

double NumberOr(QPDFObjectHandle object, double fallback) {
  return object.isNumber() ? object.getNumericValue() : fallback;
}

bool BlendsOtherThanNormal(QPDFObjectHandle mode) {
  auto normal = [](QPDFObjectHandle name) {
    return name.isNameAndEquals("/Normal") || name.isNameAndEquals("/Compatible");
  };
  if (mode.isName()) return !normal(mode);
  if (mode.isArray() && mode.getArrayNItems() > 0) return !normal(mode.getArrayItem(0));
  return false;
}

bool StateIsTransparent(QPDFObjectHandle state) {
  if (!state.isDictionary()) return false;
  if (NumberOr(state.getKey("/CA"), 1) < 1 || NumberOr(state.getKey("/ca"), 1) < 1) return true;
  if (BlendsOtherThanNormal(state.getKey("/BM"))) return true;
  auto mask = state.getKey("/SMask");
  return mask.isDictionary();
}

class Scan {
 public:
  bool Resources(QPDFObjectHandle resources, int depth) {
    if (!resources.isDictionary()) return false;
    if (depth > kMaxDepth) return true;
    if (!Enter(resources)) return false;
    for (auto& [name, state] : Entries(resources, "/ExtGState")) {
      if (StateIsTransparent(state)) return true;
    }
    for (auto& [name, xobject] : Entries(resources, "/XObject")) {
      if (XObject(xobject, depth)) return true;
    }
    for (auto& [name, pattern] : Entries(resources, "/Pattern")) {
      if (!pattern.isDictionary()) continue;
      if (StateIsTransparent(pattern.getKey("/ExtGState"))) return true;
      if (pattern.isStream() && Resources(pattern.getDict().getKey("/Resources"), depth + 1))
        return true;
    }
    for (auto& [name, font] : Entries(resources, "/Font")) {
      if (font.isDictionary() && font.getKey("/Subtype").isNameAndEquals("/Type3") &&
          Resources(font.getKey("/Resources"), depth + 1))
        return true;
    }
    return false;
  }

  bool XObject(QPDFObjectHandle xobject, int depth) {
    if (!xobject.isStream()) return false;
    auto dict = xobject.getDict();
    if (dict.getKey("/Subtype").isNameAndEquals("/Image")) {
      return dict.getKey("/SMask").isStream() || NumberOr(dict.getKey("/SMaskInData"), 0) > 0;
    }
    return dict.getKey("/Subtype").isNameAndEquals("/Form") &&
           Resources(dict.getKey("/Resources"), depth + 1);
  }

 private:
  static std::map<std::string, QPDFObjectHandle> Entries(QPDFObjectHandle resources,
                                                         const char* category) {
    auto dict = resources.getKey(category);
    return dict.isDictionary() ? dict.getDictAsMap() : std::map<std::string, QPDFObjectHandle>{};
  }
  // Shared resource dictionaries are looked at once.
  bool Enter(QPDFObjectHandle object) {
    return !object.isIndirect() || seen_.insert(object.getObjGen()).second;
  }
  std::set<QPDFObjGen> seen_;
};


}  // namespace

QPDFObjectHandle PrintedAppearance(QPDFObjectHandle annotation) {
  const int flags = static_cast<int>(NumberOr(annotation.getKey("/F"), 0));
  if ((flags & kPrintFlag) == 0 || (flags & kHiddenFlag) != 0) return QPDFObjectHandle::newNull();
  auto appearances = annotation.getKey("/AP");
  if (!appearances.isDictionary()) return QPDFObjectHandle::newNull();
  auto normal = appearances.getKey("/N");
  if (normal.isDictionary() && !normal.isStream())
    normal = normal.getKey(annotation.getKey("/AS").isName() ? annotation.getKey("/AS").getName()
                                                             : "/Off");
  return normal.isStream() ? normal : QPDFObjectHandle::newNull();
}

bool MayPaintTransparency(QPDFObjectHandle resources) { return Scan().Resources(resources, 0); }

std::vector<QPDFObjectHandle> DrawnAnnotations(QPDFObjectHandle page, bool onlyTransparent) {
  std::vector<QPDFObjectHandle> drawn;
  auto annotations = page.getKey("/Annots");
  if (!annotations.isArray()) return drawn;
  std::size_t lastTransparent = 0;  // one past the last one, in drawing order
  for (auto& annotation : annotations.aitems()) {
    if (!annotation.isDictionary()) continue;
    auto form = PrintedAppearance(annotation);
    if (form.isNull()) continue;
    drawn.push_back(annotation);
    if (onlyTransparent && Scan().XObject(form, 0)) lastTransparent = drawn.size();
  }
  // Annotations paint in array order over the page: those below a transparent one go into the
  // page with it, so that it still composites over them; those above stay annotations.
  if (onlyTransparent) drawn.resize(lastTransparent);
  return drawn;
}

bool PageMayPaintTransparency(QPDFObjectHandle page) {
  if (MayPaintTransparency(QPDFPageObjectHelper(page).getAttribute("/Resources", false)))
    return true;
  return !DrawnAnnotations(page, true).empty();
}

}  // namespace CorvelPdf
