#pragma once
// Reading Ghostscript's separation output: one file of its tiffsep device, or all planes of
// its psdcmyk16 device.

#include <tools/oracle/SeparationRender.h>

#include <filesystem>
#include <string>
#include <vector>

namespace CorvelOracle::Detail {

// The plane in `file` (8-bit, one sample per pixel, 255 = no ink as tiffsep writes it), stored
// as ink (0 = no ink). Throws std::runtime_error for a file that is not such a TIFF.
Plane ReadTiffPlane(const std::filesystem::path& file, const std::string& name);

// The planes of an uncompressed 16-bit CMYK PSD file as psdcmyk16 writes it (process channels,
// then spots named by image resource 1006), each rounded to 8-bit ink. Throws
// std::runtime_error for any other file.
std::vector<Plane> ReadPsdPlanes(const std::filesystem::path& file);

}  // namespace CorvelOracle::Detail
