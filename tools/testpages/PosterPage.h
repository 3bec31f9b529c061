#pragma once
// A large-format page: a full-bleed gradient multiplied over a spot background, with a headline
// in black above it, as posters and banners have. The gradient is rendered over the whole page,
// so the page measures how rendered areas scale with the page's size.

#include <filesystem>

namespace CorvelTestPages {

struct PosterPageOptions {
  double width = 3370, height = 2384;  // points: A0 landscape
  double userUnit = 1;                 // /UserUnit: 2 makes the same page twice as large each way
};

// Writes the one-page PDF (written by qpdf) to `path`.
void WritePosterPage(const std::filesystem::path& path, const PosterPageOptions& options = {});

}  // namespace CorvelTestPages
