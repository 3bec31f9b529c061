#include <ft2build.h>
#include <io/pdf/reader/ReaderFontsInternal.h>
#include <io/pdf/reader/ReaderType3Internal.h>

#include <array>
#include <fstream>
#include <sstream>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <io/pdf/reader/ReaderFontEncodingsInternal.h>

namespace CorvelPdf::Detail {

namespace {

// ISO 32000-1 §9.7.4.3: the default width of CIDs not listed in /W.
constexpr double kDefaultCidWidth = 1000;
// Codes of a /W array beyond this are a damaged file.
constexpr std::uint32_t kMaxCid = 0xFFFF;

struct OutlineSink {
  double scale;
  std::vector<Vexl::Subpath> subpaths;
  Vexl::Point Scaled(const FT_Vector* v) const { return {v->x * scale, v->y * scale}; }
};

int MoveTo(const FT_Vector* to, void* user) {
  auto& sink = *static_cast<OutlineSink*>(user);
  sink.subpaths.emplace_back(sink.Scaled(to), true);
  return 0;
}
int LineTo(const FT_Vector* to, void* user) {
  auto& sink = *static_cast<OutlineSink*>(user);
  if (!sink.subpaths.empty()) sink.subpaths.back().LineTo(sink.Scaled(to));
  return 0;
}
// A quadratic segment as the cubic that traces it exactly.
int ConicTo(const FT_Vector* control, const FT_Vector* to, void* user) {
  auto& sink = *static_cast<OutlineSink*>(user);
  if (sink.subpaths.empty()) return 0;
  const Vexl::Point p0 = sink.subpaths.back().GetEnd(), q = sink.Scaled(control),
                    p1 = sink.Scaled(to);
  sink.subpaths.back().CubicTo({p0.x + 2.0 / 3 * (q.x - p0.x), p0.y + 2.0 / 3 * (q.y - p0.y)},
                               {p1.x + 2.0 / 3 * (q.x - p1.x), p1.y + 2.0 / 3 * (q.y - p1.y)}, p1);
  return 0;
}
int CubicTo(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
  auto& sink = *static_cast<OutlineSink*>(user);
  if (!sink.subpaths.empty())
    sink.subpaths.back().CubicTo(sink.Scaled(c1), sink.Scaled(c2), sink.Scaled(to));
  return 0;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::string Latin1ToUtf8(unsigned char c) {
  if (c < 0x80) return std::string(1, static_cast<char>(c));
  return {static_cast<char>(0xC0 | (c >> 6)), static_cast<char>(0x80 | (c & 0x3F))};
}

}  // namespace

struct FontCache::Library {
  FT_Library library = nullptr;
  Library() {
    if (FT_Init_FreeType(&library) != 0) throw ReadError("", "FreeType cannot start");
  }
  ~Library() { FT_Done_FreeType(library); }
};

struct ReaderFont::Data {
  std::string program;  // the font program; FreeType reads it in place
  FT_Face face = nullptr;
  bool composite = false;
  bool hasOutlines = false;
  // Simple fonts: glyph and width of each code.
  std::array<FT_UInt, 256> glyphs{};
  std::array<double, 256> widths{};
  // Composite fonts: CID to glyph (empty: identity) and widths.
  std::vector<std::uint16_t> cidToGid;
  std::map<std::uint32_t, double> cidWidths;
  double defaultWidth = kDefaultCidWidth / kGlyphUnits;
  mutable std::map<FT_UInt, std::shared_ptr<const Vexl::Compound>> outlines;
  // Type 3 fonts: each code's outline from its glyph procedure.
  bool type3 = false;
  std::array<std::shared_ptr<const Vexl::Compound>, 256> type3Glyphs;

  ~Data() {
    if (face) FT_Done_Face(face);
  }

  std::shared_ptr<const Vexl::Compound> Outline(FT_UInt glyph) const {
    if (!face || glyph == 0) return nullptr;
    if (auto found = outlines.find(glyph); found != outlines.end()) return found->second;
    std::shared_ptr<const Vexl::Compound> result;
    if (FT_Load_Glyph(face, glyph, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) ==
            0 &&
        face->glyph->format == FT_GLYPH_FORMAT_OUTLINE) {
      OutlineSink sink{kGlyphUnits / std::max<FT_UShort>(face->units_per_EM, 1), {}};
      const FT_Outline_Funcs funcs{MoveTo, LineTo, ConicTo, CubicTo, 0, 0};
      FT_Outline_Decompose(&face->glyph->outline, &funcs, &sink);
      result = std::make_shared<const Vexl::Compound>(std::move(sink.subpaths));
    }
    outlines[glyph] = result;
    return result;
  }

  double Advance(FT_UInt glyph) const {
    if (!face || FT_Load_Glyph(face, glyph, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING) != 0) return 0;
    return static_cast<double>(face->glyph->metrics.horiAdvance) /
           std::max<FT_UShort>(face->units_per_EM, 1);
  }
};

ReaderFont::ReaderFont() : data_(std::make_unique<Data>()) {}
ReaderFont::~ReaderFont() = default;

std::vector<ReaderFont::Glyph> ReaderFont::Decode(const std::string& bytes) const {
  std::vector<Glyph> glyphs;
  const Data& d = *data_;
  if (d.composite) {
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
      const std::uint32_t cid =
          (static_cast<unsigned char>(bytes[i]) << 8) | static_cast<unsigned char>(bytes[i + 1]);
      const FT_UInt gid = d.cidToGid.empty() ? cid : cid < d.cidToGid.size() ? d.cidToGid[cid] : 0;
      const auto width = d.cidWidths.find(cid);
      glyphs.push_back({cid, false, width == d.cidWidths.end() ? d.defaultWidth : width->second,
                        d.Outline(gid), ""});
    }
    return glyphs;
  }
  for (unsigned char c : bytes) {
    glyphs.push_back({c, c == 32, d.widths[c], d.type3 ? d.type3Glyphs[c] : d.Outline(d.glyphs[c]),
                      Latin1ToUtf8(c)});
  }
  return glyphs;
}

bool ReaderFont::HasOutlines() const { return data_->hasOutlines; }

namespace {

// Simple-font glyph selection (ISO 32000-1 §9.6.6).
class SimpleFontBuilder {
 public:
  SimpleFontBuilder(ReaderContext& context, QPDFObjectHandle font, ReaderFont::Data& data)
      : context_(context), font_(font), data_(data) {}

  void Build() {
    std::array<std::string, 256> names;
    auto encoding = font_.getKey("/Encoding");
    auto base = encoding.isDictionary() ? encoding.getKey("/BaseEncoding") : encoding;
    const bool trueType = font_.getKey("/Subtype").isNameAndEquals("/TrueType");
    const bool winAnsi = base.isNameAndEquals("/WinAnsiEncoding");
    const bool named = winAnsi || base.isNameAndEquals("/StandardEncoding") ||
                       base.isNameAndEquals("/MacRomanEncoding");
    if (base.isNameAndEquals("/MacRomanEncoding"))
      context_.Warn("MacRomanEncoding read as StandardEncoding (approximate)");
    // Without a named encoding, Type 1 and CFF fonts use their own; symbolic TrueType fonts
    // their cmap; the others StandardEncoding (ISO 32000-1 §9.6.6.2 and §9.6.6.4).
    const bool builtIn = !named && !trueType && HasBuiltInEncoding();
    if (named || (!builtIn && !(trueType && IsSymbolic()))) {
      for (unsigned code = 0; code < 256; ++code) {
        const char* name = winAnsi ? WinAnsiGlyphName(code) : StandardGlyphName(code);
        if (name) names[code] = name;
      }
    }
    ApplyDifferences(encoding, names);
    for (unsigned code = 0; code < 256; ++code)
      data_.glyphs[code] = GlyphOf(code, names[code], builtIn, trueType);
    ReadWidths();
  }

 private:
  bool IsSymbolic() {
    auto descriptor = font_.getKey("/FontDescriptor");
    return descriptor.isDictionary() &&
           (static_cast<int>(NumberOr(descriptor.getKey("/Flags"), 0)) & 4) != 0;
  }
  bool HasBuiltInEncoding() const {
    if (!data_.face) return false;
    return FT_Select_Charmap(data_.face, FT_ENCODING_ADOBE_CUSTOM) == 0 ||
           FT_Select_Charmap(data_.face, FT_ENCODING_ADOBE_STANDARD) == 0;
  }
  void ApplyDifferences(QPDFObjectHandle encoding, std::array<std::string, 256>& names) const {
    if (!encoding.isDictionary()) return;
    auto differences = encoding.getKey("/Differences");
    if (!differences.isArray()) return;
    unsigned code = 0;
    for (auto& item : differences.aitems()) {
      if (item.isNumber())
        code = static_cast<unsigned>(std::max(0.0, item.getNumericValue()));
      else if (item.isName() && code < 256)
        names[code++] = NameOf(item);
    }
  }
  FT_UInt GlyphOf(unsigned code, const std::string& name, bool builtIn, bool trueType) const {
    FT_Face face = data_.face;
    if (!face) return 0;
    if (!name.empty() && FT_HAS_GLYPH_NAMES(face)) {
      if (FT_UInt glyph = FT_Get_Name_Index(face, name.c_str())) return glyph;
    }
    if (builtIn && HasBuiltInEncoding()) return FT_Get_Char_Index(face, code);
    if (trueType && FT_Select_Charmap(face, FT_ENCODING_MS_SYMBOL) == 0) {
      if (FT_UInt glyph = FT_Get_Char_Index(face, 0xF000 + code)) return glyph;
      return FT_Get_Char_Index(face, code);
    }
    const std::uint32_t unicode = name.empty() ? 0 : UnicodeOfGlyphName(name);
    if (unicode && FT_Select_Charmap(face, FT_ENCODING_UNICODE) == 0) {
      if (FT_UInt glyph = FT_Get_Char_Index(face, unicode)) return glyph;
    }
    if (trueType && FT_Select_Charmap(face, FT_ENCODING_APPLE_ROMAN) == 0)
      return FT_Get_Char_Index(face, code);
    return 0;
  }
  void ReadWidths() {
    auto widths = font_.getKey("/Widths");
    const int first = static_cast<int>(NumberOr(font_.getKey("/FirstChar"), 0));
    for (unsigned code = 0; code < 256; ++code)
      data_.widths[code] = data_.Advance(data_.glyphs[code]);
    if (!widths.isArray()) return;
    for (int i = 0; i < widths.getArrayNItems(); ++i) {
      const int code = first + i;
      if (code >= 0 && code < 256)
        data_.widths[static_cast<std::size_t>(code)] =
            NumberOr(widths.getArrayItem(i), 0) / kGlyphUnits;
    }
  }

  ReaderContext& context_;
  QPDFObjectHandle font_;
  ReaderFont::Data& data_;
};

// /W of a CIDFont: c [w1 w2 ...] or c_first c_last w (ISO 32000-1 §9.7.4.3).
void ReadCidWidths(QPDFObjectHandle widths, std::map<std::uint32_t, double>& out) {
  if (!widths.isArray()) return;
  auto items = widths.getArrayAsVector();
  for (std::size_t i = 0; i + 1 < items.size();) {
    const double first = NumberOr(items[i], -1);
    if (first < 0 || first > kMaxCid) return;
    if (items[i + 1].isArray()) {
      std::uint32_t cid = static_cast<std::uint32_t>(first);
      for (auto& w : items[i + 1].aitems()) {
        if (cid > kMaxCid) return;
        out[cid++] = NumberOr(w, 0) / kGlyphUnits;
      }
      i += 2;
    } else if (i + 2 < items.size()) {
      const double last = std::min<double>(NumberOr(items[i + 1], -1), kMaxCid);
      for (double cid = first; cid <= last; ++cid)
        out[static_cast<std::uint32_t>(cid)] = NumberOr(items[i + 2], 0) / kGlyphUnits;
      i += 3;
    } else {
      return;
    }
  }
}

QPDFObjectHandle EmbeddedProgram(QPDFObjectHandle descriptor) {
  if (!descriptor.isDictionary()) return QPDFObjectHandle::newNull();
  for (const char* key : {"/FontFile", "/FontFile2", "/FontFile3"}) {
    if (auto program = descriptor.getKey(key); program.isStream()) return program;
  }
  return QPDFObjectHandle::newNull();
}

void LoadFace(FT_Library library, ReaderFont::Data& data) {
  if (data.program.empty()) return;
  FT_Face face = nullptr;
  if (FT_New_Memory_Face(library, reinterpret_cast<const FT_Byte*>(data.program.data()),
                         static_cast<FT_Long>(data.program.size()), 0, &face) == 0) {
    data.face = face;
  }
}

// Loads the embedded program, or the stand-in of a font that is not embedded.
void LoadProgram(FT_Library library, ReaderContext& context, ReaderFont::Data& data,
                 QPDFObjectHandle descriptor, const std::string& baseFont) {
  if (auto program = EmbeddedProgram(descriptor); program.isStream()) {
    try {
      data.program = StreamBytes(program);
    } catch (const std::exception&) {
      data.program.clear();  // a damaged program: reported below, a stand-in takes over
    }
    LoadFace(library, data);
    if (data.face) return;
    context.Warn("embedded font " + baseFont + " unreadable: substituted");
  }
  if (data.composite) {
    context.Warn("composite font " + baseFont + " not embedded: its text has empty glyphs");
    return;
  }
  const int flags =
      descriptor.isDictionary() ? static_cast<int>(NumberOr(descriptor.getKey("/Flags"), 0)) : 0;
  const auto substitute = SubstituteFor(baseFont, flags);
  data.program = ReadFile(substitute.path);
  LoadFace(library, data);
  if (!data.face) {
    context.Warn("font " + baseFont +
                 " not embedded and no stand-in found: its text has empty glyphs");
  } else if (!substitute.exact) {
    context.Warn("font " + baseFont + " not embedded: substituted (approximate)");
  }
}

// The CIDFont of a Type 0 font; only the Identity CMaps are read.
QPDFObjectHandle DescendantOf(ReaderContext& context, QPDFObjectHandle font) {
  auto encoding = font.getKey("/Encoding");
  if (!encoding.isNameAndEquals("/Identity-H") && !encoding.isNameAndEquals("/Identity-V")) {
    context.Warn("CMaps other than Identity-H not supported yet: read as Identity-H");
  }
  if (encoding.isNameAndEquals("/Identity-V")) {
    context.Warn("vertical text not supported yet: set horizontally");
  }
  auto descendants = font.getKey("/DescendantFonts");
  if (!descendants.isArray() || descendants.getArrayNItems() == 0)
    return QPDFObjectHandle::newNull();
  return descendants.getArrayItem(0);
}

void ReadCompositeMetrics(QPDFObjectHandle descendant, ReaderFont::Data& data) {
  if (!descendant.isDictionary()) return;
  ReadCidWidths(descendant.getKey("/W"), data.cidWidths);
  data.defaultWidth = NumberOr(descendant.getKey("/DW"), kDefaultCidWidth) / kGlyphUnits;
  auto map = descendant.getKey("/CIDToGIDMap");
  if (!map.isStream()) return;
  const std::string bytes = StreamBytes(map);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    data.cidToGid.push_back(static_cast<std::uint16_t>((static_cast<unsigned char>(bytes[i]) << 8) |
                                                       static_cast<unsigned char>(bytes[i + 1])));
  }
}

void ReadType3Widths(QPDFObjectHandle font, ReaderFont::Data& data) {
  auto matrix = font.getKey("/FontMatrix");
  const double scale = matrix.isArray() && matrix.getArrayNItems() == 6
                           ? NumberOr(matrix.getArrayItem(0), 0.001)
                           : 0.001;
  auto widths = font.getKey("/Widths");
  const int first = static_cast<int>(NumberOr(font.getKey("/FirstChar"), 0));
  if (!widths.isArray()) return;
  for (int i = 0; i < widths.getArrayNItems(); ++i) {
    const int code = first + i;
    if (code >= 0 && code < 256)
      data.widths[static_cast<std::size_t>(code)] = NumberOr(widths.getArrayItem(i), 0) * scale;
  }
}

}  // namespace

FontCache::FontCache() : library_(std::make_unique<Library>()) {}
FontCache::~FontCache() {
  fonts_.clear();  // the faces go before the library that made them
}

std::shared_ptr<const ReaderFont> FontCache::Get(ReaderContext& context, QPDFObjectHandle font) {
  if (font.isIndirect()) {
    if (auto found = fonts_.find(font.getObjGen()); found != fonts_.end()) return found->second;
  }
  auto result = std::make_shared<ReaderFont>();
  auto& data = result->GetData();
  auto subtype = font.getKey("/Subtype");
  data.composite = subtype.isNameAndEquals("/Type0");
  auto descendant = data.composite ? DescendantOf(context, font) : font;
  if (subtype.isNameAndEquals("/Type3")) {
    data.type3 = true;
    data.type3Glyphs = ReadType3Glyphs(context, font);
  } else {
    auto descriptor = descendant.isDictionary() ? descendant.getKey("/FontDescriptor")
                                                : QPDFObjectHandle::newNull();
    LoadProgram(library_->library, context, data, descriptor, NameOf(font.getKey("/BaseFont")));
  }
  data.hasOutlines = data.face != nullptr || data.type3;
  if (data.composite) {
    ReadCompositeMetrics(descendant, data);
  } else {
    SimpleFontBuilder(context, font, data).Build();
  }
  if (subtype.isNameAndEquals("/Type3")) ReadType3Widths(font, data);
  if (font.isIndirect()) fonts_[font.getObjGen()] = result;
  return result;
}

}  // namespace CorvelPdf::Detail
