#pragma once
// Reading one separation file of Ghostscript's tiffsep device.

#include <tools/oracle/SeparationRender.h>

#include <filesystem>
#include <string>

namespace CorvelOracle::Detail {

// The plane in `file` (8-bit, one sample per pixel, 255 = no ink as tiffsep writes it), stored
// as ink (0 = no ink). Throws std::runtime_error for a file that is not such a TIFF.
Plane ReadTiffPlane(const std::filesystem::path& file, const std::string& name);

}  // namespace CorvelOracle::Detail
