#pragma once
// Encoding tables of simple fonts and the fonts that stand in for fonts not embedded.

#include <cstdint>
#include <string>

namespace CorvelPdf::Detail {

// Glyph names of codes 0 to 255 in WinAnsiEncoding and StandardEncoding (ISO 32000-1
// Annex D); null where the encoding has no glyph.
const char* WinAnsiGlyphName(unsigned code);
const char* StandardGlyphName(unsigned code);
// The Unicode value of a WinAnsiEncoding code; 0 where there is none.
std::uint32_t WinAnsiUnicode(unsigned code);
// The Unicode value of a glyph name of the forms uniXXXX and uXXXX[XX], or of a name of
// WinAnsiEncoding; 0 when unknown.
std::uint32_t UnicodeOfGlyphName(const std::string& name);

// The font file (Type 1, from Debian's fonts-urw-base35) used for a font that is not
// embedded: the standard 14 fonts by name (`exact`), others by the look their name and
// descriptor flags give.
struct SubstituteFont {
  std::string path;
  bool exact = false;
};
SubstituteFont SubstituteFor(const std::string& baseFont, int descriptorFlags);

}  // namespace CorvelPdf::Detail
