#pragma once
// A 5 × 7 pixel font for the preview's legend: capital letters, digits, space and . , : - ( ) /
// (other characters draw as a blank). Built in, so that a legend needs no font file.

#include <cstdint>
#include <functional>
#include <string>

namespace CorvelCli {

inline constexpr int kGlyphWidth = 5, kGlyphHeight = 7;
// A glyph and the blank column after it.
inline constexpr int kGlyphAdvance = kGlyphWidth + 1;

// Calls `set(column, row)` for every pixel of `text` set in the font, each font pixel drawn as a
// `scale` × `scale` block, from (0, 0) at the top left; lower-case letters draw as capitals.
void DrawText(const std::string& text, int scale, const std::function<void(int, int)>& set);

// The width `text` takes at `scale`.
int TextWidth(const std::string& text, int scale);

}  // namespace CorvelCli
