#pragma once
// A limit on the samples of one rendered image, so that pages of any size stay within memory:
// a page-wide shading under transparency on a 200-inch page, or a banner measured with
// /UserUnit, would otherwise ask for billions of pixels at the gradient resolution.

#include <cstddef>
#include <string>
#include <vector>

namespace Corvel {

// The factor (at most 1) to scale an image's resolution by, along each axis, so that its
// `pixels` pixels of `inks` inks hold at most `limit` samples; 1 when `limit` is 0 (no limit).
double RenderScaleWithin(double pixels, std::size_t inks, double limit);

// Adds, when `warnings` is given, why an image was rendered coarser than asked.
void NoteCoarserRender(std::vector<std::string>* warnings, double pixels, std::size_t inks,
                       double scale, double limit);

}  // namespace Corvel
