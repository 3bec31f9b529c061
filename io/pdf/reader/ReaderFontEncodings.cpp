#include <io/pdf/reader/ReaderFontEncodingsInternal.h>

#include <array>
#include <cstdlib>

namespace CorvelPdf::Detail {

namespace {

// Where Debian's fonts-urw-base35 puts its Type 1 fonts.
constexpr const char* kUrwFolder = "/usr/share/fonts/type1/urw-base35/";

// Codes 32 to 126, shared by both encodings apart from codes 39 and 96.
constexpr std::array<const char*, 95> kAsciiNames{"space",       "exclam",
                                                  "quotedbl",    "numbersign",
                                                  "dollar",      "percent",
                                                  "ampersand",   "quotesingle",
                                                  "parenleft",   "parenright",
                                                  "asterisk",    "plus",
                                                  "comma",       "hyphen",
                                                  "period",      "slash",
                                                  "zero",        "one",
                                                  "two",         "three",
                                                  "four",        "five",
                                                  "six",         "seven",
                                                  "eight",       "nine",
                                                  "colon",       "semicolon",
                                                  "less",        "equal",
                                                  "greater",     "question",
                                                  "at",          "A",
                                                  "B",           "C",
                                                  "D",           "E",
                                                  "F",           "G",
                                                  "H",           "I",
                                                  "J",           "K",
                                                  "L",           "M",
                                                  "N",           "O",
                                                  "P",           "Q",
                                                  "R",           "S",
                                                  "T",           "U",
                                                  "V",           "W",
                                                  "X",           "Y",
                                                  "Z",           "bracketleft",
                                                  "backslash",   "bracketright",
                                                  "asciicircum", "underscore",
                                                  "grave",       "a",
                                                  "b",           "c",
                                                  "d",           "e",
                                                  "f",           "g",
                                                  "h",           "i",
                                                  "j",           "k",
                                                  "l",           "m",
                                                  "n",           "o",
                                                  "p",           "q",
                                                  "r",           "s",
                                                  "t",           "u",
                                                  "v",           "w",
                                                  "x",           "y",
                                                  "z",           "braceleft",
                                                  "bar",         "braceright",
                                                  "asciitilde"};

// WinAnsiEncoding codes 128 to 255.
constexpr std::array<const char*, 128> kWinAnsiHigh{"Euro",
                                                    nullptr,
                                                    "quotesinglbase",
                                                    "florin",
                                                    "quotedblbase",
                                                    "ellipsis",
                                                    "dagger",
                                                    "daggerdbl",
                                                    "circumflex",
                                                    "perthousand",
                                                    "Scaron",
                                                    "guilsinglleft",
                                                    "OE",
                                                    nullptr,
                                                    "Zcaron",
                                                    nullptr,
                                                    nullptr,
                                                    "quoteleft",
                                                    "quoteright",
                                                    "quotedblleft",
                                                    "quotedblright",
                                                    "bullet",
                                                    "endash",
                                                    "emdash",
                                                    "tilde",
                                                    "trademark",
                                                    "scaron",
                                                    "guilsinglright",
                                                    "oe",
                                                    nullptr,
                                                    "zcaron",
                                                    "Ydieresis",
                                                    "space",
                                                    "exclamdown",
                                                    "cent",
                                                    "sterling",
                                                    "currency",
                                                    "yen",
                                                    "brokenbar",
                                                    "section",
                                                    "dieresis",
                                                    "copyright",
                                                    "ordfeminine",
                                                    "guillemotleft",
                                                    "logicalnot",
                                                    "hyphen",
                                                    "registered",
                                                    "macron",
                                                    "degree",
                                                    "plusminus",
                                                    "twosuperior",
                                                    "threesuperior",
                                                    "acute",
                                                    "mu",
                                                    "paragraph",
                                                    "periodcentered",
                                                    "cedilla",
                                                    "onesuperior",
                                                    "ordmasculine",
                                                    "guillemotright",
                                                    "onequarter",
                                                    "onehalf",
                                                    "threequarters",
                                                    "questiondown",
                                                    "Agrave",
                                                    "Aacute",
                                                    "Acircumflex",
                                                    "Atilde",
                                                    "Adieresis",
                                                    "Aring",
                                                    "AE",
                                                    "Ccedilla",
                                                    "Egrave",
                                                    "Eacute",
                                                    "Ecircumflex",
                                                    "Edieresis",
                                                    "Igrave",
                                                    "Iacute",
                                                    "Icircumflex",
                                                    "Idieresis",
                                                    "Eth",
                                                    "Ntilde",
                                                    "Ograve",
                                                    "Oacute",
                                                    "Ocircumflex",
                                                    "Otilde",
                                                    "Odieresis",
                                                    "multiply",
                                                    "Oslash",
                                                    "Ugrave",
                                                    "Uacute",
                                                    "Ucircumflex",
                                                    "Udieresis",
                                                    "Yacute",
                                                    "Thorn",
                                                    "germandbls",
                                                    "agrave",
                                                    "aacute",
                                                    "acircumflex",
                                                    "atilde",
                                                    "adieresis",
                                                    "aring",
                                                    "ae",
                                                    "ccedilla",
                                                    "egrave",
                                                    "eacute",
                                                    "ecircumflex",
                                                    "edieresis",
                                                    "igrave",
                                                    "iacute",
                                                    "icircumflex",
                                                    "idieresis",
                                                    "eth",
                                                    "ntilde",
                                                    "ograve",
                                                    "oacute",
                                                    "ocircumflex",
                                                    "otilde",
                                                    "odieresis",
                                                    "divide",
                                                    "oslash",
                                                    "ugrave",
                                                    "uacute",
                                                    "ucircumflex",
                                                    "udieresis",
                                                    "yacute",
                                                    "thorn",
                                                    "ydieresis"};

// Unicode of WinAnsiEncoding codes 128 to 159 (the rest is Latin-1).
constexpr std::array<std::uint16_t, 32> kWinAnsiSpecial{
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

struct StandardHigh {
  unsigned code;
  const char* name;
};
constexpr StandardHigh kStandardHigh[] = {{161, "exclamdown"},
                                          {162, "cent"},
                                          {163, "sterling"},
                                          {164, "fraction"},
                                          {165, "yen"},
                                          {166, "florin"},
                                          {167, "section"},
                                          {168, "currency"},
                                          {169, "quotesingle"},
                                          {170, "quotedblleft"},
                                          {171, "guillemotleft"},
                                          {172, "guilsinglleft"},
                                          {173, "guilsinglright"},
                                          {174, "fi"},
                                          {175, "fl"},
                                          {177, "endash"},
                                          {178, "dagger"},
                                          {179, "daggerdbl"},
                                          {180, "periodcentered"},
                                          {182, "paragraph"},
                                          {183, "bullet"},
                                          {184, "quotesinglbase"},
                                          {185, "quotedblbase"},
                                          {186, "quotedblright"},
                                          {187, "guillemotright"},
                                          {188, "ellipsis"},
                                          {189, "perthousand"},
                                          {191, "questiondown"},
                                          {193, "grave"},
                                          {194, "acute"},
                                          {195, "circumflex"},
                                          {196, "tilde"},
                                          {197, "macron"},
                                          {198, "breve"},
                                          {199, "dotaccent"},
                                          {200, "dieresis"},
                                          {202, "ring"},
                                          {203, "cedilla"},
                                          {205, "hungarumlaut"},
                                          {206, "ogonek"},
                                          {207, "caron"},
                                          {208, "emdash"},
                                          {225, "AE"},
                                          {227, "ordfeminine"},
                                          {232, "Lslash"},
                                          {233, "Oslash"},
                                          {234, "OE"},
                                          {235, "ordmasculine"},
                                          {241, "ae"},
                                          {245, "dotlessi"},
                                          {248, "lslash"},
                                          {249, "oslash"},
                                          {250, "oe"},
                                          {251, "germandbls"}};

bool Contains(const std::string& text, const char* part) {
  return text.find(part) != std::string::npos;
}

}  // namespace

const char* WinAnsiGlyphName(unsigned code) {
  if (code >= 32 && code <= 126) return kAsciiNames[code - 32];
  if (code >= 128 && code <= 255) return kWinAnsiHigh[code - 128];
  return nullptr;
}

const char* StandardGlyphName(unsigned code) {
  if (code == 39) return "quoteright";
  if (code == 96) return "quoteleft";
  if (code >= 32 && code <= 126) return kAsciiNames[code - 32];
  for (const auto& entry : kStandardHigh) {
    if (entry.code == code) return entry.name;
  }
  return nullptr;
}

std::uint32_t WinAnsiUnicode(unsigned code) {
  if (code >= 128 && code < 160) return kWinAnsiSpecial[code - 128];
  if (code == 127 || code > 255 || code < 32) return 0;
  return code;
}

std::uint32_t UnicodeOfGlyphName(const std::string& name) {
  auto hex = [](const std::string& digits) -> std::uint32_t {
    char* end = nullptr;
    const unsigned long value = std::strtoul(digits.c_str(), &end, 16);
    return end && *end == '\0' && !digits.empty() ? static_cast<std::uint32_t>(value) : 0;
  };
  if (name.size() == 7 && name.compare(0, 3, "uni") == 0) return hex(name.substr(3));
  if (name.size() >= 5 && name.size() <= 7 && name[0] == 'u') return hex(name.substr(1));
  for (unsigned code = 32; code < 256; ++code) {
    const char* known = WinAnsiGlyphName(code);
    if (known && name == known) return WinAnsiUnicode(code);
  }
  return 0;
}

SubstituteFont SubstituteFor(const std::string& baseFont, int descriptorFlags) {
  std::string name = baseFont;
  if (name.size() > 7 && name[6] == '+') name = name.substr(7);  // subset prefix
  SubstituteFont font;
  if (name == "Symbol" || Contains(name, "Symbol")) {
    return {std::string(kUrwFolder) + "StandardSymbolsPS.t1", name == "Symbol"};
  }
  if (name == "ZapfDingbats" || Contains(name, "Dingbats")) {
    return {std::string(kUrwFolder) + "D050000L.t1", name == "ZapfDingbats"};
  }
  const bool fixed =
      (descriptorFlags & 1) != 0 || Contains(name, "Courier") || Contains(name, "Mono");
  const bool serif =
      !fixed && ((descriptorFlags & 2) != 0 || Contains(name, "Times") || Contains(name, "Roman") ||
                 Contains(name, "Serif") || Contains(name, "Georgia"));
  const bool bold = Contains(name, "Bold") || Contains(name, "Black") || Contains(name, "Heavy");
  const bool italic =
      (descriptorFlags & 64) != 0 || Contains(name, "Italic") || Contains(name, "Oblique");
  const std::string family = fixed ? "NimbusMonoPS-" : serif ? "NimbusRoman-" : "NimbusSans-";
  const std::string style = bold && italic ? "BoldItalic"
                            : bold         ? "Bold"
                            : italic       ? "Italic"
                                           : "Regular";
  font.path = std::string(kUrwFolder) + family + style + ".t1";
  static const char* const kStandard[] = {
      "Helvetica",   "Helvetica-Bold", "Helvetica-Oblique", "Helvetica-BoldOblique",
      "Times-Roman", "Times-Bold",     "Times-Italic",      "Times-BoldItalic",
      "Courier",     "Courier-Bold",   "Courier-Oblique",   "Courier-BoldOblique"};
  for (const char* standard : kStandard) font.exact = font.exact || name == standard;
  return font;
}

}  // namespace CorvelPdf::Detail
