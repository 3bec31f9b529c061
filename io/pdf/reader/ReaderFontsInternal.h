#pragma once
// Fonts of text objects: character codes to glyph outlines and widths, through FreeType.

#include <io/pdf/reader/ReaderContextInternal.h>
#include <vexl/Compound.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace CorvelPdf::Detail {

// Glyph outlines and widths are kept in glyph units: 1000 per text-space unit.
inline constexpr double kGlyphUnits = 1000;

class FontProgram;

// One font of a file: how its strings split into character codes, each code's glyph outline
// (in glyph space: 1000 units per text-space unit, y up) and width (text-space units at size 1).
// Fonts without a usable program give empty outlines (reported once per file).
class ReaderFont {
 public:
  struct Glyph {
    std::uint32_t code = 0;
    bool isSpace = false;  // the single-byte code 32, which takes word spacing
    double width = 0;      // horizontal displacement w0 / 1000
    std::shared_ptr<const Vexl::Compound> outline;  // null: no outline
    std::string text;  // the characters for reading (UTF-8, best effort)
  };

  ReaderFont();
  ~ReaderFont();
  std::vector<Glyph> Decode(const std::string& bytes) const;
  // False when the font's glyphs cannot be drawn (no program found).
  bool HasOutlines() const;

  struct Data;  // the FreeType face and code tables, defined where fonts are read
  Data& GetData() { return *data_; }

 private:
  std::unique_ptr<Data> data_;
};

// The fonts of one file, read once each (by object number). Owns the FreeType library, which
// must outlive every font it gave out: the cache outlives the interpreters that use them.
class FontCache {
 public:
  FontCache();
  ~FontCache();
  FontCache(const FontCache&) = delete;
  FontCache& operator=(const FontCache&) = delete;
  // The font of a font dictionary; never null (a font that cannot be read gives empty
  // outlines and a warning).
  std::shared_ptr<const ReaderFont> Get(ReaderContext& context, QPDFObjectHandle font);

 private:
  struct Library;
  std::unique_ptr<Library> library_;
  std::map<QPDFObjGen, std::shared_ptr<const ReaderFont>> fonts_;
};

}  // namespace CorvelPdf::Detail
